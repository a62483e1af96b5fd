// qvkcheck DIR: checks a game directory and prints every problem, one per line. Exit status 0
// when nothing is to be fixed (notes may say which scenes are not made yet), 1 when something
// is, 2 for bad usage.
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <iterator>

#include "platform/headless.h"
#include "qvkcheck.h"

static const char kUsage[] =
    "Usage: qvkcheck DIR\n"
    "Reads the game in DIR as the player does and prints, one line each, everything its author\n"
    "must fix, in the words of the authoring guide (authoring.md, in /usr/share/doc/qvkavi once\n"
    "installed, in docs/ of the source): missing clips, move and hotspot files (every clip a\n"
    "move file names included), a scene made without its mirror, names that differ only in\n"
    "case, names that are no plain file, moves out of frame order or without exactly one\n"
    "correct move (\"00\" in the up, down, left, right or action column, never in the no-move\n"
    "column), blank lines, lines over 126 characters or holding a NUL byte, clip names over 39\n"
    "characters, files over the player's limits (99 moves, 100 checkpoints), checkpoint lists\n"
    "that do not end above their scene's last frame, clips in another picture size, frame rate\n"
    "or sound format than demo.avi, frames over 30000 bytes, clips under 12 frames; and, as\n"
    "warnings, timing hazards: clips long enough to be judged, credits or demo long enough to\n"
    "start again, checkpoints inside or just before a move's window.\n"
    "Notes fail nothing: they name the scenes not made yet, and what the player shows where the\n"
    "game ends without them; and the move and hotspot files of this user's install directory\n"
    "($XDG_DATA_HOME/qvk, by default ~/.local/share/qvk), which the player reads instead of the\n"
    "game's own. Scene seq01 must always be made.\n"
    "Lines read FILE:LINE: TEXT or FILE: TEXT. Exit status: 0 nothing to fix (notes only),\n"
    "1 something to fix, 2 bad usage.\n"
    "\n"
    "  -h, --help   print this help and exit\n"
    "  --version    print the version and exit\n";

// The move file's columns after the frame, and what each is for.
static const char* const kColumns[6] = {"no-move", "up", "down", "left", "right", "action"};

// The game's own clips, and when the player plays each.
struct GameClip {
  std::string name;
  std::string when;
};
static std::vector<GameClip> gameClips() {
  std::vector<GameClip> clips;
  for (int lives = kMostLivesShown; lives >= 1; --lives)
    clips.push_back({livesClip(lives), "after a death that leaves " + std::to_string(lives) +
                                           (lives == 1 ? " life" : " lives")});
  clips.push_back({kContinueClip, "when the last life is lost, offering a continue"});
  clips.push_back({kGameOverClip, "when the continue offer passes without a key"});
  clips.push_back({kMissedClip, "before a scene whose object was passed by is played again"});
  clips.push_back({kCreditsClip, "after the last scene"});
  clips.push_back({kDemoClip, "as the demo while nobody plays"});
  return clips;
}

// A scene is made once any of its files is there; the first scene, where every game starts,
// always is.
static bool sceneIsMade(const std::string& base) {
  return base == baseOf(kFirstScene) || isPresent(base + ".avi") || isPresent(base + ".txt") ||
         isPresent(base + ".hot");
}

static std::string listText(const std::vector<std::string>& items, const char* last) {
  std::string text;
  for (size_t i = 0; i < items.size(); ++i)
    text += (i == 0 ? "" : i + 1 == items.size() ? last : ", ") + items[i];
  return text;
}

// What the player shows when the game comes to a scene that is not made, and ends there.
static std::string endsThere(const std::string& base, const std::string& orMirror) {
  return "the player shows three messages, \"Move file not found\", \"Hotspot file not found\" "
         "and \"File: " +
         base + ".avi not found.\"" +
         (orMirror.empty() ? "" : " (or " + orMirror + ".avi, as the coin falls)") +
         ", and the game ends there, back at the title";
}

// The coin picks a scene or its mirror each time the order comes to them: one made without the
// other ends half of all games there. Returns the scenes not made that are not such mirrors.
static std::vector<std::string> checkMirrors(const std::vector<std::string>& notMade) {
  std::vector<std::string> rest;
  for (const std::string& base : notMade) {
    std::string mirror = mirrorOf(base);
    if (mirror.empty() || !sceneIsMade(mirror)) {
      rest.push_back(base);
      continue;
    }
    problem(base, 0,
            "missing: " + mirror + " is made but not " + base + ", which the coin picks instead " +
                "half the time (none of " + base + ".avi, " + base + ".txt and " + base +
                ".hot is here); then " + endsThere(base, "") + ". Make " + base + ", " + mirror +
                " mirrored as the authoring guide shows, or remove " + mirror + "'s files");
  }
  return rest;
}

// The base names of a step of the scene order: where two share a step, the coin picks one.
static std::vector<std::string> stepBases(const SceneStep& step) {
  std::vector<std::string> bases = {baseOf(step.scene)};
  if (step.mirror) bases.push_back(baseOf(step.mirror));
  return bases;
}

// A game without all its scenes ends at the first step whose scenes are not made, where a whole
// game would go on to the credits after the last scene.
static void noteScenesNotMade(const std::vector<std::string>& bases) {
  if (bases.empty()) return;
  auto notMade = [&](const std::string& base) {
    return std::find(bases.begin(), bases.end(), base) != bases.end();
  };
  std::string text = "not made yet (none of their .avi, .txt and .hot files is here)";
  for (int step = 1; step < kSceneSteps; ++step) {
    std::vector<std::string> here = stepBases(kSceneOrder[step]);
    if (!notMade(here[0])) continue;
    text += ". A game ends after " + listText(stepBases(kSceneOrder[step - 1]), " or ") +
            " without the credits, which follow " + baseOf(kSceneOrder[kSceneSteps - 1].scene) +
            " alone: " + endsThere(here[0], here.size() > 1 ? here[1] : "");
    break;
  }
  note(listText(bases, ", "), text);
}

// The player reads move and hotspot files from the install directory first: files there stand
// in for the game's own in every game this user plays, unless DIR is the install directory.
static void noteInstalledTables(const std::string& dir) {
  for (const std::string& path : playersInstalledTables(dir))
    note(path,
         "the player reads this file instead of the game's own in every game this user plays "
         "(the patch installer puts such files there); remove it to play the game as it is "
         "made");
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
  for (const GameClip& clip : gameClips())
    clips[clip.name] = checkClip(clip.name, clip.name, 0,
                                 "missing: the player plays it " + clip.when + "; make it", false);

  checkTiming(scenes, clips, checkStartScene());
  noteScenesNotMade(checkMirrors(notMade));
  noteInstalledTables(dir);
}

int main(int argc, char** argv) {
  if (answersHelpOrVersion(argc, argv, "qvkcheck", kUsage)) return 0;
  if (argc != 2)
    return badUsage("qvkcheck", argc < 2 ? "no game directory" : "one game directory at most");
  if (argv[1][0] == '-') return badUsage("qvkcheck", std::string("no option ") + argv[1]);
  struct stat info;
  if (stat(argv[1], &info) != 0 || !S_ISDIR(info.st_mode))
    return badUsage("qvkcheck", std::string(argv[1]) + " is not a directory");
  checkGame(argv[1]);
  printFindings();
  int problems = problemCount(), warnings = warningCount();
  if (problems + warnings == 0) return 0;
  std::fprintf(stderr, "qvkcheck: %d problem%s, %d warning%s\n", problems, problems == 1 ? "" : "s",
               warnings, warnings == 1 ? "" : "s");
  return 1;
}
