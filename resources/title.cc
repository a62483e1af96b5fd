// The title picture, "TITLE": a packed 320 by 240, 8-bit bitmap with a 256-colour table,
// run-length encoded (BI_RLE8). A night sky over a valley, a castle on the hill, and the
// game's name in gold.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "base/base.h"
#include "bitmap_font.h"
#include "make_resources.h"

namespace {

constexpr int kWidth = 320;
constexpr int kHeight = 240;

// Colour table layout: each band of entries is one thing in the picture.
constexpr int kSkyFirst = 1, kSkyCount = 95;
constexpr int kFarHillsFirst = 96, kFarHillsCount = 16;
constexpr int kNearHillsFirst = 112, kNearHillsCount = 16;
constexpr int kGoldFirst = 128, kGoldCount = 32;
constexpr int kOutline = 160, kShadow = 161;
constexpr int kMoonFirst = 162, kMoonCount = 8;
constexpr int kStarFirst = 170, kStarCount = 8;
constexpr int kWhite = 180, kSubtitle = 181, kLitWindow = 182;

struct Rgb {
  uint8_t r, g, b;
};

Rgb blend(Rgb a, Rgb b, double t) {
  auto mix = [t](uint8_t x, uint8_t y) { return static_cast<uint8_t>(x + (y - x) * t + 0.5); };
  return {mix(a.r, b.r), mix(a.g, b.g), mix(a.b, b.b)};
}

// A band of count entries from one colour through a middle one to a third.
void band(Rgb* table, int first, int count, Rgb from, Rgb middle, Rgb to) {
  for (int i = 0; i < count; ++i) {
    double t = count > 1 ? static_cast<double>(i) / (count - 1) : 0;
    table[first + i] = t < 0.5 ? blend(from, middle, t * 2) : blend(middle, to, t * 2 - 1);
  }
}

void makeColourTable(Rgb* table) {
  band(table, kSkyFirst, kSkyCount, {6, 8, 30}, {52, 28, 88}, {236, 126, 70});
  band(table, kFarHillsFirst, kFarHillsCount, {86, 60, 120}, {60, 40, 92}, {36, 26, 60});
  band(table, kNearHillsFirst, kNearHillsCount, {28, 20, 44}, {16, 12, 28}, {6, 4, 12});
  band(table, kGoldFirst, kGoldCount, {255, 244, 170}, {248, 196, 60}, {170, 92, 16});
  band(table, kMoonFirst, kMoonCount, {255, 252, 226}, {238, 232, 196}, {200, 196, 170});
  band(table, kStarFirst, kStarCount, {110, 110, 150}, {180, 180, 220}, {255, 255, 255});
  table[kOutline] = {40, 16, 4};
  table[kShadow] = {8, 4, 16};
  table[kWhite] = {240, 240, 250};
  table[kSubtitle] = {190, 200, 255};
  table[kLitWindow] = {255, 210, 90};
}

using Canvas = std::vector<uint8_t>;  // kWidth * kHeight colour indices, top row first

void plot(Canvas& canvas, int x, int y, int index) {
  if (x >= 0 && y >= 0 && x < kWidth && y < kHeight) canvas[y * kWidth + x] = index;
}

void drawSky(Canvas& canvas) {
  for (int y = 0; y < kHeight; ++y) {
    int index = kSkyFirst + std::min(kSkyCount - 1, y * (kSkyCount - 1) / 170);
    for (int x = 0; x < kWidth; ++x) plot(canvas, x, y, index);
  }
  uint32_t seed = 12345;
  auto next = [&seed] {
    seed = seed * 1103515245 + 12345;
    return (seed >> 16) & 0x7fff;
  };
  for (int star = 0; star < 90; ++star) {
    int x = next() % kWidth, y = next() % 120;
    plot(canvas, x, y, kStarFirst + next() % kStarCount);
  }
  const int moonX = 262, moonY = 36, radius = 17;
  for (int y = -radius; y <= radius; ++y) {
    for (int x = -radius; x <= radius; ++x) {
      double d = std::sqrt(x * x + y * y);
      if (d > radius) continue;
      int shade = static_cast<int>((x + y + 2 * radius) * (kMoonCount - 1) / (4.0 * radius));
      plot(canvas, moonX + x, moonY + y, kMoonFirst + shade);
    }
  }
}

// A ridge of hills: every column from its ridge line down is filled with a band that darkens
// with depth.
template <typename Ridge>
void drawHills(Canvas& canvas, int first, int count, Ridge ridge) {
  for (int x = 0; x < kWidth; ++x) {
    int top = ridge(x);
    for (int y = top; y < kHeight; ++y) {
      plot(canvas, x, y, first + std::min(count - 1, (y - top) * count / 60));
    }
  }
}

void drawCastle(Canvas& canvas, int left, int base) {
  auto block = [&](int x0, int y0, int w, int h) {
    for (int y = y0; y < y0 + h; ++y)
      for (int x = x0; x < x0 + w; ++x) plot(canvas, x, y, kNearHillsFirst + kNearHillsCount - 1);
  };
  auto battlements = [&](int x0, int y0, int w) {
    for (int x = x0; x < x0 + w; x += 4) block(x, y0 - 3, 2, 3);
  };
  block(left, base - 26, 60, 26);  // the wall
  battlements(left, base - 26, 60);
  block(left - 6, base - 44, 14, 44);  // the towers
  battlements(left - 6, base - 44, 14);
  block(left + 52, base - 40, 14, 40);
  battlements(left + 52, base - 40, 14);
  block(left + 24, base - 58, 12, 32);                                            // the keep
  for (int i = 0; i < 8; ++i) block(left + 30 - i / 2, base - 66 + i, 1 + i, 1);  // its roof
  const int windows[][2] = {{-2, 36}, {56, 32}, {28, 50}, {28, 40}, {12, 16}, {44, 16}};
  for (const auto& w : windows) {
    for (int y = 0; y < 3; ++y) {
      plot(canvas, left + w[0], base - w[1] + y, kLitWindow);
      plot(canvas, left + w[0] + 1, base - w[1] + y, kLitWindow);
    }
  }
}

// Text in gold with a dark outline and a drop shadow, centred on the picture.
void drawTitle(Canvas& canvas, const char* text, int top, int scale) {
  int left = (kWidth - textWidth(text, scale)) / 2;
  std::vector<uint8_t> mask(kWidth * kHeight, 0);
  drawText(text, left, top, scale, [&](int x, int y) {
    if (x >= 0 && y >= 0 && x < kWidth && y < kHeight) mask[y * kWidth + x] = 1;
  });
  auto lit = [&](int x, int y) {
    return x >= 0 && y >= 0 && x < kWidth && y < kHeight && mask[y * kWidth + x];
  };
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      if (lit(x, y)) continue;
      bool edge = false;
      for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx) edge = edge || lit(x + dx, y + dy);
      if (edge)
        plot(canvas, x, y, kOutline);
      else if (lit(x - 3, y - 3))
        plot(canvas, x, y, kShadow);
    }
  }
  int height = kGlyphHeight * scale;
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      if (!lit(x, y)) continue;
      int shade = std::clamp((y - top) * (kGoldCount - 1) / height, 0, kGoldCount - 1);
      plot(canvas, x, y, kGoldFirst + shade);
    }
  }
}

