// The sound device, the two beeps built from the program's wave resources, and the looping
// stream buffer through which every scene's sound track plays.
#include <algorithm>
#include <cstring>
#include <iterator>
#include <mutex>

#include "media/media.h"

namespace {

constexpr uint32_t kRiffHeaderBytes = 12;    // "RIFF", its size, "WAVE"
constexpr uint32_t kChunkHeaderBytes = 8;    // identifier and size
constexpr uint32_t kShortestFormat = 14;     // a "fmt " chunk shorter than this is refused
constexpr uint32_t kFormatRecordBytes = 16;  // the fields of WaveFormat as they lie in "fmt "

}  // namespace

// The walk trusts nothing of the image: a chunk it takes must lie inside the image, and a walk
// that runs off the image's end fails like one that runs off the RIFF size's end.
bool findWaveChunks(const uint8_t* image, size_t imageSize, const uint8_t** format,
                    const uint8_t** data, uint32_t* dataSize) {
  if (format) *format = nullptr;
  if (data) *data = nullptr;
  if (dataSize) *dataSize = 0;
  if (!image || imageSize < kRiffHeaderBytes) return false;
  if (std::memcmp(image, "RIFF", 4) != 0 || std::memcmp(image + 8, "WAVE", 4) != 0) return false;
  uint64_t end = 8 + uint64_t{readLe32(image + 4)};
  if (end <= kRiffHeaderBytes) return false;

  bool formatFound = false, dataFound = false;
  for (uint64_t chunk = kRiffHeaderBytes; chunk < end;) {
    if (chunk + kChunkHeaderBytes > imageSize) return false;
    const uint8_t* header = image + chunk;
    uint32_t size = readLe32(header + 4);
    uint64_t start = chunk + kChunkHeaderBytes;
    if (std::memcmp(header, "fmt ", 4) == 0 && format && !formatFound) {
      if (size < kShortestFormat) return false;
      if (start + std::max(size, kFormatRecordBytes) > imageSize) return false;
      *format = image + start;
      formatFound = true;
      if (dataFound || (!data && !dataSize)) return true;
    } else if (std::memcmp(header, "data", 4) == 0 && (data || dataSize) && !dataFound) {
      if (start + size > imageSize) return false;
      if (data) *data = image + start;
      if (dataSize) *dataSize = size;
      dataFound = true;
      if (formatFound || !format) return true;
    }
    chunk = start + size + (size & 1);
  }
  return false;
}

bool loadWaveResource(const char* name, const uint8_t** format, const uint8_t** data,
                      uint32_t* dataSize) {
  const uint8_t* image = nullptr;
  size_t size = 0;
  if (!findResource(name, &image, &size)) return false;
  return findWaveChunks(image, size, format, data, dataSize);
}

bool fillSoundBuffer(SoundBuffer* buffer, const uint8_t* bytes, uint32_t count) {
  if (!buffer || !bytes || count == 0) return false;
  uint8_t *region1 = nullptr, *region2 = nullptr;
  uint32_t length1 = 0, length2 = 0;
  if (!buffer->lock(0, count, &region1, &length1, &region2, &length2)) return false;
  length1 = std::min(length1, count);
  std::memcpy(region1, bytes, length1);
  if (length2 != 0) std::memcpy(region2, bytes + length1, std::min(length2, count - length1));
  buffer->unlock(region1, length1, region2, length2);
  return true;
}

SoundBuffer* createEffectBuffer(SoundDevice* device, const char* resourceName) {
  const uint8_t *format = nullptr, *data = nullptr;
  uint32_t dataSize = 0;
  if (!device || !loadWaveResource(resourceName, &format, &data, &dataSize)) return nullptr;
  SoundBuffer* buffer =
      device->createBuffer(waveFormatFromRecord(format, kFormatRecordBytes), dataSize);
  if (!buffer) return nullptr;
  if (!fillSoundBuffer(buffer, data, dataSize)) {
    buffer->release();
    return nullptr;
  }
  return buffer;
}

