// The one global game state: its reset, the shared names, and the small rules every part reads.
#include <cstring>

#include "game/game.h"

GameState game;

void resetGameState() {
  renew(game);
  renew(judging);
  renew(input);
  // The platform objects belong to whoever made them (start-up, a test), not to one game.
  SoundDevice* soundDevice = playback.soundDevice;
  SoundBuffer* streamBuffer = playback.streamBuffer;
  SoundBuffer* goodBeep = playback.goodBeep;
  SoundBuffer* badBeep = playback.badBeep;
  MediaFile* aviFile = playback.aviFile;
  TimerId frameTimerId = playback.frameTimerId;
  renew(playback);
  playback.soundDevice = soundDevice;
  playback.streamBuffer = streamBuffer;
  playback.goodBeep = goodBeep;
  playback.badBeep = badBeep;
  playback.aviFile = aviFile;
  playback.frameTimerId = frameTimerId;
  resetStatus();
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
