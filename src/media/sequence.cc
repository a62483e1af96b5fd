// The sequence loader: opening a clip at a start frame, its frame cache, and closing it.
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>

#include "media/media.h"

PlaybackState playback;

static void releaseOpenFile() {
  if (playback.aviFile && platform.media) platform.media->release(playback.aviFile);
  playback.aviFile = nullptr;
}

static void readFormat(MediaFile* file) {
  playback.videoFormatSize = 0;
  if (!file || !file->hasVideo() ||
      !file->readVideoFormat(playback.videoFormat, kVideoFormatSize, &playback.videoFormatSize))
    debugPrint("no video format");
}

// A failed read leaves the slot as it was: a short file keeps the previous clip's frames.
static void fillCache(MediaFile* file, int32_t startFrame) {
  if (!file) return;
  for (int i = 0; i < kCacheSlots; ++i) {
    int32_t bytes = 0;
    if (file->readVideoFrame(startFrame + i, playback.frameCache[i], kSlotBytes, &bytes))
      playback.slotBytes[i] = bytes;
  }
}

// One second of sound into the whole stream buffer; what the track lacks is silence, so the end
// of a short clip does not replay the previous clip's sound. False when no sound went into the
// buffer (the track has none from startFrame on, or the buffer could not be locked): the
// clip then plays on the FrameTimer, as a clip without a sound track does.
static bool preloadSound(int32_t startFrame) {
  StreamFill fill = fillStreamBuffer(0, kStreamBufferBytes, true);
  int32_t bytes = fill.read ? fill.bytes : 0;
  playback.chunkClock = startFrame / kFramesPerChunk + kChunks;
  for (bool& filled : playback.chunkFilled) filled = true;
  playback.soundReadPos += kStreamBufferBytes;
  // The last chunk that holds this clip, its sound or the silence under its last pictures: where
  // its drain ends if the whole clip fits.
  int64_t clipBytes = std::max<int64_t>(
      bytes, std::min<int64_t>(kStreamBufferBytes, int64_t{playback.sequenceLength - startFrame} *
                                                       kSoundBytesPerFrame));
  if (bytes > 0) playback.lastFilledChunk = static_cast<int32_t>((clipBytes - 1) / kChunkBytes);
  playback.streamBuffer->setCurrentPosition(0);
  playback.streamBuffer->setVolume(kFullVolume);
  return bytes > 0;
}

// The game's own words, then the clip's path in the current directory and why it did not open.
static void reportClipNotOpened(const char* fileName, int error) {
  if (!platform.window) return;
  std::string text =
      std::string("File: ") + fileName + " not found.\n" +
      fileInMessage(resolveInDirectory(platform.directories.current, fileName), error);
  platform.window->showMessage(text.c_str(), "Error", false);
}

void openSequence(const char* fileName, int32_t startFrame) {
  if (startFrame < 0) startFrame = 0;
  if (startFrame > kMostClipFrames) startFrame = kMostClipFrames;
  traceEvent("open %s %d", fileName, startFrame);

  playback.drawDown = false;
  playback.sequenceEnded = false;
  stopStream();
  killTimer(playback.frameTimerId);
  releaseOpenFile();

  playback.clockFrame = startFrame;
  playback.currentFrame = startFrame;
  playback.soundReadPos = startFrame * kSoundBytesPerFrame;
  playback.chunkClock = startFrame / kFramesPerChunk;
  playback.drawSlot = 0;
  playback.lastLoadedSlot = -1;
  playback.soundStage = SoundStage::kPlaying;

  MediaFile* file = platform.media ? platform.media->open(fileName) : nullptr;
  if (!file) reportClipNotOpened(fileName, errno);
  playback.aviFile = file;
  copyText(playback.openClipName, kClipNameSize, fileName);
  // A file that could not be opened has no frames, so the clock ends it at once.
  playback.sequenceLength = file ? std::clamp(file->frameCount(), 0, kMostClipFrames) : 0;
  readFormat(file);
  fillCache(file, startFrame);

  playback.soundClock =
      playback.streamBuffer && file && file->hasAudio() && preloadSound(startFrame);
  if (!playback.soundClock) {
    if (platform.timers)
      playback.frameTimerId = platform.timers->setEvent(kFrameTimerMs, frameTimerTick, true);
    return;
  }

  // The buffer is stopped during the wait; the window still shows the previous clip.
  if (!platformWait(1000)) return;
  drawCachedFrame(playback.drawSlot);
  playStream();
}

void closeSequence() {
  traceEvent("close");
  stopStream();
  // With the clip closed the clock has nothing to count: the next open starts it again.
  killTimer(playback.frameTimerId);
  releaseOpenFile();
}

void drawCachedFrame(int32_t slot) {
  QVK_ASSERT(slot >= 0 && slot < kCacheSlots);
  if (!platform.drawer) return;
  platform.drawer->drawFrame(playback.videoFormat, playback.videoFormatSize,
                             playback.frameCache[slot], playback.slotBytes[slot]);
}
