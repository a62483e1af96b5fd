// The regions of a sound buffer's bytes that a lock hands out and an unlock takes back, the
// same for the real buffers and the virtual ones.
#pragma once

#include <cstdint>

// The regions of a lock of count bytes from offset in a buffer of size bytes: the second one
// starts at the buffer's start when the range wraps. False for an empty or oversized range.
bool lockRegions(uint8_t* bytes, uint32_t size, uint32_t offset, uint32_t count, uint8_t** region1,
                 uint32_t* length1, uint8_t** region2, uint32_t* length2);
// Whether the regions handed back to unlock lie inside the buffer (the second may be empty).
bool regionsInside(const uint8_t* bytes, uint32_t size, const uint8_t* region1, uint32_t length1,
                   const uint8_t* region2, uint32_t length2);
