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
  std::string path = locateFile(file, file, 0, sceneFileMissing(scene.base, "hotspot file"));
  if (path.empty()) return;

  // Its reads as the player makes them, one past what the player takes to know the rest is
  // ignored.
  const size_t entries = kHotspotEntries;
  std::vector<TextRead> reads = readAsThePlayerDoes(path, file, entries + 1, "a checkpoint");
  for (size_t i = 0; i < reads.size(); ++i) {
    if (i == entries)
      problem(file, reads[i].line,
              "the player reads only the first " + std::to_string(kHotspotEntries) +
                  " lines of a hotspot file and ignores this line and the rest; keep a scene to " +
                  std::to_string(kHotspotEntries - 1) + " checkpoints and the 9999 line");
    else if (!reads[i].nulHidesText && !reads[i].continues && !holdsNumber(reads[i].text.c_str()))
      problem(file, reads[i].line,
              "no frame number: the player counts it as a checkpoint at frame 0; write a frame or "
              "delete the line");
  }
  if (reads.empty()) {
    problem(file, 0,
            "empty: write the frame the scene starts at (0) on the first line and 9999 on the "
            "last");
    return;
  }

  // The entries as the player has them.
  loadHotspotFile(file.c_str());
  scene.hotspotsRead = true;
  for (size_t i = 0; i < reads.size() && i < entries; ++i)
    scene.checkpoints.push_back({reads[i].line, game.hotspotTable[i]});

  for (size_t i = 1; i < scene.checkpoints.size(); ++i)
    if (scene.checkpoints[i].frame <= scene.checkpoints[i - 1].frame)
      problem(file, scene.checkpoints[i].line,
              "frame " + std::to_string(scene.checkpoints[i].frame) + " does not follow frame " +
                  std::to_string(scene.checkpoints[i - 1].frame) +
                  ": the lines must be in ascending frame order");

  if (scene.frames < 0) return;
  const CheckpointInfo& last = scene.checkpoints.back();
  if (last.frame < scene.frames)
    problem(file, last.line,
            "the last line must lie above the scene's last frame (" +
                std::to_string(scene.frames - 1) +
                "), or the player runs past the end of the list and, after a death, replays "
                "the scene from frame 0; end the file with 9999");
  if (scene.checkpoints.size() > 1 && scene.checkpoints[0].frame >= scene.frames)
    problem(file, 1,
            "the start frame " + std::to_string(scene.checkpoints[0].frame) +
                " lies beyond the scene's last frame (" + std::to_string(scene.frames - 1) +
                "); the first line is the frame the scene starts at, usually 0");
}
