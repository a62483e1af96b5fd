// The hotspot table: the current scene's checkpoint frames, one per line of its hotspot file.
#include <cstdio>
#include <string>

#include "game/game.h"
#include "game/scan.h"

void loadHotspotFile(const char* fileName) {
  std::string tried;
  FILE* file = openSceneTable(fileName, &tried);
  if (!file) {
    std::string text = "Hotspot file not found" + tried;
    if (platform.window) platform.window->showMessage(text.c_str(), "read error", false);
    return;
  }

  for (auto& entry : game.hotspotTable) entry = 0;

  // A line without a number leaves its entry 0 and still counts; lines past the table's
  // hundred entries are not read.
  int lines = 0;
  char line[kLineReadSize];
  while (lines < kHotspotEntries && readTextLine(file, line, sizeof line)) {
    const char* p = line;
    int32_t frame;
    if (scanInteger(p, &frame)) game.hotspotTable[lines] = clampFrame(frame);
    ++lines;
  }

  std::fclose(file);
  game.hotspotIndex = 0;
  game.resumeMoveIndex = 0;
}
