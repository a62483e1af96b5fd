// Virtual media: clips that exist only as a name and a frame count, for qvksim and the tests.
// Their frames name their own numbers, so the drawer can tell which frame it was given.
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>

#include "platform/headless.h"

namespace {

struct VirtualFile : MediaFile {
  VirtualMediaLibrary::Clip clip;

  int32_t frameCount() override { return clip.frames; }
  bool hasVideo() override { return true; }
  bool hasAudio() override { return clip.withSound; }

  bool readVideoFormat(uint8_t* buffer, int32_t bufferSize, int32_t* size) override {
    uint8_t header[40] = {40};
    header[4] = 320 & 0xff, header[5] = 320 >> 8;  // width
    header[8] = 240;                               // height
    header[12] = 1, header[14] = 8;                // planes, bits
    std::memcpy(header + 16, "VIRT", 4);
    *size = bufferSize < 40 ? bufferSize : 40;
    std::memcpy(buffer, header, *size);
    return true;
  }

  bool readAudioFormat(WaveFormat* format) override {
    if (!clip.withSound) return false;
    *format = WaveFormat{};
    return true;
  }

  bool readVideoFrame(int32_t frame, uint8_t* buffer, int32_t bufferSize,
                      int32_t* bytesRead) override {
    if (frame < 0 || frame >= clip.frames || bufferSize < kVirtualFrameBytes) return false;
    std::memcpy(buffer, "VFRM", 4);
    std::memcpy(buffer + 4, &frame, 4);
    *bytesRead = kVirtualFrameBytes;
    return true;
  }

  bool readAudio(int32_t firstSample, int32_t sampleCount, uint8_t* buffer, int32_t bufferSize,
                 int32_t* bytesRead) override {
    int64_t trackBytes = int64_t{clip.frames} * kSoundBytesPerFrame;
    int64_t start = int64_t{firstSample} * 2;
    if (!clip.withSound || firstSample < 0 || start >= trackBytes) return false;
    int64_t bytes =
        std::min<int64_t>({int64_t{sampleCount} * 2, int64_t{bufferSize}, trackBytes - start});
    for (int64_t i = 0; i < bytes; ++i) buffer[i] = static_cast<uint8_t>((start + i) % 251);
    *bytesRead = static_cast<int32_t>(bytes);
    return true;
  }
};

}  // namespace

MediaFile* VirtualMediaLibrary::open(const char* fileName) {
  std::lock_guard<std::mutex> hold(lock);
  // The clips are the directory's files, found as the game finds a file.
  std::vector<std::string> names;
  for (const Clip& clip : clips) names.push_back(clip.name);
  int found = findFileName(names, fileName);
  if (found < 0) {
    errno = ENOENT;
    return nullptr;
  }
  auto* file = new VirtualFile;
  file->clip = clips[found];
  ++openFiles;
  return file;
}

void VirtualMediaLibrary::release(MediaFile* file) {
  std::lock_guard<std::mutex> hold(lock);
  if (!file) return;
  --openFiles;
  delete file;
}

void VirtualMediaLibrary::addClip(const std::string& name, int32_t frames, bool withSound) {
  std::lock_guard<std::mutex> hold(lock);
  clips.push_back({name, frames, withSound});
}

bool VirtualMediaLibrary::loadManifest(const char* path, std::string* error) {
  std::ifstream in(path);
  if (!in) {
    *error = std::string("cannot read ") + path;
    return false;
  }
  std::string line;
  for (int number = 1; std::getline(in, line); ++number) {
    if (size_t hash = line.find('#'); hash != std::string::npos) line.erase(hash);
    std::istringstream words(line);
    std::string name, extra;
    long frames = 0;
    if (!(words >> name)) continue;
    if (!(words >> frames) || frames < 0 || frames > 1000000 || (words >> extra)) {
      *error = std::string(path) + ":" + std::to_string(number) + ": expected NAME FRAMES";
      return false;
    }
    addClip(name, static_cast<int32_t>(frames));
  }
  return true;
}

int32_t virtualFrameNumber(const uint8_t* frame, int32_t size) {
  if (!frame || size < kVirtualFrameBytes || std::memcmp(frame, "VFRM", 4) != 0) return -1;
  int32_t number;
  std::memcpy(&number, frame + 4, 4);
  return number;
}

void HeadlessDrawer::drawFrame(const uint8_t*, int32_t, const uint8_t* frame, int32_t frameSize) {
  std::lock_guard<std::mutex> hold(lock);
  drawn.push_back(virtualFrameNumber(frame, frameSize));
}

std::vector<int32_t> HeadlessDrawer::framesDrawn() {
  std::lock_guard<std::mutex> hold(lock);
  return drawn;
}

void HeadlessDrawer::clear() {
  std::lock_guard<std::mutex> hold(lock);
  drawn.clear();
}
