// The SDL2 sound device in real time on SDL's dummy audio driver.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <thread>

#include "platform/platform.h"

namespace {

using namespace std::chrono_literals;

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

TEST_F(SdlSound, LoopingCursorMovesAtTheSoundRate) {
  SoundBuffer* stream = device->createBuffer(kGameFormat, 44100);
  ASSERT_NE(stream, nullptr);
  ASSERT_TRUE(stream->play(true));
  auto start = std::chrono::steady_clock::now();
  uint64_t moved = 0;
  uint32_t last = positionOf(stream);
  while (std::chrono::steady_clock::now() - start < 1000ms) {
    std::this_thread::sleep_for(10ms);
    uint32_t now = positionOf(stream);
    moved += (now + 44100 - last) % 44100;  // the buffer loops
    last = now;
  }
  double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  double rate = moved / seconds;
  EXPECT_GT(rate, 44100 * 0.85);
  EXPECT_LT(rate, 44100 * 1.15);
}

TEST_F(SdlSound, StopHoldsTheCursorAndPlayResumesFromIt) {
  SoundBuffer* stream = device->createBuffer(kGameFormat, 44100 * 4);
  stream->play(true);
  std::this_thread::sleep_for(200ms);
  stream->stop();
  uint32_t held = positionOf(stream);
  EXPECT_GT(held, 0u);
  std::this_thread::sleep_for(200ms);
  EXPECT_EQ(positionOf(stream), held);
  stream->play(true);
  std::this_thread::sleep_for(200ms);
  uint32_t resumed = positionOf(stream);
  EXPECT_GT(resumed, held + 4410);   // at least a tenth of a second on
  EXPECT_LT(resumed, held + 22050);  // and not from a restart or a jump
}

TEST_F(SdlSound, OneShotBufferEnds) {
  SoundBuffer* beep = device->createBuffer(kGameFormat, 5186);  // 0.12 s
  beep->play(false);
  std::this_thread::sleep_for(400ms);
  EXPECT_EQ(positionOf(beep), 0u);
  std::this_thread::sleep_for(100ms);
  EXPECT_EQ(positionOf(beep), 0u);  // stopped at its start, not playing again
  beep->release();
}

// The playback pump's refill: the chunk the cursor has just left is locked, written and
// unlocked while the callback plays the others.
TEST_F(SdlSound, RefillsWhilePlaying) {
  constexpr uint32_t kChunk = 7350;
  SoundBuffer* stream = device->createBuffer(kGameFormat, 6 * kChunk);
  SoundBuffer* beep = device->createBuffer(kGameFormat, 5186);
  stream->play(true);
  auto start = std::chrono::steady_clock::now();
  uint32_t lastChunk = 0;
  int refills = 0;
  while (std::chrono::steady_clock::now() - start < 500ms) {
    uint32_t chunk = positionOf(stream) / kChunk;
    if (chunk != lastChunk) {
      uint8_t *region1, *region2;
      uint32_t length1, length2;
      ASSERT_TRUE(stream->lock(lastChunk * kChunk, kChunk, &region1, &length1, &region2, &length2));
      std::memset(region1, 100 + refills % 50, length1);
      stream->unlock(region1, length1, region2, length2);
      beep->play(false);
      lastChunk = chunk;
      ++refills;
    }
    std::this_thread::sleep_for(1ms);
  }
  EXPECT_GE(refills, 2);
  stream->stop();
}
