// The backdrop of a scene: sky in bands, a far layer that drifts slowly, decorations and the
// ground that move with the walk. Everything repeats along the way, so a scroll position is all
// it takes to draw it.
#include "qvkgen.h"

constexpr int kWorldTop = kTopBar;

// Position of the first copy of a repeating thing of period `period` on screen.
static int firstCopy(int scroll, int period) {
  int offset = scroll % period;
  return -offset;
}

static void drawSky(Picture& p, const Theme& theme) {
  const int bands[4] = {kWorldTop, 70, 110, kGroundY};
  for (int b = 0; b < 3; ++b)
    fillRect(p, 0, bands[b], kWidth, bands[b + 1] - bands[b], theme.sky[b]);
}

static void drawFarLayer(Picture& p, const Theme& theme, int scroll) {
  const int period = 200;
  for (int x = firstCopy(scroll / 3, period) - period; x < kWidth + period; x += period)
    fillTriangle(p, x, kGroundY, x + 80, 100, x + 160, kGroundY, theme.far);
}

static void drawDecor(Picture& p, const Theme& theme, int scroll) {
  const uint8_t c = theme.decor;
  switch (theme.decorKind) {
    case kTowers:
      for (int x = firstCopy(scroll / 2, 150) - 150; x < kWidth + 150; x += 150) {
        fillRect(p, x + 20, 84, 34, kGroundY - 84, c);
        for (int m = 0; m < 4; ++m) fillRect(p, x + 20 + m * 10, 76, 6, 8, c);
        fillRect(p, x + 34, 100, 6, 10, kYellow);
      }
      break;
    case kTrees:
      for (int x = firstCopy(scroll, 90) - 90; x < kWidth + 90; x += 90) {
        fillRect(p, x + 40, 120, 8, kGroundY - 120, c);
        fillEllipse(p, x + 44, 112, 22, 20, kDarkGreen);
      }
      break;
    case kStalactites:
      for (int x = firstCopy(scroll, 50) - 50; x < kWidth + 50; x += 50) {
        fillTriangle(p, x, kWorldTop, x + 20, kWorldTop, x + 10, kWorldTop + 34, c);
        fillTriangle(p, x + 28, kWorldTop, x + 40, kWorldTop, x + 34, kWorldTop + 18, c);
      }
      break;
    case kWaves:
      fillRect(p, 0, kGroundY + 10, kWidth, kPanelY - kGroundY - 10, kBlue);
      for (int x = firstCopy(scroll, 60) - 60; x < kWidth + 60; x += 60) {
        fillRect(p, x + 10, kGroundY + 18, 20, 2, kLightBlue);
        fillRect(p, x + 40, kGroundY + 24, 14, 2, kLightBlue);
        fillRect(p, x + 4, kGroundY + 2, 6, 12, c);  // the bridge's posts
      }
      break;
    case kPillars:
      for (int x = firstCopy(scroll, 80) - 80; x < kWidth + 80; x += 80) {
        fillRect(p, x + 30, kWorldTop + 10, 18, kGroundY - kWorldTop - 10, c);
        fillRect(p, x + 26, kWorldTop + 10, 26, 6, c);
        fillRect(p, x + 26, kGroundY - 6, 26, 6, c);
      }
      break;
    case kIceSpikes:
      for (int x = firstCopy(scroll, 70) - 70; x < kWidth + 70; x += 70) {
        fillTriangle(p, x + 10, kGroundY, x + 24, kGroundY, x + 17, 120, c);
        fillTriangle(p, x + 30, kGroundY, x + 40, kGroundY, x + 35, 140, c);
      }
      break;
    case kStars:
      for (int s = 0; s < 18; ++s)
        fillRect(p, (s * 73) % kWidth, kWorldTop + (s * 37) % 70, 2, 2, c);
      for (int x = firstCopy(scroll / 2, 100) - 100; x < kWidth + 100; x += 100)
        fillRect(p, x + 40, 120, 8, 12, c);  // lit windows of the tower
      break;
    case kLavaGlow:
      for (int x = firstCopy(scroll, 64) - 64; x < kWidth + 64; x += 64)
        fillEllipse(p, x + 32, kGroundY - 2, 18, 3, c);
      break;
  }
}

static void drawGround(Picture& p, const Theme& theme, int scroll) {
  int bottom = theme.decorKind == kWaves ? kGroundY + 10 : kPanelY;
  fillRect(p, 0, kGroundY, kWidth, bottom - kGroundY, theme.ground);
  fillRect(p, 0, kGroundY, kWidth, 3, theme.groundEdge);
  for (int x = firstCopy(scroll, 40) - 40; x < kWidth + 40; x += 40)
    fillRect(p, x + 12, kGroundY + 9, 8, 3, theme.groundEdge);
}

void drawBackground(Picture& p, const Theme& theme, int scroll) {
  drawSky(p, theme);
  if (theme.decorKind != kStalactites && theme.decorKind != kPillars)
    drawFarLayer(p, theme, scroll);
  drawDecor(p, theme, scroll);
  drawGround(p, theme, scroll);
}
