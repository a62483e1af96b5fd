// The SDL device's mixer, driven by hand. (The virtual sound card of the tests is driven by the
// sound, pump and scenario tests.)
#include <algorithm>
#include <iterator>
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

// The time the mixer's play cursors move with, in nanoseconds.
int64_t fakeNow = 0;
int64_t fakeClock() {
  return fakeNow;
}
constexpr int64_t kMs = 1000000;

// The time a device takes to play bytes of the game's sound, rounded up to a nanosecond.
int64_t playTime(uint64_t bytes) {
  return static_cast<int64_t>((bytes * 1000000000 + 44099) / 44100);
}

class SdlMixer : public ::testing::Test {
 protected:
  // As the audio callback mixes: the block is taken now and heard while the clock moves on by
  // its playing time, so the cursors stand at its end afterwards.
  std::vector<uint8_t> mix(uint32_t bytes) {
    std::vector<uint8_t> out(bytes);
    mixSdlSound(device.get(), out.data(), bytes);
    fakeNow += playTime(bytes);
    return out;
  }
  std::unique_ptr<SoundDevice> device{createSdlMixerDevice(fakeClock)};
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

// The game thread times its sleep by the play cursor, counting on the callback to come on time;
// the callback wakes it only where it could not: after a start (the cursor stands until the
// first block), and when a block is late (the cursor stands at what was taken). A buffer without
// wake points never wakes it.
TEST_F(SdlMixer, CallbackWakesTheGameOnlyWhereItsSleepCouldNotBeTimed) {
  SoundBuffer* stream = device->createBuffer(kGameFormat, 44100);
  SoundBuffer* beep = device->createBuffer(kGameFormat, 5000);
  beep->play(false);
  uint64_t before = gameWakeCount();
  EXPECT_EQ(beep->timeToNextWakeUs(), -1);
  mix(2048);
  EXPECT_EQ(gameWakeCount() - before, 0u);

  stream->wakeGameEvery(3675);
  stream->play(true);
  EXPECT_EQ(stream->timeToNextWakeUs(), -1);  // the cursor stands until the first block
  mix(2048);
  EXPECT_EQ(gameWakeCount() - before, 1u);
  for (int i = 0; i < 20; ++i) {  // on time: the sleep ends where the cursor gets there
    fakeNow -= playTime(1024);
    positionOf(stream);  // a pass reads the cursor, then times its sleep
    EXPECT_GE(stream->timeToNextWakeUs(), 0);
    fakeNow += playTime(1024);
    mix(2048);
  }
  EXPECT_EQ(gameWakeCount() - before, 1u);
  fakeNow += 84 * kMs;  // the next frame's sound is late
  positionOf(stream);
  EXPECT_EQ(stream->timeToNextWakeUs(), -1);
  mix(2048);
  EXPECT_EQ(gameWakeCount() - before, 2u);
  stream->stop();
  mix(44100);
  EXPECT_EQ(gameWakeCount() - before, 2u);
}

// The game thread reads the cursor in its pass and then times its sleep; a frame whose sound
// starts between the two is one it has not seen, so it does not sleep through it: it wakes at
// once, and only once.
TEST_F(SdlMixer, AFrameEnteredAfterTheLastReadWakesAtOnce) {
  fakeNow = 0;
  SoundBuffer* stream = device->createBuffer(kGameFormat, 44100);
  stream->wakeGameEvery(3675);
  stream->play(true);
  fakeNow = 0;
  mix(2048);
  mix(2048);
  fakeNow = playTime(3675) - kMs / 2;
  EXPECT_LT(positionOf(stream), 3675u);
  fakeNow += kMs;
  EXPECT_EQ(stream->timeToNextWakeUs(), 0);
  EXPECT_NEAR(stream->timeToNextWakeUs(), 83333 - 500, 2);
  EXPECT_GE(positionOf(stream), 3675u);
  EXPECT_NEAR(stream->timeToNextWakeUs(), 83333 - 500, 2);
}

// The audio callback takes 1024 samples (2048 bytes, 46.4 ms) a turn, and the play cursor moves
// on between turns as the sound is heard, so the pictures that follow it change on time. Read
// every millisecond while the callbacks come on time, late, not at all for a while, early and in
// a burst: the cursor never goes back and never passes what the callback has taken; the sound of
// every frame starts within 5 ms of the moment the device plays it (a block is played from the
// moment it is taken); and the game thread's timed sleep ends where the cursor enters the next
// frame's sound.
TEST_F(SdlMixer, CursorMovesWithTimeBetweenCallbacks) {
  constexpr uint32_t kBlock = 2048;
  const int64_t period = playTime(kBlock);
  std::vector<int64_t> callbacks;
  for (int i = 0; i < 40; ++i) callbacks.push_back(i * period);
  callbacks.push_back(40 * period + 30 * kMs);  // late
  callbacks.push_back(42 * period + 30 * kMs);  // after a missing one
  for (int i = 43; i < 60; ++i) callbacks.push_back(i * period + 30 * kMs);
  callbacks.push_back(60 * period + 28 * kMs);  // early
  callbacks.push_back(62 * period);             // a pause, then a burst of three
  callbacks.push_back(62 * period + kMs / 2);
  callbacks.push_back(62 * period + kMs);
  for (int i = 65; i < 90; ++i) callbacks.push_back(i * period);

  fakeNow = 0;
  SoundBuffer* stream = device->createBuffer(kGameFormat, 44100);
  stream->wakeGameEvery(3675);
  stream->play(true);
  struct Block {
    int64_t time;
    uint64_t start;
    bool inBurst;
  };
  std::vector<Block> blocks;
  uint64_t taken = 0, heard = 0;
  std::vector<int64_t> seen;       // when the cursor was first seen at each frame's sound
  std::vector<int64_t> predicted;  // where the timed sleep ended, for each frame's sound
  size_t next = 0;
  uint8_t out[kBlock];
  for (int64_t now = 0; now < 90 * period; now += kMs) {
    for (; next < callbacks.size() && callbacks[next] <= now; ++next) {
      fakeNow = callbacks[next];
      bool burst = (next > 0 && callbacks[next] - callbacks[next - 1] < kMs) ||
                   (next + 1 < callbacks.size() && callbacks[next + 1] - callbacks[next] < kMs);
      blocks.push_back({callbacks[next], taken, burst});
      mixSdlSound(device.get(), out, kBlock);
      taken += kBlock;
    }
    fakeNow = now;
    int64_t sleep = stream->timeToNextWakeUs();
    uint32_t position = positionOf(stream);
    // The cursor as a count of bytes heard: the one that lies within a turn of the buffer below
    // what was taken. A cursor that went back or ran ahead would lie below the last one.
    uint64_t count = taken - (taken + 44100 - position) % 44100;
    ASSERT_GE(count, heard) << "at " << now / kMs << " ms";
    ASSERT_LE(count, taken);
    heard = count;
    while (seen.size() < heard / 3675) seen.push_back(now);
    if (sleep > 0) {  // 0: the cursor entered a frame since the last read, a pass runs now
      uint64_t frame = heard / 3675 + 1;
      if (predicted.size() <= frame) predicted.resize(frame + 1, -1);
      predicted[frame] = now + sleep * 1000;
    }
  }
  ASSERT_GT(seen.size(), 40u);
  for (size_t frame = 1; frame < seen.size(); ++frame) {
    uint64_t start = frame * 3675;
    auto block =
        std::prev(std::upper_bound(blocks.begin(), blocks.end(), start,
                                   [](uint64_t b, const Block& x) { return b < x.start; }));
    if (block->inBurst && std::next(block) != blocks.end() && std::next(block)->inBurst) continue;
    int64_t due = block->time + playTime(start - block->start);
    EXPECT_NEAR(seen[frame - 1], due, 5 * kMs) << "frame " << frame;
    if (frame < predicted.size() && predicted[frame] >= 0) {
      EXPECT_NEAR(predicted[frame], seen[frame - 1], kMs) << "frame " << frame;
    }
  }
}

// A sound server's pace wavers: here it takes each block a quarter millisecond late for two
// seconds and then one early to make up for it. The cursor does not jump with the early block:
// every frame's sound starts within 5 ms of 83.3 ms after the one before, and never more than
// 20 ms after the device plays it.
TEST_F(SdlMixer, CursorKeepsItsPaceWhenTheDeviceTakesABlockEarly) {
  constexpr uint32_t kBlock = 2048;
  const int64_t period = playTime(kBlock);
  std::vector<int64_t> callbacks;
  int64_t when = 0;
  for (int i = 0; i < 200; ++i) {
    callbacks.push_back(when);
    when += i % 43 == 42 ? period - 42 * kMs / 4 : period + kMs / 4;
  }
  fakeNow = 0;
  SoundBuffer* stream = device->createBuffer(kGameFormat, 44100);
  stream->wakeGameEvery(3675);
  stream->play(true);
  std::vector<int64_t> predicted;  // where the timed sleep ended, for each frame's sound
  std::vector<int64_t> due;   // when each frame's sound is played, a block from when it is taken
  std::vector<int64_t> seen;  // when the cursor entered it
  uint64_t total = 0, heard = 0;
  size_t next = 0;
  uint8_t out[kBlock];
  for (int64_t now = 0; now < callbacks.back(); now += kMs / 10) {
    for (; next < callbacks.size() && callbacks[next] <= now; ++next) {
      fakeNow = callbacks[next];
      mixSdlSound(device.get(), out, kBlock);
      for (uint64_t start = due.size() * 3675; start < total + kBlock; start += 3675)
        due.push_back(callbacks[next] + playTime(start - total));
      total += kBlock;
    }
    fakeNow = now;
    int64_t sleep = stream->timeToNextWakeUs();
    uint32_t position = positionOf(stream);
    heard = std::max(heard, total - (total + 44100 - position) % 44100);
    while (seen.size() < heard / 3675) seen.push_back(now);
    uint64_t frame = heard / 3675 + 1;
    if (predicted.size() <= frame) predicted.resize(frame + 1, -1);
    if (sleep > 0) predicted[frame] = now + sleep * 1000;
  }
  ASSERT_GT(seen.size(), 100u);
  for (size_t frame = 2; frame < seen.size(); ++frame) {
    EXPECT_NEAR(seen[frame] - seen[frame - 1], 83333333, 5 * kMs) << "frame " << frame;
    EXPECT_LE(seen[frame - 1] - due[frame], 20 * kMs) << "frame " << frame;
    EXPECT_NEAR(predicted[frame], seen[frame - 1], kMs / 10) << "frame " << frame;
  }
}
