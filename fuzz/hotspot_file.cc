// Any bytes as a hotspot file: the loader stays inside the table and resets the indices.
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  writeFuzzFile("seq01.hot", data, size);
  game.hotspotIndex = 5;
  loadHotspotFile("seq01.hot");
  fuzzCheck(game.hotspotIndex == 0 && game.resumeMoveIndex == 0);
  fuzzWindow.clear();
  return 0;
}
