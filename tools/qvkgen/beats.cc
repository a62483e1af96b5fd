// What happens around one beat, frame by frame: where the hazard is and what the hero does,
// when the right move is made (the scene) and when it is not (the death clips).
//
// Phases count picture frames from the beat's trigger frame: the hazard comes in from phase
// -20, the window shows phases 0 to 11, the verdict falls at phase 12, phases 12 and 13 show
// the hazard at its closest and the hero still waiting, and the move is acted out from
// kOutcomePhase (14). Everything is over by phase 32, where the next beat may begin. The world
// is drawn straight: hazards come from the right.
#include <algorithm>

#include "qvkgen.h"

// Linear motion from a at phase p0 to b at phase p1.
static int travel(int phase, int p0, int p1, int a, int b) {
  if (phase <= p0) return a;
  if (phase >= p1) return b;
  return a + (b - a) * (phase - p0) / (p1 - p0);
}

// A roller or a flyer passes the hero and leaves the screen as the beat ends.
constexpr int kPassFrames = kBeatFrames - kOutcomePhase;

// The approach shared by rollers, flyers and monsters: fast from the edge of the screen, then
// slowly closing in while the window is open; at its closest until the outcome shows.
static int approachX(int phase, int near, int close) {
  if (phase < 0) return travel(phase, -kApproachFrames, 0, kWidth + 30, near);
  return travel(phase, 0, kCueFrames, near, close);
}

constexpr int kFlyerY = kGroundY - 32;  // head height

constexpr int kFallFrames = 4;  // a weight's last drop, from the outcome to the ground

static int fallerBottom(int phase) {
  if (phase < 0) return travel(phase, -kApproachFrames, 0, kTopBar - 10, 70);
  if (phase < kOutcomePhase) return travel(phase, 0, kCueFrames, 70, 90);
  return travel(phase, kOutcomePhase, kOutcomePhase + kFallFrames, 90, kGroundY);
}

static void drawWeight(Picture& p, const Theme& theme, int phase, bool broken) {
  int bottom = fallerBottom(phase);
  drawShadow(p, kHeroX, 10 + std::clamp(bottom - kTopBar, 0, kGroundY) / 5);
  drawFaller(p, theme, kHeroX, bottom, broken);
}

void drawHazard(Picture& p, const Theme& theme, Move kind, int phase, int frame) {
  switch (kind) {
    case kUp:
      if (phase < kBeatFrames)
        drawRoller(p, theme,
                   approachX(phase, 170, 132) -
                       travel(phase, kOutcomePhase, kOutcomePhase + kPassFrames, 0, 152),
                   frame);
      break;
    case kDown:
      if (phase < kBeatFrames)
        drawFlyer(p, theme,
                  approachX(phase, 170, 132) -
                      travel(phase, kOutcomePhase, kOutcomePhase + kPassFrames, 0, 170),
                  kFlyerY, frame);
      break;
    case kLeft:
    case kRight:
      if (phase < kOutcomePhase + kFallFrames) {
        drawSafeSpot(p, kHeroX + (kind == kLeft ? -kDodgeStep : kDodgeStep), frame);
        drawWeight(p, theme, phase, false);
      } else if (phase < kBeatFrames) {
        drawFaller(p, theme, kHeroX, kGroundY, true);
      }
      break;
    case kAction:
      if (phase < kOutcomePhase + 4)
        drawMonster(p, theme, approachX(phase, 175, 150), frame, phase >= 6);
      if (phase >= kOutcomePhase + 2 && phase < kOutcomePhase + 10)
        drawPoof(p, 150, kGroundY - 24, 10 + (phase - kOutcomePhase) * 2);
      break;
    default: break;
  }
}

