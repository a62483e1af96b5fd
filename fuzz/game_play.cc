// Whole games over any files: the headless session plays with a fuzzed move file and hotspot
// file (for the first scenes), a fuzzed saved game and a fuzzed script of keys, menu commands,
// attract ticks, focus changes and frames of play, in either clock. Every game stays inside its
// tables, never has fewer than -1 lives, never shows message after message without playing, and
// leaves no clip open when the program shuts down.
//
// Input: four bytes (flags: bit 0 the sound clock, bit 1 a saved game exists; the random seed;
// the frames of every outcome and standard clip; the frames of every scene, halved), then the
// move file, the hotspot file, the saved game and the script, separated by "\n%%\n".
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "game/headless_session.h"
#include "input/input.h"

namespace {

constexpr int kPassLimit = 6000;  // 600 frames of play: 50 seconds of game time
constexpr int kPassesPerFrame = 10;
// Message after message with little play between them, and no command that started a new game
// in between, is the endless box of a clip that cannot be played; a game shows far fewer.
constexpr int kMessageWindowPasses = 100;
constexpr int kMessagesPerWindow = 20;

HeadlessSession* session = nullptr;
int passesRun = 0;
bool inPass = false;
std::vector<int> messagePasses;  // the pass at which each message box of the game thread came

void countMessage(const char*, const char*) {
  if (!inPass) return;  // a command's own boxes: as many as the script gives commands
  messagePasses.push_back(passesRun);
  size_t count = messagePasses.size();
  if (count > kMessagesPerWindow)
    fuzzCheck(passesRun - messagePasses[count - 1 - kMessagesPerWindow] > kMessageWindowPasses);
}

void checkState() {
  fuzzCheck(game.moveIndex >= 0 && game.moveIndex < kMoveRows);
  fuzzCheck(game.resumeMoveIndex >= 0 && game.resumeMoveIndex < kMoveRows);
  fuzzCheck(game.hotspotIndex >= 0 && game.hotspotIndex < kHotspotEntries);
  fuzzCheck(game.lives >= -1);
}

void runPasses(int passes) {
  for (int i = 0; i < passes && passesRun < kPassLimit; ++i, ++passesRun) {
    inPass = true;
    runHeadlessPass(*session);
    inPass = false;
    checkState();
  }
}

// The sections of the input after its four-byte head.
std::vector<std::string> sections(const uint8_t* data, size_t size) {
  static const std::string kSeparator = "\n%%\n";
  std::string rest(reinterpret_cast<const char*>(data), size);
  std::vector<std::string> out;
  size_t start = 0;
  while (out.size() < 3) {
    size_t end = rest.find(kSeparator, start);
    if (end == std::string::npos) break;
    out.push_back(rest.substr(start, end - start));
    start = end + kSeparator.size();
  }
  out.push_back(rest.substr(start));
  out.resize(4);
  return out;
}

const uint32_t kKeys[] = {kKeyUp, kKeyDown, kKeyLeft,   kKeyRight, kKeySpace,
                          kKeyF5, kKeyF6,   kKeyEscape, 'Q'};
const int kCommands[] = {kCommandNew, kCommandLoad, kCommandSave, kCommandStop};

void runScript(const std::string& script) {
  for (size_t at = 0; at < script.size() && passesRun < kPassLimit; ++at) {
    uint8_t op = static_cast<uint8_t>(script[at]);
    switch (op % 8) {
      case 0:
      case 1:
      case 2: keyEvent(kKeys[(op / 8) % 9]); break;
      case 3:
        runGameCommand(kCommands[(op / 8) % 4]);
        messagePasses.clear();  // a new game: what it shows is its own
        break;
      case 4:
        attractTick();
        messagePasses.clear();
        break;
      case 5: (op & 8) ? onFocusLost() : onFocusGained(); break;
      case 6: (op & 8) ? (void)runGameCommand(kCommandFullScreen) : returnToWindowed(); break;
      default: runPasses((op / 8 + 1) * kPassesPerFrame); break;
    }
    checkState();
    runPasses(3);
  }
  runPasses(kPassLimit);  // the rest of the time: the game plays on by itself
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 4) return 0;
  const std::string& dir = fuzzDirectory();
  bool soundClock = data[0] & 1;
  bool saved = data[0] & 2;
  uint32_t seed = data[1];
  int32_t clipFrames = data[2];
  int32_t sceneFrames = data[3] * 2;
  std::vector<std::string> parts = sections(data + 4, size - 4);

  for (const char* base : {"seq01", "seq02", "seq12"}) {
    std::string name = std::string(base) + ".txt";
    writeFuzzFile(name.c_str(), reinterpret_cast<const uint8_t*>(parts[0].data()), parts[0].size());
    name = std::string(base) + ".hot";
    writeFuzzFile(name.c_str(), reinterpret_cast<const uint8_t*>(parts[1].data()), parts[1].size());
  }
  std::remove((dir + "/qvk.sav").c_str());
  if (saved)
    writeFuzzFile("qvk.sav", reinterpret_cast<const uint8_t*>(parts[2].data()), parts[2].size());

  resetGameState();
  keyboardHook.installed = false;
  forceCoins("");
  auto play = std::make_unique<HeadlessSession>();
  session = play.get();
  session->soundClock = soundClock;
  for (const char* base : {"seq01", "seq02", "seq12"}) {
    session->virtualMedia.addClip(std::string(base) + ".avi", sceneFrames);
    for (const char* token : {"d1", "d2", "t1"})
      session->virtualMedia.addClip(std::string(base) + token + ".avi", clipFrames);
  }
  for (const char* name : {"4lives.avi", "3lives.avi", "2lives.avi", "1lives.avi", "cont.avi",
                           "gameover.avi", "missed.avi", "credits.avi", "demo.avi"})
    session->virtualMedia.addClip(name, clipFrames);
  passesRun = 0;
  messagePasses.clear();
  session->window.onMessage = countMessage;

  openHeadlessSession(*session, dir, dir, nullptr);
  setRandomSeed(seed);
  checkState();
  runScript(parts[3]);
  closeHeadlessSession(*session);
  fuzzCheck(session->virtualMedia.openFiles == 0);
  session = nullptr;
  return 0;
}
