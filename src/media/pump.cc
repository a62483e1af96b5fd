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

// What moves the sound stage on: a refill that read sound (or silence under pictures still to
// come) or found none, and the play cursor leaving or entering the chunk filled last. The draw-
// down reaching the slot reloaded last ends the clip in any stage.
enum class SoundEvent {
  kRefillRead,
  kRefillFoundNone,
  kCursorLeftLastFilled,
  kCursorInLastFilled,
  kDrawDownDone,
};

// Every move of the sound stage, and what each does besides.
static void moveSoundStage(SoundEvent event) {
  SoundStage& stage = playback.soundStage;
  switch (event) {
    case SoundEvent::kRefillRead:
      if (stage == SoundStage::kTrackEnded)
        stage = SoundStage::kPlaying;
      else if (stage == SoundStage::kDraining)
        stage = SoundStage::kRefilled;
      break;
    case SoundEvent::kRefillFoundNone:
      if (stage == SoundStage::kPlaying)
        stage = SoundStage::kTrackEnded;
      else if (stage == SoundStage::kRefilled)
        stage = SoundStage::kDraining;
      break;
    case SoundEvent::kCursorLeftLastFilled:  // from kTrackEnded
      stage = SoundStage::kDraining;
      playback.drawDown = true;
      break;
    case SoundEvent::kCursorInLastFilled:  // from kDraining
      // The buffer stops where the clip's sound ends. Until the next open, the clock reads the
      // cursor where it stands.
      stopStream();
      stage = SoundStage::kPlaying;
      playback.lastFilledChunk = -1;
      playback.sequenceEnded = true;
      break;
    case SoundEvent::kDrawDownDone:
      playback.drawDown = true;
      playback.sequenceEnded = true;
      break;
  }
}

// The clock at the play cursor: the chunks behind the cursor's chunk (chunkClock) and the part
// of it played. Right after the cursor crosses into a new chunk, the chunk it has left is not
// refilled yet, so chunkClock is one chunk short and the clock would read below currentFrame:
// it counts that chunk's two frames until the refill does.
static int32_t clockAtCursor(uint32_t cursor, int32_t chunk) {
  int32_t clock =
      (playback.chunkClock * kChunkBytes + static_cast<int32_t>(cursor) - kChunkBytes * chunk) /
      kSoundBytesPerFrame;
  if (clock < playback.currentFrame) clock += kFramesPerChunk;
  return clock;
}

static ClockReading pollSoundClock() {
  uint32_t cursor = 0;
  if (!playback.streamBuffer || !playback.streamBuffer->getCurrentPosition(&cursor)) return {};
  if (cursor >= kStreamBufferBytes) cursor = kStreamBufferBytes - 1;
  playback.playCursor = cursor;

  if (playback.drawSlot == playback.lastLoadedSlot) {
    moveSoundStage(SoundEvent::kDrawDownDone);
    return {};
  }

  int32_t chunk = static_cast<int32_t>(cursor / kChunkBytes);
  switch (playback.soundStage) {
    case SoundStage::kTrackEnded:
      if (chunk != playback.lastFilledChunk) moveSoundStage(SoundEvent::kCursorLeftLastFilled);
      return {false, chunk};
    case SoundStage::kDraining:
      if (chunk != playback.lastFilledChunk) return {false, chunk};
      moveSoundStage(SoundEvent::kCursorInLastFilled);
      return {false, -1};
    case SoundStage::kPlaying:
    case SoundStage::kRefilled: break;
  }
  playback.chunkFilled[chunk] = false;
  playback.clockFrame = clockAtCursor(cursor, chunk);
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
  bool soundFound = fill.read || silenceUnderPictures;
  moveSoundStage(soundFound ? SoundEvent::kRefillRead : SoundEvent::kRefillFoundNone);
  if (!soundFound) return;
  playback.chunkClock++;
  playback.lastFilledChunk = chunk;
  playback.soundReadPos += kChunkBytes;
}
