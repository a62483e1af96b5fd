// The playback pump: the media steps of every pass of the game thread. The clock comes from the
// stream buffer's play position (sound mode) or from the FrameTimer (timer mode); the picture
// follows the clock one frame per pass, and the sound chunk the play cursor has just left is
// refilled from the file.
#include <cstring>

#include "media/media.h"

static constexpr uint8_t kSilence = 128;

void frameTimerTick() {
  if (game.focusLost) return;
  game.clockFrame++;
  wakeGame();
}

// The checkpoint step: once the clock reaches the next checkpoint, it becomes the restart point,
// and play resumes there at the first row whose window lies beyond it. One checkpoint per poll;
// none while the demo runs.
static void checkpointStep() {
  if (readFlagLocked(game.demoActive)) return;
  int32_t index = game.hotspotIndex;
  if (index < 0 || index + 1 >= kHotspotEntries) return;
  if (game.hotspotTable[index + 1] > game.clockFrame) return;

  int32_t resumeRow = game.moveIndex;
  game.hotspotIndex = index + 1;
  int32_t checkpoint = game.hotspotTable[index + 1];
  while (resumeRow >= 0 && resumeRow < kMoveRows - 1 &&
         game.moveTable[resumeRow].frame <= checkpoint && game.moveTable[resumeRow].frame != 0)
    ++resumeRow;
  game.resumeMoveIndex = resumeRow;
  traceGameEvent("checkpoint %d %d", index + 1, resumeRow);
}

static int32_t pollTimerClock() {
  checkpointStep();
  if (game.currentFrame >= game.sequenceLength) {
    game.sequenceEnded = 1;
    return kClockEnded;
  }
  return kClockTimerRunning;
}

// The sound track has ended: the picture draws down what the cache holds while the buffer plays
// out the chunks filled before; the clock stands still.
static int32_t pollDrain(int32_t cursorChunk) {
  if (cursorChunk != game.lastFilledChunk && !game.drainStarted) {
    game.drainStarted = 1;
    game.drawDown = 1;
    return cursorChunk;
  }
  if (game.drainStarted && cursorChunk == game.lastFilledChunk) {
    if (game.streamBuffer) game.streamBuffer->stop();
    game.drainStarted = 0;
    game.soundExhausted = 0;
    game.lastFilledChunk = -1;
    game.sequenceEnded = 1;
    return kClockEnded;
  }
  return cursorChunk;
}

static int32_t pollSoundClock() {
  uint32_t cursor = 0;
  if (!game.streamBuffer || !game.streamBuffer->getCurrentPosition(&cursor))
    return kClockUnreadable;
  if (cursor >= kStreamBufferBytes) cursor = kStreamBufferBytes - 1;
  game.playCursor = cursor;

  if (game.drawSlot == game.lastLoadedSlot) {
    game.sequenceEnded = 1;
    game.drawDown = 1;
    return kClockEnded;
  }

  int32_t chunk = static_cast<int32_t>(cursor / kChunkBytes);
  if (game.soundExhausted) return pollDrain(chunk);

  game.playChunk = chunk;
  game.chunkFilled[chunk] = 0;
  int32_t clock =
      (game.chunkClock * kChunkBytes + static_cast<int32_t>(cursor) - kChunkBytes * chunk) /
      kSoundBytesPerFrame;
  // Right after the cursor crosses into a new chunk, the chunk behind it is not refilled yet
  // and chunkClock is one chunk short; two frames make up for it.
  if (clock < game.currentFrame) clock += 2;
  game.clockFrame = clock;
  checkpointStep();
  return chunk;
}

int32_t pollClock() {
  return sequence.soundClock ? pollSoundClock() : pollTimerClock();
}

static void advanceDrawSlot() {
  game.drawSlot = (game.drawSlot + 1) % kCacheSlots;
}

// At most one frame per pass, however far the clock has moved. The slot just drawn is reloaded
// with the clock's frame, which is shown twelve draws later.
static void pictureStep() {
  if (game.drawDown) {
    drawCachedFrame(game.drawSlot);
    advanceDrawSlot();
    return;
  }
  if (game.clockFrame <= game.currentFrame) return;
  game.currentFrame = static_cast<int32_t>(game.clockFrame);
  if (game.currentFrame >= game.sequenceLength) return;

  drawCachedFrame(game.drawSlot);
  advanceDrawSlot();
  int32_t slot = game.drawSlot == 0 ? kCacheSlots - 1 : game.drawSlot - 1;
  std::memset(sequence.frameCache[slot], 0, kSlotBytes);
  sequence.slotBytes[slot] = kSlotBytes;
  int32_t bytes = 0;
  if (game.aviFile && game.aviFile->readVideoFrame(game.currentFrame, sequence.frameCache[slot],
                                                   kSlotBytes, &bytes))
    sequence.slotBytes[slot] = bytes;
  game.lastLoadedSlot = slot;
}

// Refills the chunk the play cursor has just left, once the cursor has been seen inside it, so
// the sound card never plays half-written sound. Its sound is heard five chunks later.
static void refillStep(int32_t cursorChunk) {
  if (cursorChunk < 0 || cursorChunk >= kChunks) return;
  int32_t chunk = cursorChunk == 0 ? kChunks - 1 : cursorChunk - 1;
  if (game.chunkFilled[chunk]) return;

  uint8_t *region1 = nullptr, *region2 = nullptr;
  uint32_t length1 = 0, length2 = 0;
  if (!game.streamBuffer->lock(chunk * kChunkBytes, kChunkBytes, &region1, &length1, &region2,
                               &length2) ||
      !region1)
    return;
  if (!game.aviFile || !game.aviFile->hasAudio()) {
    game.streamBuffer->unlock(region1, length1, region2, length2);
    return;
  }

  uint32_t capacity = length1 < kChunkBytes ? length1 : kChunkBytes;
  int32_t bytes = 0;
  if (game.aviFile->readAudio(game.soundReadPos / 2, kChunkBytes / kBytesPerSample, region1,
                              capacity, &bytes)) {
    std::memset(region1 + bytes, kSilence, capacity - bytes);  // the track's last, short chunk
    game.chunkClock++;
    game.lastFilledChunk = chunk;
    game.soundReadPos += kChunkBytes;
    game.chunkFilled[chunk] = 1;
    game.soundExhausted = 0;
  } else {
    game.chunkFilled[chunk] = 1;
    game.soundExhausted = 1;
  }
  game.streamBuffer->unlock(region1, length1, region2, length2);
}

void runMediaSteps() {
  game.gameActive = 1;
  int32_t cursorChunk = pollClock();
  pictureStep();
  game.gameActive = 1;
  pollClock();
  if (sequence.soundClock) refillStep(cursorChunk);
  game.gameActive = 1;
  pollClock();
}
