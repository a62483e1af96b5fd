// Any bytes as the settings file: every choice is read in its range, and what the reader took
// is written and read back the same.
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  writeFuzzFile("settings", data, size);
  Settings settings = readSettings(fuzzDirectory() + "/settings");
  fuzzCheck(settings.scale >= 1 && settings.scale <= kLargestScale);
  fuzzCheck(parseSettings(formatSettings(settings)) == settings);
  return 0;
}
