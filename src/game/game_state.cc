// The one global game state, and the small rules for reading it across threads.
#include <cstdarg>
#include <cstdio>
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
