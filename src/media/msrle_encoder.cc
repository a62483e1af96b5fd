// MS-RLE 8-bit (BI_RLE8) pictures for the AVI writer.
//
// The data describe the picture from its bottom row up. A pair (n, c), n > 0, paints n pixels
// of colour c; a pair starting with 0 is an escape: (0, 0) ends the row, (0, 1) ends the
// picture, (0, 2, dx, dy) moves dx pixels right and dy rows up without painting, and (0, n),
// n >= 3, is followed by n pixels as they are, padded to an even byte count. A delta frame
// paints only the pixels that changed and moves over the rest, so the picture before it shows
// through.
#include <algorithm>

#include "media/media.h"

namespace {

constexpr int kMaxCount = 255;    // one byte of count
constexpr int kMinRun = 3;        // shorter repeats are cheaper inside an absolute block
constexpr int kMinAbsolute = 3;   // (0, 1) and (0, 2) are other escapes
constexpr int kMaxMergedGap = 4;  // unchanged pixels painted again rather than skipped (a skip
                                  // costs 4 bytes)

int runLength(const uint8_t* row, int from, int end) {
  int count = 1;
  while (from + count < end && count < kMaxCount && row[from + count] == row[from]) ++count;
  return count;
}

// Pixels row[from] to row[end - 1] as runs and absolute blocks.
void encodeSpan(const uint8_t* row, int from, int end, std::vector<uint8_t>& out) {
  int x = from;
  while (x < end) {
    int run = runLength(row, x, end);
    if (run >= 2) {
      out.push_back(uint8_t(run));
      out.push_back(row[x]);
      x += run;
      continue;
    }
    int stop = x + 1;
    while (stop < end && stop - x < kMaxCount && runLength(row, stop, end) < kMinRun) ++stop;
    int count = stop - x;
    if (count < kMinAbsolute) {
      for (int i = x; i < stop; ++i) {
        out.push_back(1);
        out.push_back(row[i]);
      }
    } else {
      out.push_back(0);
      out.push_back(uint8_t(count));
      out.insert(out.end(), row + x, row + stop);
      if (count & 1) out.push_back(0);
    }
    x = stop;
  }
}

// The end of the changed stretch that starts at x: short unchanged gaps are taken in.
int changedStretchEnd(const uint8_t* row, const uint8_t* before, int x, int width) {
  int end = x;
  while (end < width) {
    if (row[end] != before[end]) {
      ++end;
      continue;
    }
    int gap = end;
    while (gap < width && row[gap] == before[gap]) ++gap;
    if (gap == width || gap - end > kMaxMergedGap) break;
    end = gap;
  }
  return end;
}

// Moves the drawing position from (x, y) to (toX, toY) without painting; rows count from the
// bottom. A target left of the position is reached through the end of the row.
void moveTo(int& x, int& y, int toX, int toY, std::vector<uint8_t>& out) {
  if (toY > y && toX < x) {
    out.push_back(0);
    out.push_back(0);
    x = 0;
    ++y;
  }
  int dx = toX - x, dy = toY - y;
  while (dx > 0 || dy > 0) {
    int stepX = std::min(dx, kMaxCount), stepY = std::min(dy, kMaxCount);
    out.insert(out.end(), {0, 2, uint8_t(stepX), uint8_t(stepY)});
    dx -= stepX;
    dy -= stepY;
  }
  x = toX;
  y = toY;
}

void encodeKeyFrame(const uint8_t* picture, int width, int height, std::vector<uint8_t>& out) {
  for (int y = 0; y < height; ++y) {
    encodeSpan(picture + size_t(height - 1 - y) * size_t(width), 0, width, out);
    if (y < height - 1) out.insert(out.end(), {0, 0});
  }
}

void encodeDeltaFrame(const uint8_t* picture, const uint8_t* previous, int width, int height,
                      std::vector<uint8_t>& out) {
  int x = 0, y = 0;
  for (int rowNumber = 0; rowNumber < height; ++rowNumber) {
    size_t rowStart = size_t(height - 1 - rowNumber) * size_t(width);
    const uint8_t* row = picture + rowStart;
    const uint8_t* before = previous + rowStart;
    int from = 0;
    while (true) {
      while (from < width && row[from] == before[from]) ++from;
      if (from == width) break;
      int end = changedStretchEnd(row, before, from, width);
      moveTo(x, y, from, rowNumber, out);
      encodeSpan(row, from, end, out);
      x = end;
      from = end;
    }
  }
}

}  // namespace

void encodeMsrleFrame(const uint8_t* picture, const uint8_t* previous, int width, int height,
                      std::vector<uint8_t>& out) {
  if (previous)
    encodeDeltaFrame(picture, previous, width, height, out);
  else
    encodeKeyFrame(picture, width, height, out);
  out.insert(out.end(), {0, 1});
}