HeroState heroDuringBeat(Move kind, int phase, int frame) {
  Pose walk = (frame / 3) % 2 ? kWalkA : kWalkB;
  int q = phase - kOutcomePhase;  // frames of the move acted out
  if (q < 0) return {kHeroX, 0, kStand};
  switch (kind) {
    case kUp:
      if (q <= kResolveFrames)
        return {kHeroX, -(44 * 4 * q * (kResolveFrames - q)) / (kResolveFrames * kResolveFrames),
                kJump};
      break;
    case kDown:
      if (q <= kResolveFrames) return {kHeroX, 0, kDuck};
      break;
    case kLeft:
    case kRight: {
      int side = kind == kLeft ? -kDodgeStep : kDodgeStep;
      // Out in a few steps, and back as the beat ends.
      constexpr int kStepOut = 4, kStepBack = 8;
      constexpr int kBack = kBeatFrames - kOutcomePhase - kStepBack;
      if (q <= kBack)
        return {kHeroX + travel(q, 0, kStepOut, 0, side), 0, q < kStepOut ? walk : kStand};
      return {kHeroX + travel(q, kBack, kBack + kStepBack, side, 0), 0, walk};
    }
    case kAction:
      if (q <= 6) return {kHeroX, 0, kStrike};
      break;
    default: break;
  }
  return {kHeroX, 0, q <= kResolveFrames ? kStand : walk};
}

// The death clips start where the window closed, with the move not made: d 0 is phase 12.
void drawHazardFailing(Picture& p, const Theme& theme, Move kind, int d, int frame) {
  switch (kind) {
    case kUp: drawRoller(p, theme, travel(d, 0, 14, 132, -30), frame); break;
    case kDown:
      if (d < 3)
        drawFlyer(p, theme, travel(d, 0, 3, 132, 108), kFlyerY, frame);
      else if (d < 9)
        drawPoof(p, kHeroX + 6, kFlyerY, 6 + d);
      break;
    case kLeft:
    case kRight: drawWeight(p, theme, kOutcomePhase + std::min(d, kFallFrames), false); break;
    case kAction: drawMonster(p, theme, travel(d, 0, 4, 150, 126), frame, true); break;
    default: break;
  }
}

HeroState heroFailing(Move kind, int d) {
  switch (kind) {
    case kUp: return {kHeroX, 0, d < 4 ? kStand : kFlat};
    case kDown: return {kHeroX, 0, d < 3 ? kStand : kFallen};
    case kLeft:
    case kRight: return {kHeroX, 0, d < 4 ? kStand : kBuried};
    case kAction: return {kHeroX - 10, 0, d < 4 ? kStand : kFallen};
    default: return {kHeroX, 0, kStand};
  }
}

std::string hazardWarning(const Theme& theme, Move kind) {
  switch (kind) {
    case kUp: {
      static const char* kNames[] = {"A BOULDER", "A BARREL", "A LOG", "A SNOWBALL", "A SKULL"};
      return std::string(kNames[theme.roll]) + " ROLLS AT YOU!";
    }
    case kDown: {
      static const char* kNames[] = {"AN ARROW", "A BAT", "A FIREBALL", "AN ICE SHARD", "A CROW"};
      return std::string(kNames[theme.fly]) + " FLIES AT YOU!";
    }
    case kLeft:
    case kRight: {
      static const char* kNames[] = {"A ROCK", "THE CHANDELIER", "AN ICICLE", "A STONE",
                                     "A BRANCH"};
      return std::string(kNames[theme.fall]) + " FALLS ON YOU!";
    }
    case kAction: {
      static const char* kNames[] = {"A GOBLIN",   "A SLIME",      "A TROLL",
                                     "A SKELETON", "AN ICE GOLEM", "THE DRAGON"};
      return std::string(kNames[theme.monster]) + " ATTACKS!";
    }
    default: return "";
  }
}

const char* deathWord(Move kind) {
  switch (kind) {
    case kUp: return "FLATTENED!";
    case kDown: return "HIT!";
    case kLeft:
    case kRight: return "CRUSHED!";
    default: return "DEFEATED!";
  }
}
