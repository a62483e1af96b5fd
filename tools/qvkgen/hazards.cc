// The hazards (rollers to jump, flyers to duck, weights falling from above, monsters to strike),
// the objects and the marks on the ground, each in the style of the scene's place.
#include <cmath>

#include "qvkgen.h"

// A spoke that turns as the roller rolls to the left.
static void drawSpoke(Picture& p, int x, int y, int r, int frame, uint8_t colour) {
  double angle = -frame * 0.6;
  int dx = static_cast<int>(std::lround(std::cos(angle) * (r - 2)));
  int dy = static_cast<int>(std::lround(std::sin(angle) * (r - 2)));
  drawLine(p, x - dx, y - dy, x + dx, y + dy, 2, colour);
}

void drawRoller(Picture& p, const Theme& theme, int x, int frame) {
  const int r = 12, y = kGroundY - r;
  switch (theme.roll) {
    case kBoulder:
      fillEllipse(p, x, y, r, r, kStone);
      drawSpoke(p, x, y, r, frame, kDarkStone);
      break;
    case kBarrel:
      fillEllipse(p, x, y, r, r, kBrown);
      fillEllipse(p, x, y, r - 4, r - 4, kTan);
      drawSpoke(p, x, y, r - 3, frame, kDarkBrown);
      break;
    case kLog:
      fillEllipse(p, x, y, r, r, kDarkBrown);
      fillEllipse(p, x, y, r - 3, r - 3, kTan);
      fillEllipse(p, x, y, 3, 3, kBrown);
      break;
    case kSnowball:
      fillEllipse(p, x, y, r, r, kWhite);
      drawSpoke(p, x, y, r, frame, kLightBlue);
      break;
    case kSkull:
      fillEllipse(p, x, y, r, r, kBone);
      fillEllipse(p, x - 4 + (frame / 2) % 3, y - 2, 3, 3, kBlack);
      fillEllipse(p, x + 4 + (frame / 2) % 3, y - 2, 3, 3, kBlack);
      fillRect(p, x - 4, y + 5, 8, 2, kDarkGrey);
      break;
  }
}

void drawFlyer(Picture& p, const Theme& theme, int x, int y, int frame) {
  bool wingsUp = (frame / 2) % 2 == 0;
  switch (theme.fly) {
    case kArrow:
      drawLine(p, x, y, x + 26, y, 2, kBrown);
      fillTriangle(p, x - 6, y, x + 1, y - 4, x + 1, y + 4, kLightGrey);
      fillTriangle(p, x + 22, y, x + 30, y - 5, x + 30, y, kRed);
      fillTriangle(p, x + 22, y, x + 30, y + 5, x + 30, y, kRed);
      break;
    case kBat:
    case kCrow: {
      uint8_t body = theme.fly == kBat ? kPurple : kBlack;
      fillEllipse(p, x + 6, y, 8, 5, body);
      int tip = wingsUp ? y - 12 : y + 10;
      fillTriangle(p, x + 2, y, x + 12, y, x + 4, tip, body);
      fillTriangle(p, x + 6, y, x + 16, y, x + 16, tip, body);
      fillRect(p, x, y - 2, 2, 2, theme.fly == kBat ? kRed : kYellow);
      if (theme.fly == kCrow) fillTriangle(p, x - 6, y, x, y - 2, x, y + 2, kOrange);
      break;
    }
    case kFireball:
      fillTriangle(p, x + 4, y - 7, x + 4, y + 7, x + 30, y + (wingsUp ? 2 : -2), kRed);
      fillEllipse(p, x + 4, y, 9, 8, kOrange);
      fillEllipse(p, x + 2, y, 5, 4, kYellow);
      break;
    case kShard:
      fillTriangle(p, x - 4, y, x + 22, y - 5, x + 22, y + 5, kIce);
      drawLine(p, x + 2, y, x + 20, y, 1, kLightBlue);
      break;
  }
}

void drawShadow(Picture& p, int x, int width) {
  if (width > 0) fillEllipse(p, x, kGroundY + 2, width / 2, 3, kBlack);
}

