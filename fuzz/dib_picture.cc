// Any bytes as a packed bitmap: the decoder stays inside its input and its picture, and a
// picture it accepts has exactly width * height pixels.
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  DecodedPicture picture;
  if (decodeDib(data, size, &picture)) {
    fuzzCheck(picture.width > 0 && picture.height > 0);
    fuzzCheck(picture.pixels.size() == static_cast<size_t>(picture.width) * picture.height);
  } else {
    fuzzCheck(picture.pixels.empty());
  }
  return 0;
}
