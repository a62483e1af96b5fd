// qvkcheck DIR: checks a game directory and prints every problem, one per line. Exit status 0
// when nothing was found, 1 when something was, 2 for bad usage.
#include <sys/stat.h>

#include <cstdio>
#include <cstring>

#include "platform/headless.h"
#include "qvkcheck.h"

static const char kUsage[] =
    "usage: qvkcheck DIR\n"
    "Reads the game in DIR as the player does and prints, one line each, everything its author\n"
    "must fix: missing scenes, clips, move and hotspot files (every clip a move file names\n"
    "included), names that differ only in case, move rows out of order or without exactly one\n"
    "correct move (\"00\" in items 3 to 7, never in item 2), clip names over 39 characters,\n"
    "tables over their limits (99 move rows, 100 hotspot lines), hotspot lists that do not end\n"
    "above their scene's last frame, clips in another picture size, frame rate or sound format\n"
    "than demo.avi, frames over 30000 bytes, clips under 12 frames; and, as warnings, timing\n"
    "hazards: clips long enough to be judged, credits or demo long enough to start again,\n"
    "checkpoints inside or just before a window.\n"
    "Lines read FILE:LINE: TEXT or FILE: TEXT. Exit status: 0 nothing found, 1 something\n"
    "found, 2 bad usage.\n";

// The clip fields of a row in move-file order, and what each is for.
static const char* const kOutcomeRoles[6] = {"outcome of no move", "outcome of up",
                                             "outcome of down",    "outcome of left",
                                             "outcome of right",   "outcome of action"};

static void checkGame(const std::string& dir) {
  platform.directories.install = dir;
  platform.directories.current = dir;
  static HeadlessWindow window;  // the loaders' own messages; the checker reports for itself
  platform.window = &window;
  setGameDirectory(dir);

  readReferenceClip();
  std::map<std::string, ClipInfo> clips;
  std::vector<SceneInfo> scenes;
  for (const std::string& base : sceneBases()) {
    SceneInfo scene;
    scene.base = base;
    std::string avi = base + ".avi";
    clips[avi] = checkClip(avi, avi, 0, "scene", true);
    scene.frames = clips[avi].frames;
    checkMoveFile(scene);
    checkHotspotFile(scene);
    scenes.push_back(scene);
  }
  for (const SceneInfo& scene : scenes)
    for (const RowInfo& row : scene.rows)
      for (int c = 0; c < 6; ++c) {
        const std::string& clip = row.clips[c];
        if (clip == kCorrectMoveClip || clips.count(clip)) continue;
        clips[clip] = checkClip(clip, scene.base + ".txt", row.line, kOutcomeRoles[c], false);
      }
  const char* const kGameClips[][2] = {
      {"4lives.avi", "lives clip"},     {"3lives.avi", "lives clip"},
      {"2lives.avi", "lives clip"},     {"1lives.avi", "lives clip"},
      {"cont.avi", "continue offer"},   {"gameover.avi", "game over"},
      {"missed.avi", "missed scene"},   {"credits.avi", "credits"},
      {"demo.avi", "attract-mode demo"}};
  for (const auto& [name, role] : kGameClips) clips[name] = checkClip(name, name, 0, role, false);

  checkTiming(scenes, clips, checkStartScene());
}

int main(int argc, char** argv) {
  if (argc == 2 && (!std::strcmp(argv[1], "--help") || !std::strcmp(argv[1], "-h"))) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  if (argc != 2 || argv[1][0] == '-') {
    std::fputs(kUsage, stderr);
    return 2;
  }
  struct stat info;
  if (stat(argv[1], &info) != 0 || !S_ISDIR(info.st_mode)) {
    std::fprintf(stderr, "qvkcheck: %s is not a directory\n", argv[1]);
    return 2;
  }
  checkGame(argv[1]);
  printFindings();
  int problems = problemCount(), warnings = warningCount();
  if (problems + warnings == 0) return 0;
  std::fprintf(stderr, "qvkcheck: %d problem%s, %d warning%s\n", problems, problems == 1 ? "" : "s",
               warnings, warnings == 1 ? "" : "s");
  return 1;
}
