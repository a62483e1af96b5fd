// The virtual sound card: buffers in memory whose play cursors move only when the caller
// advances the device, with every call recorded and switches that make calls fail.
#include <algorithm>

#include "platform/game_wake.h"
#include "platform/headless.h"
#include "platform/sound_regions.h"

namespace {

std::string eventLine(const char* what, const VirtualSoundBuffer& buffer) {
  return std::string(what) + " " + std::to_string(buffer.number);
}

}  // namespace

VirtualSoundDevice::~VirtualSoundDevice() = default;

SoundBuffer* VirtualSoundDevice::createBuffer(const WaveFormat& format, uint32_t bytes) {
  std::lock_guard<std::mutex> hold(lock);
  if (failCreateBuffer || bytes == 0) return nullptr;
  auto buffer = std::make_unique<VirtualSoundBuffer>();
  buffer->device = this;
  buffer->number = static_cast<int>(buffers.size()) + 1;
  buffer->format = format;
  buffer->bytes.assign(bytes, kSilence);
  events.push_back(eventLine("create", *buffer) + " " + std::to_string(bytes));
  buffers.push_back(std::move(buffer));
  return buffers.back().get();
}

void VirtualSoundDevice::advance(uint32_t bytes) {
  bool crossed = false;
  std::unique_lock<std::mutex> hold(lock);
  for (auto& buffer : buffers) {
    if (!buffer->playing || buffer->released) continue;
    uint64_t size = buffer->bytes.size();
    if (cursorCrossesMultiple(buffer->cursor, bytes, static_cast<uint32_t>(size),
                              buffer->wakeInterval))
      crossed = true;
    uint64_t cursor = buffer->cursor + uint64_t{bytes};
    if (buffer->looping) {
      buffer->cursor = static_cast<uint32_t>(cursor % size);
    } else if (cursor >= size) {
      buffer->playing = false;
      buffer->cursor = 0;
    } else {
      buffer->cursor = static_cast<uint32_t>(cursor);
    }
  }
  hold.unlock();
  if (crossed) wakeGame();
}

std::vector<std::string> VirtualSoundDevice::eventsSeen() {
  std::lock_guard<std::mutex> hold(lock);
  return events;
}

void VirtualSoundDevice::clearEvents() {
  std::lock_guard<std::mutex> hold(lock);
  events.clear();
}

bool VirtualSoundBuffer::lock(uint32_t offset, uint32_t count, uint8_t** region1, uint32_t* length1,
                              uint8_t** region2, uint32_t* length2) {
  std::lock_guard<std::mutex> hold(device->lock);
  bool locked = lockRegions(bytes.data(), uint32_t(bytes.size()), offset, count, region1, length1,
                            region2, length2);
  if (failLock || released || !locked) {
    *region1 = *region2 = nullptr;
    *length1 = *length2 = 0;
    return false;
  }
  ++locks;
  ++openLocks;
  device->events.push_back(eventLine("lock", *this) + " " + std::to_string(offset) + " " +
                           std::to_string(count));
  return true;
}

bool VirtualSoundBuffer::unlock(uint8_t* region1, uint32_t length1, uint8_t* region2,
                                uint32_t length2) {
  std::lock_guard<std::mutex> hold(device->lock);
  if (failUnlock || released || openLocks == 0 ||
      !regionsInside(bytes.data(), uint32_t(bytes.size()), region1, length1, region2, length2)) {
    return false;
  }
  ++unlocks;
  --openLocks;
  device->events.push_back(eventLine("unlock", *this));
  return true;
}

bool VirtualSoundBuffer::play(bool loop) {
  std::lock_guard<std::mutex> hold(device->lock);
  if (released) return false;
  playing = true;
  looping = loop;
  ++plays;
  device->events.push_back(eventLine("play", *this) + (loop ? " loop" : " once"));
  return true;
}

bool VirtualSoundBuffer::stop() {
  std::lock_guard<std::mutex> hold(device->lock);
  if (released) return false;
  playing = false;
  ++stops;
  device->events.push_back(eventLine("stop", *this));
  return true;
}

bool VirtualSoundBuffer::getCurrentPosition(uint32_t* playCursor) {
  std::lock_guard<std::mutex> hold(device->lock);
  ++positionReads;
  if (failGetPosition || released) return false;
  *playCursor = cursor;
  return true;
}

bool VirtualSoundBuffer::setCurrentPosition(uint32_t position) {
  std::lock_guard<std::mutex> hold(device->lock);
  if (released || position >= bytes.size()) return false;
  cursor = position;
  device->events.push_back(eventLine("position", *this) + " " + std::to_string(position));
  return true;
}

bool VirtualSoundBuffer::setVolume(int32_t hundredthsOfDecibel) {
  std::lock_guard<std::mutex> hold(device->lock);
  if (released || hundredthsOfDecibel > 0 || hundredthsOfDecibel < kSilentVolume) return false;
  volume = hundredthsOfDecibel;
  device->events.push_back(eventLine("volume", *this) + " " + std::to_string(volume));
  return true;
}

void VirtualSoundBuffer::wakeGameEvery(uint32_t interval) {
  std::lock_guard<std::mutex> hold(device->lock);
  wakeInterval = interval;
}

int64_t VirtualSoundBuffer::timeToNextWakeUs() {
  return -1;
}

void VirtualSoundBuffer::release() {
  std::lock_guard<std::mutex> hold(device->lock);
  if (released) return;
  released = true;
  playing = false;
  device->events.push_back(eventLine("release", *this));
}
