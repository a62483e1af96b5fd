// The regions of a sound buffer that a lock hands out and an unlock takes back, the same for
// every kind of buffer: a range that runs past the buffer's end wraps to its start.
#include <algorithm>

#include "platform/sound_regions.h"

bool lockRegions(uint8_t* bytes, uint32_t size, uint32_t offset, uint32_t count, uint8_t** region1,
                 uint32_t* length1, uint8_t** region2, uint32_t* length2) {
  *region1 = *region2 = nullptr;
  *length1 = *length2 = 0;
  if (count == 0 || count > size || offset >= size) return false;
  *region1 = bytes + offset;
  *length1 = std::min(count, size - offset);
  if (*length1 < count) {
    *region2 = bytes;
    *length2 = count - *length1;
  }
  return true;
}

static bool regionInside(const uint8_t* bytes, uint32_t size, const uint8_t* region,
                         uint32_t length) {
  return region >= bytes && length <= size && static_cast<size_t>(region - bytes) <= size - length;
}

bool regionsInside(const uint8_t* bytes, uint32_t size, const uint8_t* region1, uint32_t length1,
                   const uint8_t* region2, uint32_t length2) {
  return regionInside(bytes, size, region1, length1) &&
         (length2 == 0 || regionInside(bytes, size, region2, length2));
}
