// The sequence loader: opening a clip at a start frame, its frame cache, and closing it.
#include <algorithm>
#include <cstring>

#include "media/media.h"

SequenceState sequence;

static constexpr uint8_t kSilence = 128;  // 8-bit sound at rest
static constexpr int kCompressionOffset = 16;

static void releaseOpenFile() {
  if (game.aviFile && platform.media) platform.media->release(game.aviFile);
  game.aviFile = nullptr;
}

// The drawing side expects the uncompressed and the run-length codes as four-character codes.
static void rewriteCompressionCode() {
  if (sequence.videoFormatSize < kCompressionOffset + 4) return;
  uint8_t* code = sequence.videoFormat + kCompressionOffset;
  uint32_t value = code[0] | code[1] << 8 | code[2] << 16 | static_cast<uint32_t>(code[3]) << 24;
  if (value == 0) std::memcpy(code, "None", 4);
  if (value == 1) std::memcpy(code, "Rle8", 4);
}

static void readFormat(MediaFile* file) {
  sequence.videoFormatSize = 0;
  if (!file || !file->hasVideo() ||
      !file->readVideoFormat(sequence.videoFormat, kVideoFormatSize, &sequence.videoFormatSize)) {
    debugPrint("no video format");
    return;
  }
  rewriteCompressionCode();
}

// A failed read leaves the slot as it was: a short file keeps the previous clip's frames.
static void fillCache(MediaFile* file, int32_t startFrame) {
  if (!file) return;
  for (int i = 0; i < kCacheSlots; ++i) {
    int32_t bytes = 0;
    if (file->readVideoFrame(startFrame + i, sequence.frameCache[i], kSlotBytes, &bytes))
      sequence.slotBytes[i] = bytes;
  }
}

// One second of sound into the whole stream buffer; what the track lacks is silence, so the end
// of a short clip does not replay the previous clip's sound. False when no sound went into the
// buffer (the track has none from startFrame on, or the buffer could not be locked): the
// clip then plays on the FrameTimer, as a clip without a sound track does.
static bool preloadSound(MediaFile* file, int32_t startFrame) {
  SoundBuffer* buffer = game.streamBuffer;
  uint8_t *region1 = nullptr, *region2 = nullptr;
  uint32_t length1 = 0, length2 = 0;
  bool locked = buffer->lock(0, kStreamBufferBytes, &region1, &length1, &region2, &length2);
  int32_t bytes = 0;
  if (locked && region1) {
    uint32_t capacity = length1 < kStreamBufferBytes ? length1 : kStreamBufferBytes;
    if (!file->readAudio(game.soundReadPos / 2, kStreamBufferBytes / kBytesPerSample, region1,
                         capacity, &bytes))
      bytes = 0;
    std::memset(region1 + bytes, kSilence, capacity - bytes);
  }
  game.chunkClock = startFrame / 2 + kChunks;
  for (uint8_t& filled : game.chunkFilled) filled = 1;
  game.soundReadPos += kStreamBufferBytes;
  // The last chunk that holds this clip, its sound or the silence under its last pictures: where
  // its drain ends if the whole clip fits.
  int64_t clipBytes = std::max<int64_t>(
      bytes, std::min<int64_t>(kStreamBufferBytes,
                               int64_t{game.sequenceLength - startFrame} * kSoundBytesPerFrame));
  if (bytes > 0) game.lastFilledChunk = static_cast<int32_t>((clipBytes - 1) / kChunkBytes);
  if (locked) buffer->unlock(region1, length1, region2, length2);
  buffer->setCurrentPosition(0);
  buffer->setVolume(-1);
  return bytes > 0;
}

void openSequence(const char* fileName, int32_t startFrame) {
  if (startFrame < 0) startFrame = 0;
  if (startFrame > kMostClipFrames) startFrame = kMostClipFrames;
  traceGameEvent("open %s %d", fileName, startFrame);

  game.drawDown = 0;
  game.sequenceEnded = 0;
  if (game.streamBuffer) game.streamBuffer->stop();
  if (TimerId timer = game.frameTimerId.exchange(0); timer && platform.timers)
    platform.timers->killEvent(timer);
  releaseOpenFile();

  game.clockFrame = startFrame;
  game.currentFrame = startFrame;
  game.soundReadPos = startFrame * kSoundBytesPerFrame;
  game.chunkClock = startFrame / 2;
  game.drawSlot = 0;
  game.lastLoadedSlot = -1;
  game.soundExhausted = 0;
  game.drainStarted = 0;
  game.drawDown = 0;
  game.sequenceEnded = 0;
  game.moveIndex = game.resumeMoveIndex < 0 ? 0 : static_cast<int32_t>(game.resumeMoveIndex);

  MediaFile* file = platform.media ? platform.media->open(fileName) : nullptr;
  if (!file && platform.window) {
    char text[kClipNameSize + 32];
    std::snprintf(text, sizeof text, "File: %s not found.", fileName);
    platform.window->showMessage(text, "Error", false);
  }
  game.aviFile = file;
  copyText(game.openClipName, kClipNameSize, fileName);
  // A file that could not be opened has no frames, so the clock ends it at once.
  game.sequenceLength = file ? std::clamp(file->frameCount(), 0, kMostClipFrames) : 0;
  readFormat(file);
  fillCache(file, startFrame);

  sequence.soundClock =
      game.streamBuffer && file && file->hasAudio() && preloadSound(file, startFrame);
  if (!sequence.soundClock) {
    if (platform.timers)
      game.frameTimerId = platform.timers->setEvent(kFrameTimerMs, frameTimerTick, true);
    return;
  }

  // The buffer is stopped during the wait; the window still shows the previous clip.
  if (!platformWait(1000)) return;
  drawCachedFrame(game.drawSlot);
  game.streamBuffer->play(true);
}

void closeSequence() {
  traceGameEvent("close");
  if (game.streamBuffer) game.streamBuffer->stop();
  releaseOpenFile();
}

void drawCachedFrame(int32_t slot) {
  if (!platform.drawer || slot < 0 || slot >= kCacheSlots) return;
  platform.drawer->drawFrame(sequence.videoFormat, sequence.videoFormatSize,
                             sequence.frameCache[slot], sequence.slotBytes[slot]);
}
