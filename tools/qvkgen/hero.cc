// The hero: a swordsman in a blue tunic, facing right, drawn from blocks around his feet.
#include "qvkgen.h"

static void drawHead(Picture& p, int x, int y, bool dead) {
  fillEllipse(p, x, y, 5, 5, kSkin);
  fillRect(p, x - 5, y - 6, 10, 4, kHair);
  if (dead) {
    drawLine(p, x + 1, y - 1, x + 3, y + 1, 1, kBlack);
    drawLine(p, x + 3, y - 1, x + 1, y + 1, 1, kBlack);
  } else {
    fillRect(p, x + 2, y - 1, 2, 2, kBlack);
  }
}

static void drawBody(Picture& p, int x, int top, int height) {
  fillRect(p, x - 6, top, 12, height, kTunic);
  fillRect(p, x - 6, top + height - 3, 12, 2, kDarkBrown);  // the belt
}

static void drawSword(Picture& p, int handX, int handY, int tipX, int tipY) {
  drawLine(p, handX, handY, tipX, tipY, 2, kLightGrey);
  fillRect(p, handX - 2, handY - 1, 5, 3, kDarkGold);  // the hilt
}

// Standing, walking, jumping and striking share the upright body; the legs and the arm differ.
static void drawUpright(Picture& p, int x, int feetY, Pose pose) {
  int legLength = pose == kJump ? 8 : 12;
  int hip = feetY - legLength;
  if (pose == kWalkA) {
    drawLine(p, x - 2, hip, x - 6, feetY - 1, 3, kDarkBlue);
    drawLine(p, x + 2, hip, x + 5, feetY - 1, 3, kDarkBlue);
  } else if (pose == kWalkB) {
    drawLine(p, x - 2, hip, x + 1, feetY - 1, 3, kDarkBlue);
    drawLine(p, x + 2, hip, x - 2, feetY - 1, 3, kDarkBlue);
  } else {
    fillRect(p, x - 5, hip, 4, legLength, kDarkBlue);
    fillRect(p, x + 1, hip, 4, legLength, kDarkBlue);
  }
  drawBody(p, x, hip - 14, 14);
  drawHead(p, x + 1, hip - 19, false);
  int shoulderY = hip - 12;
  if (pose == kStrike) {
    drawLine(p, x + 4, shoulderY, x + 13, shoulderY + 1, 3, kSkin);
    drawSword(p, x + 14, shoulderY + 1, x + 34, shoulderY - 2);
  } else if (pose == kReach) {
    drawLine(p, x + 4, shoulderY, x + 7, shoulderY - 14, 3, kSkin);
    drawSword(p, x - 6, shoulderY + 4, x - 12, shoulderY - 10);
  } else {
    drawLine(p, x + 4, shoulderY, x + 9, shoulderY + 6, 3, kSkin);
    drawSword(p, x + 10, shoulderY + 6, x + 16, shoulderY - 12);
  }
}

void drawHero(Picture& p, int x, int feetY, Pose pose) {
  switch (pose) {
    case kWalkA:
    case kWalkB:
    case kStand:
    case kJump:
    case kStrike:
    case kReach: drawUpright(p, x, feetY, pose); break;
    case kDuck:
      fillRect(p, x - 7, feetY - 6, 14, 6, kDarkBlue);
      drawBody(p, x + 2, feetY - 16, 11);
      drawHead(p, x + 8, feetY - 18, false);
      drawSword(p, x + 10, feetY - 8, x + 26, feetY - 10);
      break;
    case kFallen:
      fillRect(p, x - 20, feetY - 5, 12, 5, kDarkBlue);
      fillRect(p, x - 8, feetY - 9, 16, 9, kTunic);
      drawHead(p, x + 13, feetY - 5, true);
      drawSword(p, x + 22, feetY - 2, x + 40, feetY - 2);
      break;
    case kFlat:
      fillEllipse(p, x, feetY - 2, 22, 3, kTunic);
      fillEllipse(p, x + 16, feetY - 3, 6, 3, kSkin);
      fillRect(p, x + 24, feetY - 2, 14, 2, kLightGrey);
      break;
    case kBuried:
      // Only the legs stick out from under the weight.
      drawLine(p, x - 10, feetY - 2, x - 27, feetY - 1, 3, kDarkBlue);
      drawLine(p, x + 10, feetY - 2, x + 27, feetY - 1, 3, kDarkBlue);
      break;
  }
}