void initSound() {
  if (!playback.soundDevice && platform.createSoundDevice)
    playback.soundDevice = platform.createSoundDevice();
  if (playback.soundDevice) {
    playback.goodBeep = createEffectBuffer(playback.soundDevice, "GBEEP");
    playback.badBeep = createEffectBuffer(playback.soundDevice, "BBEEP");
  }
}

static std::mutex streamLock;
static bool streamPlays = false;  // under streamLock, with playback.holds' changes

void playStream() {
  std::lock_guard<std::mutex> hold(streamLock);
  streamPlays = true;
  if (playback.streamBuffer && playback.holds == 0) playback.streamBuffer->play(true);
}

void stopStream() {
  std::lock_guard<std::mutex> hold(streamLock);
  streamPlays = false;
  if (playback.streamBuffer) playback.streamBuffer->stop();
}

void setHold(Hold reason, bool on) {
  std::lock_guard<std::mutex> hold(streamLock);
  unsigned holds = playback.holds;
  playback.holds = on ? holds | reason : holds & ~reason;
  if (!playback.streamBuffer) return;
  if (playback.holds != 0) {
    playback.streamBuffer->stop();
  } else if (streamPlays) {
    playback.streamBuffer->play(true);
  }
}

bool isHeld(unsigned holds) {
  return (playback.holds & holds) != 0;
}

void playBeep(Beep beep) {
  traceEvent(beep == kGoodBeep ? "beep good" : "beep bad");
  SoundBuffer* buffer = beep == kGoodBeep ? playback.goodBeep : playback.badBeep;
  if (buffer) buffer->play(false);
}

bool soundToCome() {
  return playback.soundReadPos < int64_t{kMostClipFrames} * kSoundBytesPerFrame;
}

StreamFill fillStreamBuffer(uint32_t offset, uint32_t count, bool silenceOnFailure) {
  StreamFill fill;
  MediaFile* file = playback.aviFile;
  if (!playback.streamBuffer || !file || !file->hasAudio()) return fill;
  uint8_t *region1 = nullptr, *region2 = nullptr;
  uint32_t length1 = 0, length2 = 0;
  if (!playback.streamBuffer->lock(offset, count, &region1, &length1, &region2, &length2) ||
      !region1)
    return fill;
  fill.locked = true;
  uint32_t capacity = std::min(length1, count);
  fill.read =
      soundToCome() && file->readAudio(playback.soundReadPos / kBytesPerSample,
                                       static_cast<int32_t>(count) / kBytesPerSample, region1,
                                       static_cast<int32_t>(capacity), &fill.bytes);
  if (!fill.read) fill.bytes = 0;
  if (fill.read || silenceOnFailure)
    std::memset(region1 + fill.bytes, kSilence, capacity - fill.bytes);
  playback.streamBuffer->unlock(region1, length1, region2, length2);
  return fill;
}

void initStreamBuffer() {
  // The stream buffer takes the demo's sound format, but always 8 bits per sample: every clip
  // of the game carries 8-bit sound. A format that cannot be read stays all zeros, which no
  // device accepts.
  WaveFormat format{0, 0, 0, 0, 0, 0};
  if (playback.soundDevice && playback.aviFile) playback.aviFile->readAudioFormat(&format);
  format.bitsPerSample = 8;

  if (playback.soundDevice && !playback.streamBuffer) {
    playback.streamBuffer = playback.soundDevice->createBuffer(format, kStreamBufferBytes);
    // The clock and the chunk to refill change only where the play cursor enters the sound of
    // another frame, so the game thread sleeps until then.
    if (playback.streamBuffer) playback.streamBuffer->wakeGameEvery(kSoundBytesPerFrame);
  }

  // One second of the demo's sound, as after a full preload, with or without a device.
  playback.soundReadPos = 0;
  if (!fillStreamBuffer(0, kStreamBufferBytes, false).read)
    debugPrint("preload of the demo's sound failed");
  playback.chunkClock = kChunks;
  playback.soundReadPos = kStreamBufferBytes;
  std::fill(std::begin(playback.chunkFilled), std::end(playback.chunkFilled), true);

  if (playback.streamBuffer) {
    playback.streamBuffer->setCurrentPosition(0);
    playback.streamBuffer->setVolume(kFullVolume);
  }
}
