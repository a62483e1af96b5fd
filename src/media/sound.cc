// The sound device, the two beeps built from the program's wave resources, and the looping
// stream buffer through which every scene's sound track plays.
#include <algorithm>
#include <cstring>
#include <iterator>

#include "media/media.h"

namespace {

constexpr uint32_t kRiffHeaderBytes = 12;    // "RIFF", its size, "WAVE"
constexpr uint32_t kChunkHeaderBytes = 8;    // identifier and size
constexpr uint32_t kShortestFormat = 14;     // a "fmt " chunk shorter than this is refused
constexpr uint32_t kFormatRecordBytes = 16;  // the fields of WaveFormat as they lie in "fmt "
constexpr int32_t kFullVolume = -1;          // hundredths of a decibel

// The preload of the stream buffer at start-up: one second of the demo's sound.
uint8_t preloadBuffer[kStreamBufferBytes];
int32_t preloadBytes = 0;

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
  if (!game.soundDevice && platform.createSoundDevice) {
    game.soundDevice = platform.createSoundDevice();
  }
  if (game.soundDevice) {
    game.goodBeep = createEffectBuffer(game.soundDevice, "GBEEP");
    game.badBeep = createEffectBuffer(game.soundDevice, "BBEEP");
  }
}

void initStreamBuffer() {
  // The stream buffer takes the demo's sound format, but always 8 bits per sample: every clip
  // of the game carries 8-bit sound. A format that cannot be read stays all zeros, which no
  // device accepts.
  WaveFormat format{0, 0, 0, 0, 0, 0};
  if (game.soundDevice && game.aviFile) game.aviFile->readAudioFormat(&format);
  format.bitsPerSample = 8;

  if (game.soundDevice && !game.streamBuffer) {
    game.streamBuffer = game.soundDevice->createBuffer(format, kStreamBufferBytes);
    // The clock and the chunk to refill change only where the play cursor enters the sound of
    // another frame, so the game thread sleeps until then.
    if (game.streamBuffer) game.streamBuffer->wakeGameEvery(kSoundBytesPerFrame);
  }

  preloadBytes = 0;
  if (game.soundDevice && game.aviFile) {
    if (!game.aviFile->readAudio(0, kStreamBufferBytes / kBytesPerSample, preloadBuffer,
                                 kStreamBufferBytes, &preloadBytes)) {
      debugPrint("preload of the demo's sound failed");
    }
    preloadBytes = std::clamp(preloadBytes, 0, kStreamBufferBytes);
  }

  // As after a full preload, with or without a device.
  game.chunkClock = kChunks;
  game.soundReadPos = kStreamBufferBytes;
  std::fill(std::begin(game.chunkFilled), std::end(game.chunkFilled), 1);

  if (game.streamBuffer) {
    fillSoundBuffer(game.streamBuffer, preloadBuffer, static_cast<uint32_t>(preloadBytes));
    game.streamBuffer->setCurrentPosition(0);
    game.streamBuffer->setVolume(kFullVolume);
  }
}
