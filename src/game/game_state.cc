// The one global game state, and the small rules for reading it across threads.
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "game/game.h"
#include "input/input.h"
#include "media/media.h"

GameState game;

void resetGameState() {
  game.lives = kStartLives;
  writeName(game.sceneFile, "");
  writeName(game.missedScene, "");
  game.moveIndex = 0;
  game.resumeMoveIndex = 0;
  game.hotspotIndex = 0;
  game.judgingOff = 0;
  game.continueOffered = 0;
  game.gameActive = 0;
  game.demoActive = 0;
  game.inputLatch = 0;
  game.focusLost = 0;
  for (MoveRow& row : game.moveTable) row = MoveRow{};
  game.moveTable[0].frame = kEndRowFrame;
  for (auto& entry : game.hotspotTable) entry = 0;
  game.clockFrame = 0;
  game.currentFrame = 0;
  game.sequenceEnded = 0;
  game.sequenceLength = 0;
  game.openClipName[0] = '\0';
  game.drawSlot = 0;
  game.chunkClock = 0;
  game.soundReadPos = 0;
  for (uint8_t& filled : game.chunkFilled) filled = 0;
  game.lastFilledChunk = -1;
  game.playChunk = 0;
  game.playCursor = 0;
  game.soundExhausted = 0;
  game.drainStarted = 0;
  game.drawDown = 0;
  game.lastLoadedSlot = -1;
  game.displayMode = kDisplayWindowed;
  judging = JudgingState{};
  inputPoll = InputPollState{};
}

void writeName(SharedName& name, const char* text) {
  std::lock_guard<std::mutex> hold(name.lock);
  copyText(name.text, kClipNameSize, text);
}

void readName(const SharedName& name, char (&out)[kClipNameSize]) {
  std::lock_guard<std::mutex> hold(name.lock);
  std::memcpy(out, name.text, kClipNameSize);
}

bool nameIsEmpty(const SharedName& name) {
  std::lock_guard<std::mutex> hold(name.lock);
  return name.text[0] == '\0';
}

bool nameEquals(const SharedName& name, const char* text) {
  std::lock_guard<std::mutex> hold(name.lock);
  return std::strcmp(name.text, text) == 0;
}

bool readFlagLocked(const std::atomic<uint8_t>& flag) {
  std::lock_guard<std::mutex> hold(game.stateLock);
  return flag != 0;
}

const char* clipForInput(const MoveRow& row, int32_t inputCode) {
  switch (inputCode) {
    case kInputUp: return row.upClip;
    case kInputDown: return row.downClip;
    case kInputLeft: return row.leftClip;
    case kInputRight: return row.rightClip;
    case kInputAction: return row.actionClip;
    default: return row.missClip;
  }
}

int32_t clampFrame(int32_t frame) {
  if (frame < 0) return 0;
  return frame > kMostClipFrames ? kMostClipFrames : frame;
}

void (*gameTraceHook)(const char* line) = nullptr;

void traceGameEvent(const char* format, ...) {
  if (!gameTraceHook) return;
  char line[160];
  va_list args;
  va_start(args, format);
  std::vsnprintf(line, sizeof line, format, args);
  va_end(args);
  gameTraceHook(line);
}

void traceGameState() {
  if (gameTraceHook) gameTraceHook(nullptr);
}
