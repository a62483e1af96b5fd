// The SDL2 sound device in real time on SDL's dummy audio driver: its callback moves the play
// cursors while the game locks and refills. (How the mixer moves them is tested deterministically
// in sound_devices_test.cc.)
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <memory>

#include "eventually.h"
#include "platform/platform.h"

namespace {

const WaveFormat kGameFormat;

uint32_t positionOf(SoundBuffer* buffer) {
  uint32_t position = 0;
  EXPECT_TRUE(buffer->getCurrentPosition(&position));
  return position;
}

class SdlSound : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    device.reset(createSdlSoundDevice());
    ASSERT_NE(device, nullptr) << "SDL's dummy audio driver did not open";
  }
  std::unique_ptr<SoundDevice> device;
};

}  // namespace

// The playback pump's refill: the chunk the cursor has just left is locked, written and
// unlocked while the callback plays the others. A stop closes the output; play opens it again
// and the cursor goes on from where it was.
TEST_F(SdlSound, RefillsWhilePlaying) {
  constexpr uint32_t kChunk = 7350;
  SoundBuffer* stream = device->createBuffer(kGameFormat, 6 * kChunk);
  SoundBuffer* beep = device->createBuffer(kGameFormat, 5186);
  stream->play(true);
  uint32_t lastChunk = 0;
  int refills = 0;
  EXPECT_TRUE(eventually([&] {
    uint32_t chunk = positionOf(stream) / kChunk;
    if (chunk != lastChunk) {
      uint8_t *region1, *region2;
      uint32_t length1, length2;
      bool locked =
          stream->lock(lastChunk * kChunk, kChunk, &region1, &length1, &region2, &length2);
      EXPECT_TRUE(locked);
      if (!locked) return true;
      std::memset(region1, 100 + refills % 50, length1);
      stream->unlock(region1, length1, region2, length2);
      beep->play(false);
      lastChunk = chunk;
      ++refills;
    }
    return refills == 8;  // more than one turn of the buffer
  }));
  stream->stop();
  beep->stop();
  uint32_t held = positionOf(stream);
  stream->play(true);
  EXPECT_TRUE(eventually([&] { return positionOf(stream) != held; }));
  stream->stop();
}
