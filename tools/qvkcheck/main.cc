// qvkcheck DIR: checks a game directory and prints every problem, one per line. Exit status 0
// when nothing is to be fixed (notes may say which scenes are not made yet), 1 when something
// is, 2 for bad usage.
#include <sys/stat.h>

#include <cstdio>
#include <cstring>

#include "platform/headless.h"
#include "qvkcheck.h"

static const char kUsage[] =
    "usage: qvkcheck DIR\n"
    "Reads the game in DIR as the player does and prints, one line each, everything its author\n"
    "must fix, in the words of the authoring guide (docs/authoring.md): missing clips, move and\n"
    "hotspot files (every clip a move file names included), names that differ only in case,\n"
    "moves out of frame order or without exactly one correct move (\"00\" in the up, down, left,\n"
    "right or action column, never in the no-move column), clip names over 39 characters,\n"
    "files over the player's limits (99 moves, 100 checkpoints), checkpoint lists that do not\n"
    "end above their scene's last frame, clips in another picture size, frame rate or sound\n"
    "format than demo.avi, frames over 30000 bytes, clips under 12 frames; and, as warnings,\n"
    "timing hazards: clips long enough to be judged, credits or demo long enough to start\n"
    "again, checkpoints inside or just before a move's window.\n"
    "Scenes of which no file is there yet are not made: a note names them and tells what the\n"
    "player does when it comes to one. Scene seq01 must always be made.\n"
    "Lines read FILE:LINE: TEXT or FILE: TEXT. Exit status: 0 nothing to fix (notes only),\n"
    "1 something to fix, 2 bad usage.\n";

// The move file's columns after the frame, and what each is for.
static const char* const kColumns[6] = {"no-move", "up", "down", "left", "right", "action"};

// The game's own clips, and when the player plays each.
static const char* const kGameClips[][2] = {
    {"4lives.avi", "after a death that leaves 4 lives"},
    {"3lives.avi", "after a death that leaves 3 lives"},
    {"2lives.avi", "after a death that leaves 2 lives"},
    {"1lives.avi", "after a death that leaves 1 life"},
    {"cont.avi", "when the last life is lost, offering a continue"},
    {"gameover.avi", "when the continue offer passes without a key"},
    {"missed.avi", "before a scene whose object was passed by is played again"},
    {"credits.avi", "after the last scene"},
    {"demo.avi", "as the demo while nobody plays"}};

// A scene is made once any of its files is there; seq01, where every game starts, always is.
static bool sceneIsMade(const std::string& base) {
  return base == "seq01" || isPresent(base + ".avi") || isPresent(base + ".txt") ||
         isPresent(base + ".hot");
}

static void noteScenesNotMade(const std::vector<std::string>& bases) {
  if (bases.empty()) return;
  std::string list;
  for (const std::string& base : bases) list += (list.empty() ? "" : ", ") + base;
  note(list,
       "not made yet (none of their .avi, .txt and .hot files is here); when the game comes to "
       "one, the player shows \"Move file not found\", \"Hotspot file not found\" and \"File: "
       "seqNN.avi not found.\" and the game ends there, back at the title");
}

static void checkGame(const std::string& dir) {
  platform.directories.install = dir;
  platform.directories.current = dir;
  static HeadlessWindow window;  // the loaders' own messages; the checker reports for itself
  platform.window = &window;
  setGameDirectory(dir);

  readReferenceClip();
  std::map<std::string, ClipInfo> clips;
  std::vector<SceneInfo> scenes;
  std::vector<std::string> notMade;
  for (const std::string& base : sceneBases()) {
    if (!sceneIsMade(base)) {
      notMade.push_back(base);
      continue;
    }
    SceneInfo scene;
    scene.base = base;
    std::string avi = base + ".avi";
    clips[avi] = checkClip(avi, avi, 0, sceneFileMissing(base, "video"), true);
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
        clips[clip] = checkClip(clip, scene.base + ".txt", row.line,
                                std::string("the ") + kColumns[c] + " column names " + clip +
                                    ", which is missing; make it, or change the token",
                                false);
      }
  for (const auto& [name, when] : kGameClips)
    clips[name] = checkClip(
        name, name, 0, std::string("missing: the player plays it ") + when + "; make it", false);

  checkTiming(scenes, clips, checkStartScene());
  noteScenesNotMade(notMade);
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