// bottomY is where the weight's lowest point is; a broken weight lies in pieces on the ground.
void drawFaller(Picture& p, const Theme& theme, int x, int bottomY, bool broken) {
  uint8_t colour = theme.hazard;
  if (broken) {
    const int pieces[][3] = {{-22, 6, 5}, {-9, 9, 7}, {6, 7, 6}, {19, 5, 4}, {28, 4, 3}};
    for (const auto& piece : pieces)
      fillEllipse(p, x + piece[0], kGroundY - piece[2], piece[1], piece[2], colour);
    return;
  }
  switch (theme.fall) {
    case kRock:
      fillEllipse(p, x, bottomY - 14, 20, 14, kStone);
      fillEllipse(p, x - 6, bottomY - 18, 6, 4, kLightGrey);
      break;
    case kChandelier:
      drawLine(p, x, kTopBar, x, bottomY - 16, 1, kDarkGold);
      fillRect(p, x - 22, bottomY - 8, 44, 5, kGold);
      fillTriangle(p, x - 10, bottomY - 8, x + 10, bottomY - 8, x, bottomY, kDarkGold);
      for (int c = -20; c <= 20; c += 10) {
        fillRect(p, x + c - 1, bottomY - 14, 3, 6, kBone);
        fillRect(p, x + c - 1, bottomY - 17, 3, 3, kYellow);
      }
      break;
    case kIcicle:
      fillTriangle(p, x - 12, bottomY - 40, x + 12, bottomY - 40, x, bottomY, kIce);
      drawLine(p, x - 3, bottomY - 38, x, bottomY - 6, 1, kWhite);
      break;
    case kBlock:
      fillRect(p, x - 15, bottomY - 26, 30, 26, kStone);
      fillRect(p, x - 15, bottomY - 14, 30, 2, kDarkStone);
      fillRect(p, x - 1, bottomY - 26, 2, 12, kDarkStone);
      break;
    case kBranch:
      drawLine(p, x - 26, bottomY - 10, x + 26, bottomY - 4, 6, kDarkBrown);
      fillEllipse(p, x - 18, bottomY - 14, 10, 7, kGreen);
      fillEllipse(p, x + 14, bottomY - 10, 9, 6, kDarkGreen);
      break;
  }
}

void drawMonster(Picture& p, const Theme& theme, int x, int frame, bool lunging) {
  const int y = kGroundY;
  int jaw = (frame / 2) % 2 ? 3 : 0;
  switch (theme.monster) {
    case kGoblin:
    case kTroll: {
      int size = theme.monster == kTroll ? 14 : 10;
      uint8_t skin = theme.monster == kTroll ? kMoss : kGreen;
      fillRect(p, x - size + 2, y - 10, 5, 10, kDarkGreen);
      fillRect(p, x + size - 7, y - 10, 5, 10, kDarkGreen);
      fillEllipse(p, x, y - 10 - size, size, size + 2, skin);
      fillEllipse(p, x - 3, y - 18 - 2 * size, size - 2, size - 3, skin);
      fillRect(p, x - size + 1, y - 22 - 2 * size, 3, 3, kRed);
      fillRect(p, x - 8 - 2 * size / 3, y - 10 - 2 * size + jaw, 8, 2 + jaw, kBlack);
      drawLine(p, x - size - 4, y - 14 - size, x - size - 10, y - 30 - size - (lunging ? 8 : 0), 4,
               kBrown);
      break;
    }
    case kSlime:
      fillEllipse(p, x, y - 12, 22 + jaw, 12 - jaw, kSlimeGreen);
      fillRect(p, x - 10, y - 18, 4, 4, kBlack);
      fillRect(p, x, y - 18, 4, 4, kBlack);
      break;
    case kSkeleton:
      drawLine(p, x - 3, y, x - 3, y - 14, 2, kBone);
      drawLine(p, x + 3, y, x + 3, y - 14, 2, kBone);
      for (int rib = 0; rib < 4; ++rib) fillRect(p, x - 6, y - 28 + 4 * rib, 12, 2, kBone);
      fillRect(p, x - 1, y - 30, 2, 16, kBone);
      fillEllipse(p, x - 1, y - 36, 6, 6, kBone);
      fillRect(p, x - 5, y - 38, 3, 3, kBlack);
      drawLine(p, x - 6, y - 26, x - 20, y - 34 + (lunging ? 10 : 0), 2, kLightGrey);
      break;
    case kGolem:
      fillRect(p, x - 14, y - 14, 10, 14, theme.hazard);
      fillRect(p, x + 4, y - 14, 10, 14, theme.hazard);
      fillRect(p, x - 16, y - 40, 32, 26, kLightBlue);
      fillRect(p, x - 10, y - 54, 20, 14, kLightBlue);
      fillRect(p, x - 8, y - 50, 4, 3, kCyan);
      fillRect(p, x - 30, y - 38 + (lunging ? 6 : 0), 14, 10, kLightBlue);
      break;
    case kDragon:
      // Only the head and neck are in sight; the dragon is far larger than the screen.
      fillRect(p, x + 10, y - 70, 220, 26, kDarkRed);
      fillEllipse(p, x + 4, y - 57, 24, 18, kDarkRed);
      fillTriangle(p, x - 36, y - 60, x - 10, y - 70, x - 10, y - 52, kDarkRed);
      fillTriangle(p, x - 34, y - 50 + jaw * 2, x - 10, y - 50, x - 10, y - 40, kDarkRed);
      fillRect(p, x - 4, y - 66, 6, 5, kYellow);
      fillTriangle(p, x + 10, y - 74, x + 22, y - 74, x + 18, y - 90, kBone);
      break;
  }
}

