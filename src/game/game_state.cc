// The one global game state, and the small rules for reading it across threads.
#include <cstring>

#include "game/game.h"

GameState game;

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
