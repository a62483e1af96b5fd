// qvksim [--game DIR] [--install DIR] [--clock timer|sound] [--coins BITS] [--seed N]
//        [--virtual-media MANIFEST] SCRIPT
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "game/headless_session.h"
#include "qvksim.h"

void setMessageTrace(HeadlessWindow& window);

static const char* const kUsage =
    "Usage: qvksim [--game DIR] [--install DIR] [--clock timer|sound] [--coins BITS]\n"
    "              [--seed N] [--virtual-media MANIFEST] SCRIPT\n"
    "\n"
    "Runs the game's real start-up, menu commands and game thread against a headless platform\n"
    "with a virtual clock, and prints one line per event, each starting with the currentFrame\n"
    "of the moment.\n"
    "\n"
    "  --game DIR            the current directory: AVI files, infile.txt (default: .)\n"
    "  --install DIR         the install directory: move and hotspot files first, the saved\n"
    "                        game (default: a fresh empty directory, removed at exit; a note\n"
    "                        on standard error names the player's own move and hotspot files\n"
    "                        that would make the real game play otherwise)\n"
    "  --clock sound|timer   the clock: the virtual sound card (default) or the frame timer\n"
    "  --coins BITS          force the next coin draws after start-up, e.g. 10011\n"
    "  --seed N              seed the random numbers with N, 0 to 4294967295 (default: the\n"
    "                        clock's seconds)\n"
    "  --virtual-media FILE  lines NAME FRAMES declare clips; no AVI file is read\n"
    "  -h, --help            print this help and exit\n"
    "  --version             print the version and exit\n"
    "\n"
    "Script commands, one per line ('#' starts a comment):\n"
    "  new, load, save, stop, windowed, fullscreen   the menu commands\n"
    "  attract                 the attract timer fires now\n"
    "  key NAME                up down left right space kp8 kp2 kp4 kp6 f5 f6 esc, or a letter\n"
    "  joy X Y BUTTONS         joystick 0 reads this; 'joy none' unplugs it\n"
    "  focus lost|gained       the window loses or gains the keyboard focus\n"
    "  frames N                run N frames of clock (10 passes a frame)\n"
    "  until CLIP FRAME        run until CLIP is open and currentFrame is at least FRAME; one\n"
    "                          that can never be met stops the script (trace line never)\n"
    "  end                     run until the game thread has ended\n"
    "\n"
    "Trace lines: open NAME START, close, message CAPTION | TEXT, scene NAME, missed NAME|-,\n"
    "lives N, verdict ROW DECISION, checkpoint INDEX ROW, beep good|bad, judging on|off,\n"
    "thread start, finish, display windowed|fullscreen, timeout, never CLIP FRAME: WHY.\n"
    "\n"
    "Exit status: 0 the script ran to its end, 2 bad script or option (an until whose clip the\n"
    "game does not have included), 3 an until or end not met (timeout, or never).\n";

// An hour of game time.
static constexpr int64_t kTimeoutPasses = 10LL * 12 * 3600;

struct Options {
  std::string gameDir = ".";
  std::string installDir;
  bool soundClock = true;
  std::string coins;
  bool seeded = false;
  uint32_t seed = 0;
  std::string manifest;
  std::string script;
};

// The options into *options; on a bad one, what is wrong with it.
static bool parseOptions(int argc, char** argv, Options* options, std::string* error) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    bool takesValue = arg == "--game" || arg == "--install" || arg == "--clock" ||
                      arg == "--coins" || arg == "--seed" || arg == "--virtual-media";
    if (takesValue && i + 1 == argc) {
      *error = arg + " needs a value";
      return false;
    }
    const std::string value = takesValue ? argv[++i] : "";
    if (arg == "--game") {
      options->gameDir = value;
    } else if (arg == "--install") {
      options->installDir = value;
    } else if (arg == "--clock") {
      if (value != "sound" && value != "timer") {
        *error = "--clock is sound or timer, not " + value;
        return false;
      }
      options->soundClock = value == "sound";
    } else if (arg == "--coins") {
      if (value.empty() || value.find_first_not_of("01") != std::string::npos) {
        *error = "--coins takes bits, 0 or 1, not " + value;
        return false;
      }
      options->coins = value;
    } else if (arg == "--seed") {
      uint64_t seed = 0;
      if (!parseWholeNumber(value.c_str(), 0, UINT32_MAX, &seed)) {
        *error = "--seed takes a whole number from 0 to " + std::to_string(UINT32_MAX) + ", not " +
                 value;
        return false;
      }
      options->seeded = true;
      options->seed = static_cast<uint32_t>(seed);
    } else if (arg == "--virtual-media") {
      options->manifest = value;
    } else if (!arg.empty() && arg[0] == '-') {
      *error = "no option " + arg;
      return false;
    } else if (options->script.empty()) {
      options->script = arg;
    } else {
      *error = "one script at most";
      return false;
    }
  }
  if (options->script.empty()) *error = "no script";
  return !options->script.empty();
}

