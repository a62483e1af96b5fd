// qvksim's trace: every line starts with the currentFrame of the moment. Events come from the
// game as they happen; the scene, the missed scene, the lives, judging and the display mode are
// followed by comparing them with what was printed last.
#include <cstdio>
#include <cstring>
#include <string>

#include "game/headless_session.h"
#include "qvksim.h"

namespace {

struct Followed {
  std::string scene;
  std::string missed;
  int32_t lives = kStartLives;
  int32_t judgingOff = 0;
  int32_t displayMode = kDisplayWindowed;
};

Followed followed;

void printLine(const std::string& text) {
  std::printf("%d %s\n", playback.currentFrame.load(), text.c_str());
}

std::string name(const SharedName& shared) {
  char text[kClipNameSize];
  readName(shared, text);
  return text;
}

void eventHook(const char* line) {
  traceStateChanges();
  untilSeesEvent(line);
  if (line) printLine(line);
}

// One line: the message's own words, without the lines that name the file it is about (which
// name qvksim's own install directory, a new one every run).
void messageHook(const char* text, const char* caption) {
  traceStateChanges();
  std::string words(text, std::strcspn(text, "\n"));
  printLine(std::string("message ") + caption + " | " + words);
}

}  // namespace

void traceLine(const char* text) {
  printLine(text);
}

void traceStateChanges() {
  std::string scene = name(game.sceneFile);
  if (scene != followed.scene) printLine("scene " + scene);
  followed.scene = scene;

  std::string missed = name(game.missedScene);
  if (missed != followed.missed) printLine("missed " + (missed.empty() ? "-" : missed));
  followed.missed = missed;

  if (game.lives != followed.lives) printLine("lives " + std::to_string(game.lives));
  followed.lives = game.lives;

  if (game.judgingOff != followed.judgingOff)
    printLine(game.judgingOff ? "judging off" : "judging on");
  followed.judgingOff = game.judgingOff;

  if (game.displayMode != followed.displayMode)
    printLine(game.displayMode == kDisplayFullScreen ? "display fullscreen" : "display windowed");
  followed.displayMode = game.displayMode;
}

void startTrace() {
  followed = Followed{};
  traceHook = eventHook;
}

void setMessageTrace(HeadlessWindow& window) {
  window.onMessage = messageHook;
}
