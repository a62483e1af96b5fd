// The status in the window's title: a few words on what the picture does not show. "Game saved"
// for a few seconds after a save, "Paused" while the player's pause holds a game or the demo,
// "Judging off" while F5 has switched judging off in a game, and "No sound device: silent" while
// the sound plays on without a sound output. The window is told only when the words change, so a
// pass of the game thread looks at a few flags and allocates nothing.
#include <mutex>
#include <string>

#include "game/game.h"

static constexpr uint32_t kSavedShownMs = 3000;

enum StatusPart : unsigned {
  kStatusSaved = 1,
  kStatusPaused = 2,
  kStatusJudgingOff = 4,
  kStatusSilent = 8,
};

static std::mutex statusLock;
static unsigned shownParts = 0;  // under statusLock: what the title shows now
static std::atomic<bool> savedShown{false};
static std::atomic<TimerId> savedTimerId{0};

static unsigned statusParts() {
  bool gameRuns = game.gameActive;
  bool demoRuns = game.demoActive;
  unsigned parts = 0;
  if (savedShown) parts |= kStatusSaved;
  if ((gameRuns || demoRuns) && isHeld(kHoldPaused)) parts |= kStatusPaused;
  if (gameRuns && !demoRuns && game.judgingOff) parts |= kStatusJudgingOff;
  if (playback.soundDevice && playback.soundDevice->silent()) parts |= kStatusSilent;
  return parts;
}

static std::string statusText(unsigned parts) {
  static const struct {
    StatusPart part;
    const char* words;
  } kWords[] = {{kStatusSaved, "Game saved"},
                {kStatusPaused, "Paused"},
                {kStatusJudgingOff, "Judging off"},
                {kStatusSilent, "No sound device: silent"}};
  std::string text;
  for (const auto& entry : kWords) {
    if (!(parts & entry.part)) continue;
    if (!text.empty()) text += ", ";
    text += entry.words;
  }
  return text;
}

void updateStatus() {
  std::lock_guard<std::mutex> hold(statusLock);
  unsigned parts = statusParts();
  if (parts == shownParts) return;
  shownParts = parts;
  if (platform.window) platform.window->showStatus(statusText(parts).c_str());
}

static void hideGameSaved() {
  savedShown = false;
  updateStatus();
}

void noteGameSaved() {
  killTimer(savedTimerId);
  savedShown = true;
  if (platform.timers)
    savedTimerId = platform.timers->setEvent(kSavedShownMs, hideGameSaved, false);
  updateStatus();
}

void resetStatus() {
  savedTimerId = 0;  // the timers it was set with are gone with their session
  savedShown = false;
  std::lock_guard<std::mutex> hold(statusLock);
  shownParts = 0;
}
