// Packed 8-bit device-independent bitmaps, uncompressed or run-length encoded (BI_RLE8), as the
// title picture is stored. Rows are stored bottom row first unless the height is negative.
#include <algorithm>
#include <cstring>
#include <vector>

#include "base/base.h"
#include "platform/dib_picture.h"

namespace {

constexpr int kMaxSide = 4096;
constexpr int kColourTableEntries = 256;

uint32_t readLittle(const uint8_t* p, int bytes) {
  uint32_t value = 0;
  for (int i = bytes - 1; i >= 0; --i) value = (value << 8) | p[i];
  return value;
}

// Where decoded indices go: stored row y (the first stored row is 0) of a picture of width x
// height, one byte a pixel. Pixels outside the picture are dropped.
struct IndexSink {
  uint8_t* indices;
  int width;
  int height;

  // The pixels from x on of row y, count of them, cut to the picture: a run of one index, or
  // the indices in from.
  void run(int x, int y, int count, uint8_t index) {
    if (uint8_t* at = cut(x, y, &count)) std::memset(at, index, count);
  }
  void copy(int x, int y, int count, const uint8_t* from) {
    if (uint8_t* at = cut(x, y, &count)) std::memcpy(at, from, count);
  }
  uint8_t* cut(int x, int y, int* count) {
    if (y < 0 || y >= height || x >= width || x < 0) return nullptr;
    *count = std::min(*count, width - x);
    return indices + static_cast<size_t>(y) * width + x;
  }
};

// Rows are padded to four bytes; rows the data lack are damage.
bool decodeUncompressed(const uint8_t* data, size_t size, IndexSink& sink) {
  size_t stride = (static_cast<size_t>(sink.width) + 3) & ~size_t{3};
  for (int y = 0; y < sink.height && stride * y < size; ++y) {
    size_t rowStart = stride * y;
    sink.copy(0, y, static_cast<int>(std::min<size_t>(sink.width, size - rowStart)),
              data + rowStart);
  }
  return size >= stride * sink.height;
}

// Pairs of (count, index) are runs; a count of 0 is an escape: 0 end of row, 1 end of picture,
// 2 a jump right and up, 3 and more a literal stretch padded to an even length. Damage: a jump
// or a row beyond the picture, a stretch beyond the data.
bool decodeRle8(const uint8_t* data, size_t size, IndexSink& sink) {
  size_t at = 0;
  int x = 0, y = 0;
  while (at + 1 < size) {
    uint8_t count = data[at], value = data[at + 1];
    at += 2;
    if (count > 0) {
      sink.run(x, y, count, value);
      x += count;
    } else if (value == 0) {
      x = 0;
      // The row after the last is damage unless the picture ends there.
      if (++y >= sink.height) return at + 1 < size && data[at] == 0 && data[at + 1] == 1;
    } else if (value == 1) {
      return true;
    } else if (value == 2) {
      if (at + 1 >= size) return false;
      x += data[at];
      y += data[at + 1];
      at += 2;
      if (x >= sink.width || y >= sink.height) return false;
    } else {
      int there = static_cast<int>(std::min<size_t>(value, size - at));
      sink.copy(x, y, there, data + at);
      if (there < value) return false;
      x += value;
      at += value + (value & 1);
    }
  }
  return true;  // data that end without an end of picture are whole as far as they go
}

}  // namespace

bool decodeDibIndices(const uint8_t* data, size_t size, uint32_t compression, int width, int height,
                      uint8_t* indices) {
  if (!data || !indices || width < 1 || height < 1) return false;
  IndexSink sink{indices, width, height};
  if (compression == kBitmapRle8) return decodeRle8(data, size, sink);
  if (compression == kBitmapRgb) return decodeUncompressed(data, size, sink);
  return false;
}

bool decodeDib(const uint8_t* bytes, size_t size, DecodedPicture* picture) {
  *picture = DecodedPicture{};
  if (!bytes || size < static_cast<size_t>(kBitmapInfoHeaderSize)) return false;
  uint32_t headerSize = readLittle(bytes, 4);
  int32_t width = static_cast<int32_t>(readLittle(bytes + 4, 4));
  int32_t height = static_cast<int32_t>(readLittle(bytes + 8, 4));
  uint32_t bitCount = readLittle(bytes + 14, 2);
  uint32_t compression = readLittle(bytes + 16, 4);
  uint32_t coloursUsed = readLittle(bytes + 32, 4);
  if (headerSize < kBitmapInfoHeaderSize || headerSize > size || bitCount != 8) return false;
  if (compression != kBitmapRgb && compression != kBitmapRle8) return false;
  bool bottomUp = height > 0;
  if (height == INT32_MIN) return false;
  int32_t rows = bottomUp ? height : -height;
  if (width < 1 || width > kMaxSide || rows < 1 || rows > kMaxSide) return false;
  if (coloursUsed > kColourTableEntries) return false;
  if (coloursUsed == 0) coloursUsed = kColourTableEntries;
  size_t pixelsStart = headerSize + 4 * static_cast<size_t>(coloursUsed);
  if (pixelsStart > size) return false;

  uint32_t colours[kColourTableEntries] = {};
  for (uint32_t i = 0; i < coloursUsed; ++i) {
    const uint8_t* entry = bytes + headerSize + 4 * i;  // blue, green, red, reserved
    colours[i] = (uint32_t{entry[2]} << 16) | (uint32_t{entry[1]} << 8) | entry[0];
  }

  // Damaged data are cut off where the damage begins; the rest keeps colour 0.
  std::vector<uint8_t> indices(static_cast<size_t>(width) * rows, 0);
  decodeDibIndices(bytes + pixelsStart, size - pixelsStart, compression, width, rows,
                   indices.data());
  picture->width = width;
  picture->height = rows;
  picture->pixels.resize(indices.size());
  for (int32_t y = 0; y < rows; ++y) {
    const uint8_t* stored = &indices[static_cast<size_t>(bottomUp ? rows - 1 - y : y) * width];
    uint32_t* row = &picture->pixels[static_cast<size_t>(y) * width];
    for (int32_t x = 0; x < width; ++x) row[x] = colours[stored[x]];
  }
  return true;
}