// The run plays in its own install directory, so that its trace does not depend on the machine;
// the player's own may hold move and hotspot files that the real game would read instead.
static void noteInstalledTables(const std::string& runInstall) {
  std::vector<std::string> files = playersInstalledTables(runInstall);
  if (files.empty()) return;
  const std::string player = defaultInstallDirectory();
  std::string names;
  for (const std::string& path : files)
    names += (names.empty() ? "" : ", ") + path.substr(path.rfind('/') + 1);
  std::fprintf(stderr,
               "qvksim: note: the player's install directory %s holds %s, which the real game "
               "reads instead of the game's own move and hotspot files: it plays otherwise than "
               "this run (give --install %s to play with them)\n",
               player.c_str(), names.c_str(), player.c_str());
}

// Runs passes until done() holds; false when an hour of game time has passed first, or when
// neverMet() has a reason (which goes into failure).
template <typename Done>
static bool runUntil(HeadlessSession& session, Done done, std::string* failure) {
  for (int64_t i = 0;; ++i) {
    if (done()) return true;
    if (!untilCanNeverBeMet().empty()) {
      *failure = untilCanNeverBeMet();
      return false;
    }
    if (i == kTimeoutPasses) {
      *failure = "timeout";
      return false;
    }
    runHeadlessPass(session);
    traceStateChanges();
    untilSeesPass();
  }
}

// Runs one command; false, with the trace line that says why, when a wait was not met.
static bool runScriptCommand(HeadlessSession& session, const ScriptCommand& command,
                             std::string* failure) {
  switch (command.kind) {
    case ScriptCommand::kCommand:
      // Windowed only places the real window again.
      if (command.commandId != kCommandWindowed) runGameCommand(command.commandId);
      break;
    case ScriptCommand::kAttract:
      killTimer(game.attractTimerId);
      attractTimerFired();
      break;
    case ScriptCommand::kKey: keyEvent(command.virtualKey); break;
    case ScriptCommand::kJoystick:
      if (command.joystickPresent) {
        session.joystick.plugIn({command.x, command.y, command.buttons});
      } else {
        session.joystick.unplug();
      }
      break;
    case ScriptCommand::kFocus:
      if (command.focusGained) {
        onFocusGained();
      } else {
        onFocusLost();
      }
      break;
    case ScriptCommand::kFrames:
      for (int64_t i = 0; i < command.count * 10; ++i) {
        runHeadlessPass(session);
        traceStateChanges();
      }
      break;
    case ScriptCommand::kUntil: {
      watchUntil(command.name, command.count);
      bool met = runUntil(
          session, [&] { return clipIsAt(command.name, command.count); }, failure);
      stopWatchingUntil();
      if (!met && *failure != "timeout")
        *failure = "never " + command.name + " " + std::to_string(command.count) + ": " + *failure;
      if (!met) return false;
      break;
    }
    case ScriptCommand::kEnd:
      if (!runUntil(
              session, [] { return !virtualGameThreadRunning(); }, failure))
        return false;
      break;
  }
  traceStateChanges();
  return true;
}

int main(int argc, char** argv) {
  if (answersHelpOrVersion(argc, argv, "qvksim", kUsage)) return 0;
  Options options;
  std::string error;
  if (!parseOptions(argc, argv, &options, &error)) return badUsage("qvksim", error);
  std::vector<ScriptCommand> script;
  if (!parseScript(options.script, &script, &error)) {
    std::fprintf(stderr, "qvksim: %s\n", error.c_str());
    return 2;
  }

  static HeadlessSession session;  // large, and alive until exit
  session.soundClock = options.soundClock;
  MediaLibrary* media = aviMediaLibrary();
  if (!options.manifest.empty()) {
    if (!session.virtualMedia.loadManifest(options.manifest.c_str(), &error)) {
      std::fprintf(stderr, "qvksim: %s\n", error.c_str());
      return 2;
    }
    media = &session.virtualMedia;
  }
  // An until whose clip the game does not have is a mistake of the script, told before the run.
  platform.directories.current = options.gameDir;
  platform.media = media;
  for (const ScriptCommand& command : script) {
    if (command.kind == ScriptCommand::kUntil && !gameHasClip(command.name)) {
      std::fprintf(stderr,
                   "qvksim: %s:%d: until %s %lld can never be met: the game has no clip %s\n",
                   options.script.c_str(), command.line, command.name.c_str(),
                   static_cast<long long>(command.count), command.name.c_str());
      return 2;
    }
  }
  std::string temporaryInstall;
  if (options.installDir.empty()) {
    std::string pattern = (std::filesystem::temp_directory_path() / "qvksim-XXXXXX").string();
    if (!mkdtemp(pattern.data())) {
      std::perror("qvksim: temporary install directory");
      return 2;
    }
    temporaryInstall = options.installDir = pattern;
  }
  noteInstalledTables(options.installDir);

  std::setvbuf(stdout, nullptr, _IOLBF, 0);
  startTrace();
  setMessageTrace(session.window);
  if (!options.coins.empty()) forceCoins(options.coins.c_str());
  openHeadlessSession(session, options.gameDir, options.installDir, media);
  if (options.seeded) seedRandomFrom(options.seed);
  traceStateChanges();

  int status = 0;
  for (const ScriptCommand& command : script) {
    std::string failure;
    if (!runScriptCommand(session, command, &failure)) {
      traceLine(failure.c_str());
      status = 3;
      break;
    }
  }
  closeHeadlessSession(session);
  traceHook = nullptr;
  if (!temporaryInstall.empty()) std::filesystem::remove_all(temporaryInstall);
  return status;
}
