// The SDL device's mixer, driven by hand. (The virtual sound card of the tests is driven by the
// sound, pump and scenario tests.)
#include <memory>

#include "media/media.h"
#include "platform/game_wake.h"

#include "test_support.h"

namespace {

const WaveFormat kGameFormat;  // 22050 Hz, 8-bit stereo PCM

uint32_t positionOf(SoundBuffer* buffer) {
  uint32_t position = 0xFFFFFFFF;
  EXPECT_TRUE(buffer->getCurrentPosition(&position));
  return position;
}

void fill(SoundBuffer* buffer, const std::vector<uint8_t>& bytes) {
  ASSERT_TRUE(fillSoundBuffer(buffer, bytes.data(), uint32_t(bytes.size())));
}

}  // namespace

class SdlMixer : public ::testing::Test {
 protected:
  std::vector<uint8_t> mix(uint32_t bytes) {
    std::vector<uint8_t> out(bytes);
    mixSdlSound(device.get(), out.data(), bytes);
    return out;
  }
  std::unique_ptr<SoundDevice> device{createSdlMixerDevice()};
};

TEST_F(SdlMixer, TakesOnlyTheGamesSoundFormat) {
  EXPECT_NE(device->createBuffer(kGameFormat, 44100), nullptr);
  WaveFormat sixteenBits{1, 2, 22050, 88200, 4, 16};
  EXPECT_EQ(device->createBuffer(sixteenBits, 44100), nullptr);
  WaveFormat claimsEightBits{1, 2, 22050, 88200, 4, 8};  // a 16-bit format told 8 bits
  EXPECT_EQ(device->createBuffer(claimsEightBits, 44100), nullptr);
  WaveFormat mono{1, 1, 22050, 22050, 1, 8};
  EXPECT_EQ(device->createBuffer(mono, 44100), nullptr);
  EXPECT_EQ(device->createBuffer(kGameFormat, 0), nullptr);
}

TEST_F(SdlMixer, SumsDeviationsAndClamps) {
  SoundBuffer* a = device->createBuffer(kGameFormat, 4);
  SoundBuffer* b = device->createBuffer(kGameFormat, 4);
  fill(a, {138, 200, 20, 128});
  fill(b, {148, 255, 10, 255});
  a->play(true);
  b->play(true);
  // 10 + 20; 72 + 127 clamped; -108 - 118 clamped; 0 + 127
  EXPECT_EQ(mix(4), (std::vector<uint8_t>{158, 255, 0, 255}));
}

TEST_F(SdlMixer, LoopingWrapsAndOneShotEndsAtItsStart) {
  SoundBuffer* stream = device->createBuffer(kGameFormat, 1000);
  SoundBuffer* beep = device->createBuffer(kGameFormat, 300);
  fill(beep, std::vector<uint8_t>(300, 138));
  stream->play(true);
  beep->play(false);
  std::vector<uint8_t> out = mix(2500);
  EXPECT_EQ(positionOf(stream), 500u);
  EXPECT_EQ(positionOf(beep), 0u);
  EXPECT_EQ(out[299], 138);
  EXPECT_EQ(out[300], 128);
  mix(100);
  EXPECT_EQ(positionOf(beep), 0u);  // stopped: it does not start again by itself
  beep->play(false);                // plays again from the start
  EXPECT_EQ(mix(1)[0], 138);
  EXPECT_EQ(positionOf(beep), 1u);
}

TEST_F(SdlMixer, StopHoldsTheCursorAndPlayResumes) {
  SoundBuffer* stream = device->createBuffer(kGameFormat, 44100);
  stream->play(true);
  mix(3000);
  stream->stop();
  mix(3000);
  EXPECT_EQ(positionOf(stream), 3000u);
  stream->play(true);
  mix(3000);
  EXPECT_EQ(positionOf(stream), 6000u);
  EXPECT_TRUE(stream->setCurrentPosition(44000));
  mix(200);
  EXPECT_EQ(positionOf(stream), 100u);
  EXPECT_FALSE(stream->setCurrentPosition(44100));
}

TEST_F(SdlMixer, VolumeInHundredthsOfADecibel) {
  SoundBuffer* stream = device->createBuffer(kGameFormat, 10);
  fill(stream, std::vector<uint8_t>(10, 228));  // deviation 100
  stream->play(true);
  ASSERT_TRUE(stream->setVolume(-1));  // practically full
  EXPECT_EQ(mix(1)[0], 228);
  ASSERT_TRUE(stream->setVolume(-600));  // half the amplitude, near enough
  EXPECT_EQ(mix(1)[0], 128 + 50);
  ASSERT_TRUE(stream->setVolume(kSilentVolume));
  EXPECT_EQ(mix(1)[0], 128);
  EXPECT_FALSE(stream->setVolume(100));
  EXPECT_FALSE(stream->setVolume(-10001));
}

TEST_F(SdlMixer, LockWrapsAndReleaseRemovesTheBuffer) {
  SoundBuffer* stream = device->createBuffer(kGameFormat, 100);
  uint8_t *region1, *region2;
  uint32_t length1, length2;
  ASSERT_TRUE(stream->lock(80, 40, &region1, &length1, &region2, &length2));
  EXPECT_EQ(length1, 20u);
  EXPECT_EQ(length2, 20u);
  EXPECT_EQ(region2 + 80, region1);
  EXPECT_TRUE(stream->unlock(region1, length1, region2, length2));
  EXPECT_FALSE(stream->lock(0, 101, &region1, &length1, &region2, &length2));
  stream->play(true);
  stream->release();
  EXPECT_EQ(mix(10), std::vector<uint8_t>(10, 128));
}

// The game thread sleeps between frames: the stream buffer wakes it once for every frame's sound
// the mixer takes (3675 bytes, twelve to the loop), and a buffer without wake points never does.
TEST_F(SdlMixer, CursorWakesTheGameAtEveryWakePoint) {
  SoundBuffer* stream = device->createBuffer(kGameFormat, 44100);
  SoundBuffer* beep = device->createBuffer(kGameFormat, 5000);
  stream->wakeGameEvery(3675);
  stream->play(true);
  beep->play(false);
  uint64_t before = gameWakeCount();
  for (int i = 0; i < 44100 / 1050; ++i) mix(1050);  // as the audio callback takes the sound
  EXPECT_EQ(gameWakeCount() - before, 12u);
  stream->stop();
  mix(44100);
  EXPECT_EQ(gameWakeCount() - before, 12u);
}
