// The program's icon, "ICON48", "ICON32" and "ICON16": a gold Q on a night-blue disc with the
// moon behind it, as PNG images.
#include <zlib.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "bitmap_font.h"
#include "make_resources.h"

namespace {

struct Rgba {
  uint8_t r, g, b, a;
};

std::vector<Rgba> drawIcon(int size) {
  std::vector<Rgba> pixels(size * size, Rgba{0, 0, 0, 0});
  double centre = (size - 1) / 2.0, radius = size / 2.0;
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      double d = std::hypot(x - centre, y - centre);
      if (d > radius) continue;
      double t = static_cast<double>(y) / size;
      uint8_t edge = d > radius - 1 ? 160 : 255;  // a softer rim
      pixels[y * size + x] = {static_cast<uint8_t>(20 + 60 * t), static_cast<uint8_t>(16 + 20 * t),
                              static_cast<uint8_t>(70 + 30 * t), edge};
    }
  }
  // The moon, upper right, behind the letter.
  double moonX = size * 0.72, moonY = size * 0.26, moonRadius = size * 0.16;
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x)
      if (std::hypot(x - moonX, y - moonY) <= moonRadius)
        pixels[y * size + x] = {240, 236, 200, 255};

  int scale = size <= 16 ? 2 : (size + 8) / 13;
  int left = (size - kGlyphWidth * scale) / 2 - size / 16;
  int top = (size - kGlyphHeight * scale) / 2 + size / 24;
  std::vector<uint8_t> mask(size * size, 0);
  drawText("Q", left, top, scale, [&](int x, int y) {
    if (x >= 0 && y >= 0 && x < size && y < size) mask[y * size + x] = 1;
  });
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      Rgba& p = pixels[y * size + x];
      if (mask[y * size + x]) {
        double t = static_cast<double>(y - top) / (kGlyphHeight * scale);
        p = {255, static_cast<uint8_t>(230 - 110 * t), static_cast<uint8_t>(120 - 100 * t), 255};
      } else if (size >= 32) {
        bool edge = false;
        for (int dy = -1; dy <= 1; ++dy)
          for (int dx = -1; dx <= 1; ++dx) {
            int nx = x + dx, ny = y + dy;
            edge = edge || (nx >= 0 && ny >= 0 && nx < size && ny < size && mask[ny * size + nx]);
          }
        if (edge) p = {40, 16, 4, 255};
      }
    }
  }
  return pixels;
}

void putBig(std::vector<uint8_t>& out, uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back((value >> shift) & 0xff);
}

void putChunk(std::vector<uint8_t>& out, const char* type, const std::vector<uint8_t>& data) {
  putBig(out, data.size());
  size_t typeStart = out.size();
  out.insert(out.end(), type, type + 4);
  out.insert(out.end(), data.begin(), data.end());
  putBig(out, crc32(0, out.data() + typeStart, out.size() - typeStart));
}

std::vector<uint8_t> encodePng(const std::vector<Rgba>& pixels, int size) {
  std::vector<uint8_t> raw;
  for (int y = 0; y < size; ++y) {
    raw.push_back(0);  // no filter
    for (int x = 0; x < size; ++x) {
      const Rgba& p = pixels[y * size + x];
      raw.insert(raw.end(), {p.r, p.g, p.b, p.a});
    }
  }
  uLongf packedSize = compressBound(raw.size());
  std::vector<uint8_t> packed(packedSize);
  if (compress2(packed.data(), &packedSize, raw.data(), raw.size(), 9) != Z_OK) std::exit(1);
  packed.resize(packedSize);

  std::vector<uint8_t> header;
  putBig(header, size);
  putBig(header, size);
  header.insert(header.end(), {8, 6, 0, 0, 0});  // 8 bits, RGBA, deflate, no filter, no interlace

  std::vector<uint8_t> out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
  putChunk(out, "IHDR", header);
  putChunk(out, "IDAT", packed);
  putChunk(out, "IEND", {});
  return out;
}

}  // namespace

Bytes makeIcon(int size) {
  return encodePng(drawIcon(size), size);
}
Bytes makeIcon48() {
  return makeIcon(48);
}
Bytes makeIcon32() {
  return makeIcon(32);
}
Bytes makeIcon16() {
  return makeIcon(16);
}
