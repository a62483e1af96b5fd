// Any bytes as a saved game: loading never leaves the indices outside the tables, and a save
// of what was loaded loads back to the same position.
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  writeFuzzFile("qvk.sav", data, size);
  loadGame();
  fuzzCheck(game.moveIndex >= 0 && game.moveIndex < kMoveRows);
  fuzzCheck(game.hotspotIndex >= 0 && game.hotspotIndex < kHotspotEntries);
  fuzzCheck(game.resumeMoveIndex >= 0 && game.resumeMoveIndex < kMoveRows);
  fuzzCheck(playback.clockFrame >= 0);

  int32_t moveIndex = game.moveIndex, hotspotIndex = game.hotspotIndex;
  saveGame();
  loadGame();
  fuzzCheck(game.moveIndex == moveIndex && game.hotspotIndex == hotspotIndex);
  fuzzWindow.clear();
  return 0;
}
