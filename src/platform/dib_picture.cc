// Packed 8-bit device-independent bitmaps, uncompressed or run-length encoded (BI_RLE8), as the
// title picture is stored. Rows are stored bottom row first unless the height is negative.
#include <cstring>

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

// Writes decoded 8-bit pixels into the picture through its colour table; the stored row y
// counts from the bottom when bottomUp is set.
struct PixelSink {
  DecodedPicture* picture;
  const uint32_t* colours;
  bool bottomUp;

  void put(int x, int y, uint8_t index) {
    if (x < 0 || y < 0 || x >= picture->width || y >= picture->height) return;
    int row = bottomUp ? picture->height - 1 - y : y;
    picture->pixels[static_cast<size_t>(row) * picture->width + x] = colours[index];
  }
};

void decodeUncompressed(const uint8_t* data, size_t size, PixelSink& sink) {
  size_t stride = (static_cast<size_t>(sink.picture->width) + 3) & ~size_t{3};
  for (int y = 0; y < sink.picture->height; ++y) {
    size_t rowStart = stride * y;
    for (int x = 0; x < sink.picture->width && rowStart + x < size; ++x) {
      sink.put(x, y, data[rowStart + x]);
    }
  }
}

// Pairs of (count, index) are runs; a count of 0 is an escape: 0 end of row, 1 end of picture,
// 2 a jump right and up, 3 and more a literal stretch padded to an even length.
void decodeRle8(const uint8_t* data, size_t size, PixelSink& sink) {
  size_t at = 0;
  int x = 0, y = 0;
  while (at + 1 < size && y < sink.picture->height) {
    uint8_t count = data[at], value = data[at + 1];
    at += 2;
    if (count > 0) {
      for (int i = 0; i < count; ++i) sink.put(x++, y, value);
    } else if (value == 0) {
      x = 0;
      ++y;
    } else if (value == 1) {
      return;
    } else if (value == 2) {
      if (at + 1 >= size) return;
      x += data[at];
      y += data[at + 1];
      at += 2;
    } else {
      for (int i = 0; i < value && at < size; ++i) sink.put(x++, y, data[at++]);
      if (value & 1) ++at;
    }
  }
}

}  // namespace

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

  picture->width = width;
  picture->height = rows;
  picture->pixels.assign(static_cast<size_t>(width) * rows, colours[0]);
  PixelSink sink{picture, colours, bottomUp};
  if (compression == kBitmapRle8) {
    decodeRle8(bytes + pixelsStart, size - pixelsStart, sink);
  } else {
    decodeUncompressed(bytes + pixelsStart, size - pixelsStart, sink);
  }
  return true;
}