void drawPoof(Picture& p, int x, int y, int size) {
  fillEllipse(p, x, y, size, size * 2 / 3, kWhite);
  fillEllipse(p, x - size / 2, y - size / 3, size / 2, size / 3, kLightGrey);
  fillEllipse(p, x + size / 2, y + size / 4, size / 2, size / 3, kLightGrey);
}

void objectPlace(Move takenWith, int* x, int* y) {
  switch (takenWith) {
    case kUp: *x = kHeroX, *y = kGroundY - 72; return;
    case kDown: *x = kHeroX + 20, *y = kGroundY - 4; return;
    case kLeft: *x = kHeroX - 52, *y = kGroundY - 16; return;
    case kRight: *x = kHeroX + 52, *y = kGroundY - 16; return;
    default: *x = kHeroX + 30, *y = kGroundY - 4; return;
  }
}

// A gem half wide, its widest row at y.
void drawGem(Picture& p, int x, int y, int half) {
  fillTriangle(p, x - half, y, x + half, y, x, y + half * 8 / 7, kGold);
  fillTriangle(p, x - half, y, x + half, y, x, y - half * 5 / 7, kYellow);
}

// A gem on a ledge or on a stand, or (taken with the action button) a chest to open.
void drawObject(Picture& p, Move takenWith, int x, int y, int frame) {
  if (takenWith == kAction) {
    fillRect(p, x - 10, y - 14, 20, 14, kBrown);
    fillRect(p, x - 11, y - 18, 22, 5, kGold);
    fillRect(p, x - 2, y - 12, 4, 4, kGold);
  } else {
    if (takenWith == kUp) fillRect(p, x - 14, y + 8, 28, 4, kDarkBrown);  // the ledge
    if (takenWith == kLeft || takenWith == kRight) fillRect(p, x - 4, y + 6, 8, 10, kStone);
    drawGem(p, x, y, 7);
  }
  int phase = frame % 6;
  if (phase < 3) {  // a glint
    int gx = x + (phase - 1) * 6, gy = y - 8 - phase * 2;
    fillRect(p, gx - 3, gy, 7, 1, kWhite);
    fillRect(p, gx, gy - 3, 1, 7, kWhite);
  }
}

void drawSafeSpot(Picture& p, int x, int frame) {
  int width = 16 + (frame % 4) * 2;
  fillEllipse(p, x, kGroundY + 2, width, 3, kLightGreen);
}
