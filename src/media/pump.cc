// The playback pump: the media steps of every pass of the game thread. The clock comes from the
// stream buffer's play position (sound mode) or from the FrameTimer (timer mode); the picture
// follows the clock one frame per pass, and the sound chunk the play cursor has just left is
// refilled from the file.
#include <cstring>

#include "media/media.h"
#include "platform/game_wake.h"

void frameTimerTick() {
  if (playback.holds != 0) return;
  playback.clockFrame++;
  wakeGame();
}

static ClockReading pollTimerClock() {
  if (playback.currentFrame >= playback.sequenceLength) playback.sequenceEnded = true;
  return {true, -1};
}

// The sound track has ended: the picture draws down what the cache holds while the buffer plays
// out the chunks filled before; the clock stands still.
static ClockReading pollDrain(int32_t cursorChunk) {
  if (cursorChunk != playback.lastFilledChunk && !playback.drainStarted) {
    playback.drainStarted = true;
    playback.drawDown = true;
    return {false, cursorChunk};
  }
  if (playback.drainStarted && cursorChunk == playback.lastFilledChunk) {
    stopStream();
    playback.drainStarted = false;
    playback.soundExhausted = false;
    playback.lastFilledChunk = -1;
    playback.sequenceEnded = true;
    return {false, -1};
  }
  return {false, cursorChunk};
}

static ClockReading pollSoundClock() {
  uint32_t cursor = 0;
  if (!playback.streamBuffer || !playback.streamBuffer->getCurrentPosition(&cursor)) return {};
  if (cursor >= kStreamBufferBytes) cursor = kStreamBufferBytes - 1;
  playback.playCursor = cursor;

  if (playback.drawSlot == playback.lastLoadedSlot) {
    playback.sequenceEnded = true;
    playback.drawDown = true;
    return {};
  }

  int32_t chunk = static_cast<int32_t>(cursor / kChunkBytes);
  if (playback.soundExhausted) return pollDrain(chunk);

  playback.chunkFilled[chunk] = false;
  int32_t clock =
      (playback.chunkClock * kChunkBytes + static_cast<int32_t>(cursor) - kChunkBytes * chunk) /
      kSoundBytesPerFrame;
  // Right after the cursor crosses into a new chunk, the chunk behind it is not refilled yet
  // and chunkClock is one chunk short; two frames make up for it.
  if (clock < playback.currentFrame) clock += 2;
  playback.clockFrame = clock;
  return {true, chunk};
}

ClockReading pollClock() {
  return playback.soundClock ? pollSoundClock() : pollTimerClock();
}

int64_t timeToClockMoveUs() {
  if (!playback.soundClock || !playback.streamBuffer) return -1;
  return playback.streamBuffer->timeToNextWakeUs();
}

static void advanceDrawSlot() {
  playback.drawSlot = (playback.drawSlot + 1) % kCacheSlots;
}

// The slot just drawn is reloaded with the clock's frame, which is shown twelve draws later.
void pictureStep() {
  if (playback.drawDown) {
    drawCachedFrame(playback.drawSlot);
    advanceDrawSlot();
    return;
  }
  if (playback.clockFrame <= playback.currentFrame) return;
  playback.currentFrame = static_cast<int32_t>(playback.clockFrame);
  if (playback.currentFrame >= playback.sequenceLength) return;

  drawCachedFrame(playback.drawSlot);
  advanceDrawSlot();
  int32_t slot = playback.drawSlot == 0 ? kCacheSlots - 1 : playback.drawSlot - 1;
  std::memset(playback.frameCache[slot], 0, kSlotBytes);
  playback.slotBytes[slot] = kSlotBytes;
  int32_t bytes = 0;
  if (playback.aviFile && playback.aviFile->readVideoFrame(
                              playback.currentFrame, playback.frameCache[slot], kSlotBytes, &bytes))
    playback.slotBytes[slot] = bytes;
  playback.lastLoadedSlot = slot;
}

// Whether pictures of the clip lie under the sound at soundReadPos. A track that ends before
// them goes on in silence until they end, so the clip never stops before its last picture.
static bool picturesToCome() {
  return playback.soundReadPos / kSoundBytesPerFrame < playback.sequenceLength;
}

// A chunk is refilled only after the cursor has been seen inside the chunk after it, so the
// sound card never plays half-written sound. Its sound is heard five chunks later.
void refillStep(int32_t cursorChunk) {
  if (!playback.soundClock || cursorChunk < 0 || cursorChunk >= kChunks) return;
  int32_t chunk = cursorChunk == 0 ? kChunks - 1 : cursorChunk - 1;
  if (playback.chunkFilled[chunk]) return;

  bool silenceUnderPictures = soundToCome() && picturesToCome();
  StreamFill fill = fillStreamBuffer(chunk * kChunkBytes, kChunkBytes, silenceUnderPictures);
  if (!fill.locked) return;
  playback.chunkFilled[chunk] = true;
  playback.soundExhausted = !fill.read && !silenceUnderPictures;
  if (playback.soundExhausted) return;
  playback.chunkClock++;
  playback.lastFilledChunk = chunk;
  playback.soundReadPos += kChunkBytes;
}
