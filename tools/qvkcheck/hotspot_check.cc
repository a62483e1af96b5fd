// The hotspot file of a scene: one checkpoint frame per line, ascending, the first the scene's
// start and the last above every frame of the scene.
#include <cctype>
#include <cstdio>
#include <cstdlib>

#include "qvkcheck.h"

// Whether the line holds a number where the player's scan finds one.
static bool holdsNumber(const char* line) {
  while (*line == ' ' || *line == '\t') ++line;
  if (*line == '-' || *line == '+') ++line;
  return std::isdigit(static_cast<unsigned char>(*line));
}

void checkHotspotFile(SceneInfo& scene) {
  const std::string file = scene.base + ".hot";
  std::string path = locateFile(file, file, 0, "hotspot file");
  if (path.empty()) return;

  // Its lines as the player reads them.
  FILE* in = openDataFile(path);
  if (!in) return;
  char buffer[kLineReadSize];
  int lines = 0;
  // One line past what the player reads is enough to know the rest is ignored.
  while (lines <= kHotspotEntries && readTextLine(in, buffer, sizeof buffer)) {
    ++lines;
    if (lines == kHotspotEntries + 1)
      problem(file, lines,
              "only " + std::to_string(kHotspotEntries) + " lines are read, the rest is ignored");
    if (lines <= kHotspotEntries && !holdsNumber(buffer))
      problem(file, lines, "no frame number: the entry counts as 0");
  }
  std::fclose(in);
  if (lines == 0) {
    problem(file, 0, "empty: it needs the start frame and, last, a frame above the scene's end");
    return;
  }

  // The entries as the player has them.
  loadHotspotFile(file.c_str());
  scene.hotspotsRead = true;
  for (int i = 0; i < std::min(lines, kHotspotEntries); ++i)
    scene.checkpoints.push_back({i + 1, game.hotspotTable[i]});

  for (size_t i = 1; i < scene.checkpoints.size(); ++i)
    if (scene.checkpoints[i].frame <= scene.checkpoints[i - 1].frame)
      problem(file, scene.checkpoints[i].line,
              "frame " + std::to_string(scene.checkpoints[i].frame) + " does not follow frame " +
                  std::to_string(scene.checkpoints[i - 1].frame) +
                  ": checkpoints must be in ascending order");

  if (scene.frames < 0) return;
  const CheckpointInfo& last = scene.checkpoints.back();
  if (last.frame < scene.frames)
    problem(file, last.line,
            "the last entry must lie above the scene's last frame (" +
                std::to_string(scene.frames - 1) +
                "), as 9999 does: else the checkpoints run on past the list");
  if (scene.checkpoints.size() > 1 && scene.checkpoints[0].frame >= scene.frames)
    problem(file, 1,
            "the start frame " + std::to_string(scene.checkpoints[0].frame) +
                " lies beyond the scene's last frame (" + std::to_string(scene.frames - 1) + ")");
}
