// Any bytes as an AVI file: the reader opens it or refuses it, at about the cost of one read of
// the file; every read stays inside the caller's buffer and says truly how much it gave; reads
// past the end fail; and every frame it gives goes through the MS-RLE decoder, as the game
// draws it, without fault.
#include <cstring>

#include "fuzz_support.h"
#include "media/media.h"

namespace {

constexpr uint8_t kGuard = 0xA5;
constexpr int32_t kGuardBytes = 64;
constexpr int32_t kMostFramesRead = 48;

bool guardIntact(const uint8_t* buffer, int32_t size) {
  for (int32_t i = 0; i < kGuardBytes; ++i)
    if (buffer[size + i] != kGuard) return false;
  return true;
}

// The format as the game hands it to the drawer, made to name MS-RLE at the game's size or less
// so that every input reaches the run-length decoder.
int32_t rleFormat(MediaFile* file, uint8_t* format) {
  int32_t size = 0;
  std::memset(format, kGuard, kVideoFormatSize + kGuardBytes);
  if (!file->readVideoFormat(format, kVideoFormatSize, &size)) return 0;
  fuzzCheck(size > 0 && size <= kVideoFormatSize && guardIntact(format, kVideoFormatSize));
  if (size < 40) return size;
  std::memcpy(format + 16, "Rle8", 4);
  int32_t width, height;
  std::memcpy(&width, format + 4, 4);
  std::memcpy(&height, format + 8, 4);
  if (width > kPictureWidth || width < 0) width = kPictureWidth;
  if (height > kPictureHeight || height < -kPictureHeight) height = kPictureHeight;
  std::memcpy(format + 4, &width, 4);
  std::memcpy(format + 8, &height, 4);
  return size;
}

void readSound(MediaFile* file) {
  static uint8_t buffer[kStreamBufferBytes + kGuardBytes];
  int32_t got = 0;
  for (int32_t first : {0, 1, 1837, 22050, 1 << 20}) {
    std::memset(buffer, kGuard, sizeof buffer);
    if (!file->readAudio(first, kSoundBytesPerFrame, buffer, kChunkBytes, &got)) continue;
    fuzzCheck(got > 0 && got <= kChunkBytes && guardIntact(buffer, kChunkBytes));
  }
  fuzzCheck(!file->readAudio(-1, 1, buffer, kChunkBytes, &got));
  fuzzCheck(!file->readAudio(INT32_MAX, 1, buffer, kChunkBytes, &got));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzzDirectory();
  static FrameDrawer* drawer = makeDecodingFrameDrawer();
  writeFuzzFile("clip.avi", data, size);
  MediaFile* file = aviMediaLibrary()->open("clip.avi");
  if (!file) return 0;

  // Every walk over the file at open moves forward through it, in windows: a few reads, and a
  // few times its bytes, whatever it says.
  AviFileFacts facts;
  fuzzCheck(describeAviFile(file, &facts));
  fuzzCheck(facts.openReads <= 64 + size / 4096 && facts.openBytesRead <= 10 * size + 1024);

  static uint8_t format[kVideoFormatSize + kGuardBytes];
  static uint8_t slot[kSlotBytes + kGuardBytes];
  int32_t formatSize = rleFormat(file, format);
  int32_t frames = file->frameCount();
  fuzzCheck(frames >= 0 && (frames == 0 || file->hasVideo()));
  for (int32_t n = 0; n < frames && n < kMostFramesRead; ++n) {
    std::memset(slot, kGuard, sizeof slot);
    int32_t got = -1;
    if (!file->readVideoFrame(n, slot, kSlotBytes, &got)) continue;
    fuzzCheck(got >= 0 && got <= kSlotBytes && guardIntact(slot, kSlotBytes));
    if (got > 0) drawer->drawFrame(format, formatSize, slot, got);
  }
  int32_t got = 0;
  fuzzCheck(!file->readVideoFrame(frames, slot, kSlotBytes, &got));
  fuzzCheck(!file->readVideoFrame(-1, slot, kSlotBytes, &got));
  WaveFormat wave;
  fuzzCheck(file->hasAudio() || !file->readAudioFormat(&wave));
  readSound(file);
  aviMediaLibrary()->release(file);
  return 0;
}