void drawCentred(Canvas& canvas, const char* text, int top, int index) {
  int left = (kWidth - textWidth(text, 1)) / 2;
  drawText(text, left, top, 1, [&](int x, int y) { plot(canvas, x, y, index); });
}

Canvas drawPicture() {
  Canvas canvas(kWidth * kHeight, 0);
  drawSky(canvas);
  drawHills(canvas, kFarHillsFirst, kFarHillsCount, [](int x) {
    return static_cast<int>(150 - 22 * std::fabs(std::sin(x * 0.021)) - 9 * std::sin(x * 0.07 + 1));
  });
  drawHills(canvas, kNearHillsFirst, kNearHillsCount, [](int x) {
    return static_cast<int>(196 - 14 * std::sin(x * 0.013 + 0.4) - 4 * std::sin(x * 0.05));
  });
  drawCastle(canvas, 40, 194);
  drawTitle(canvas, "QUARNVALE II", 58, 4);
  drawCentred(canvas, "- AN INTERACTIVE MOVIE ADVENTURE -", 98, kSubtitle);
  drawCentred(canvas, "GAME > NEW TO PLAY", 222, kWhite);
  return canvas;
}

// One row in BI_RLE8: runs of three or more as (count, index); the rest as literal stretches
// (0, length, bytes, padded to an even length), stretches shorter than three as short runs.
void encodeRow(const uint8_t* row, std::vector<uint8_t>& out) {
  int x = 0;
  auto runAt = [&](int at) {
    int n = 1;
    while (at + n < kWidth && n < 255 && row[at + n] == row[at]) ++n;
    return n;
  };
  while (x < kWidth) {
    int run = runAt(x);
    if (run >= 3) {
      out.push_back(run);
      out.push_back(row[x]);
      x += run;
      continue;
    }
    int end = x;
    while (end < kWidth && end - x < 255 && runAt(end) < 3) ++end;
    int length = end - x;
    if (length < 3) {
      for (; x < end; ++x) {
        out.push_back(1);
        out.push_back(row[x]);
      }
      continue;
    }
    out.push_back(0);
    out.push_back(length);
    out.insert(out.end(), row + x, row + end);
    if (length & 1) out.push_back(0);
    x = end;
  }
  out.push_back(0);  // end of row
  out.push_back(0);
}

}  // namespace

Bytes makeTitlePicture() {
  Rgb table[256] = {};
  makeColourTable(table);
  Canvas canvas = drawPicture();

  std::vector<uint8_t> pixels;
  for (int y = kHeight - 1; y >= 0; --y) encodeRow(&canvas[y * kWidth], pixels);  // bottom up
  pixels.push_back(0);                                                            // end of picture
  pixels.push_back(1);

  Bytes out;
  appendLe32(out, 40);  // the information header
  appendLe32(out, kWidth);
  appendLe32(out, kHeight);
  appendLe16(out, 1);  // planes
  appendLe16(out, 8);  // bits per pixel
  appendLe32(out, 1);  // BI_RLE8
  appendLe32(out, pixels.size());
  appendLe32(out, 0);
  appendLe32(out, 0);
  appendLe32(out, 0);  // colours used: all 256
  appendLe32(out, 0);
  for (const Rgb& c : table) {
    out.push_back(c.b);
    out.push_back(c.g);
    out.push_back(c.r);
    out.push_back(0);
  }
  out.insert(out.end(), pixels.begin(), pixels.end());
  return out;
}
