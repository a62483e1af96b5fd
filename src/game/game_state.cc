// The one global game state, and the small rules for reading it across threads.
#include <cstring>

#include "game/game.h"

GameState game;

void resetGameState() {
  game.lives = kStartLives;
  writeName(game.sceneFile, "");
  writeName(game.missedScene, "");
  game.moveIndex = 0;
  game.resumeMoveIndex = 0;
  game.hotspotIndex = 0;
  game.judgingOff = false;
  game.continueOffered = false;
  game.gameActive = false;
  game.demoActive = false;
  for (MoveRow& row : game.moveTable) row = MoveRow{};
  game.moveTable[0].frame = kEndRowFrame;
  for (auto& entry : game.hotspotTable) entry = 0;
  game.displayMode = kDisplayWindowed;
  judging = JudgingState{};
  resetStatus();

  playback.holds = 0;
  playback.clockFrame = 0;
  playback.currentFrame = 0;
  playback.sequenceEnded = false;
  playback.sequenceLength = 0;
  playback.openClipName[0] = '\0';
  playback.drawSlot = 0;
  playback.chunkClock = 0;
  playback.soundReadPos = 0;
  for (bool& filled : playback.chunkFilled) filled = false;
  playback.lastFilledChunk = -1;
  playback.playCursor = 0;
  playback.soundExhausted = false;
  playback.drainStarted = false;
  playback.drawDown = false;
  playback.lastLoadedSlot = -1;

  input.inputLatch = kInputNone;
  input.lastInputCode = kInputNone;
  input.joystickCentreX = input.joystickCentreY = 0;
  input.joystickRead = false;
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

bool readFlagLocked(const std::atomic<bool>& flag) {
  std::lock_guard<std::mutex> hold(game.stateLock);
  return flag;
}

const char* clipForDecision(const MoveRow& row, int32_t decision) {
  switch (decision) {
    case kDecisionUp: return row.upClip;
    case kDecisionDown: return row.downClip;
    case kDecisionLeft: return row.leftClip;
    case kDecisionRight: return row.rightClip;
    case kDecisionAction: return row.actionClip;
    default: return row.missClip;
  }
}

int32_t clampFrame(int32_t frame) {
  if (frame < 0) return 0;
  return frame > kMostClipFrames ? kMostClipFrames : frame;
}
