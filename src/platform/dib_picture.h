// Pictures: a packed device-independent bitmap as stored in the program's resources (the title
// picture), decoded to pixels. A 40-byte information header, its colour table and 8-bit pixels,
// uncompressed or BI_RLE8, become 32-bit 0x00RRGGBB pixels, top row first; pixels the
// compressed data skip keep colour 0.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

struct DecodedPicture {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> pixels;  // width * height
};

constexpr uint32_t kBitmapRgb = 0;   // uncompressed
constexpr uint32_t kBitmapRle8 = 1;  // BI_RLE8
constexpr int kBitmapInfoHeaderSize = 40;

// False (and an empty picture) for anything but an 8-bit picture of sane size whose header and
// colour table are whole; compressed data that end early or run past the edges are cut off.
bool decodeDib(const uint8_t* bytes, size_t size, DecodedPicture* picture);

// The 8-bit pixel data of a width x height picture (kBitmapRle8, or kBitmapRgb rows padded to
// four bytes) as colour indices, one byte a pixel, rows in stored order. Pixels the compressed
// data skip keep the index they had, so a delta frame draws over the picture before it. False
// for damaged data (a jump or a row beyond the picture, pixels beyond the data); what came
// before the damage is decoded.
bool decodeDibIndices(const uint8_t* data, size_t size, uint32_t compression, int width, int height,
                      uint8_t* indices);
