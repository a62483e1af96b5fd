// Drawing primitives on a palettized picture, and the game's colour table. Shapes are filled
// in flat colour with straight edges: large areas of one colour compress well.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "qvkgen.h"

void fillPalette(uint32_t (&palette)[256]) {
  std::memset(palette, 0, sizeof palette);
  for (int i = 0; i < kColourCount; ++i) palette[i] = kColourRgb[i];
}

void fillRect(Picture& p, int x, int y, int w, int h, uint8_t colour) {
  int x0 = std::max(x, 0), x1 = std::min(x + w, kWidth);
  int y0 = std::max(y, 0), y1 = std::min(y + h, kHeight);
  if (x0 >= x1) return;
  for (int row = y0; row < y1; ++row) std::memset(&p.pixels[row * kWidth + x0], colour, x1 - x0);
}

static void fillSpan(Picture& p, int y, int x0, int x1, uint8_t colour) {
  if (y < 0 || y >= kHeight) return;
  x0 = std::max(x0, 0);
  x1 = std::min(x1, kWidth - 1);
  if (x0 > x1) return;
  std::memset(&p.pixels[y * kWidth + x0], colour, x1 - x0 + 1);
}

void fillEllipse(Picture& p, int cx, int cy, int rx, int ry, uint8_t colour) {
  if (rx <= 0 || ry <= 0) return;
  for (int dy = -ry; dy <= ry; ++dy) {
    double t = 1.0 - (dy * dy) / double(ry * ry);
    int half = static_cast<int>(std::lround(rx * std::sqrt(std::max(t, 0.0))));
    fillSpan(p, cy + dy, cx - half, cx + half, colour);
  }
}

// Scan-line fill: for every row, the span between the triangle's edges at the row's centre.
void fillTriangle(Picture& p, int x0, int y0, int x1, int y1, int x2, int y2, uint8_t colour) {
  int top = std::max(std::min({y0, y1, y2}), 0);
  int bottom = std::min(std::max({y0, y1, y2}), kHeight - 1);
  const int xs[3] = {x0, x1, x2}, ys[3] = {y0, y1, y2};
  for (int y = top; y <= bottom; ++y) {
    double c = y + 0.5, lo = 1e9, hi = -1e9;
    for (int e = 0; e < 3; ++e) {
      int a = e, b = (e + 1) % 3;
      if (ys[a] == ys[b]) {
        if (ys[a] == y) {
          lo = std::min<double>({lo, double(xs[a]), double(xs[b])});
          hi = std::max<double>({hi, double(xs[a]), double(xs[b])});
        }
        continue;
      }
      double t = (c - ys[a]) / double(ys[b] - ys[a]);
      if (t < 0 || t > 1) continue;
      double x = xs[a] + t * (xs[b] - xs[a]);
      lo = std::min(lo, x);
      hi = std::max(hi, x);
    }
    if (lo <= hi) fillSpan(p, y, int(std::lround(lo)), int(std::lround(hi)), colour);
  }
}

void drawLine(Picture& p, int x0, int y0, int x1, int y1, int thickness, uint8_t colour) {
  int steps = std::max(std::abs(x1 - x0), std::abs(y1 - y0));
  int half = thickness / 2;
  for (int i = 0; i <= steps; ++i) {
    int x = steps ? x0 + (x1 - x0) * i / steps : x0;
    int y = steps ? y0 + (y1 - y0) * i / steps : y0;
    fillRect(p, x - half, y - half, thickness, thickness, colour);
  }
}

void mirrorPicture(Picture& p) {
  for (int y = 0; y < kHeight; ++y) {
    uint8_t* row = &p.pixels[y * kWidth];
    std::reverse(row, row + kWidth);
  }
}
