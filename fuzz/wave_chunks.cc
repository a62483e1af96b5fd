// Any bytes as a wave image: the chunk walk never reads outside the image, and what it finds
// lies inside it, whichever results are asked for.
#include "fuzz_support.h"
#include "media/media.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const uint8_t* end = data + size;
  for (int asked = 0; asked < 8; ++asked) {
    const uint8_t *format = nullptr, *samples = nullptr;
    uint32_t samplesSize = 0;
    bool found = findWaveChunks(data, size, asked & 1 ? &format : nullptr,
                                asked & 2 ? &samples : nullptr, asked & 4 ? &samplesSize : nullptr);
    // Whatever was found, on success or before a failure, lies inside the image: the format
    // record's 16 bytes and all the samples.
    if (format) fuzzCheck(format >= data && end - format >= 16);
    if (samples) fuzzCheck(samples >= data && samples <= end);
    if (samples && (asked & 4)) fuzzCheck(size_t(end - samples) >= samplesSize);
    if (found && (asked & 1)) fuzzCheck(format != nullptr);
    if (found && (asked & 2)) fuzzCheck(samples != nullptr);
  }
  return 0;
}
