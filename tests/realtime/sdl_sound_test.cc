// The SDL2 sound device in real time on SDL's dummy audio driver: its callback moves the play
// cursors while the game locks and refills, and the pump keeps the picture in step with it. (How
// the mixer moves them is tested deterministically in sound_devices_test.cc.)
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <thread>

#include "eventually.h"
#include "game/game.h"
#include "media/media.h"
#include "platform/platform.h"

namespace {

const WaveFormat kGameFormat;

// Counts the frames drawn; the pump draws them in order, so the count names the frame shown.
struct CountingDrawer : FrameDrawer {
  void drawFrame(const uint8_t*, int32_t, const uint8_t*, int32_t) override { ++draws; }
  int draws = 0;
};

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

// A clip written by our AVI writer, played by the real pump in real time: the picture keeps in
// step with the sound to the end.
TEST_F(SdlSound, PictureAndSoundStayInStepToTheEnd) {
  constexpr int kFrames = 48;  // four seconds
  std::filesystem::path dir = std::filesystem::temp_directory_path() / "qvk-playback";
  std::filesystem::create_directories(dir);
  AviClip clip;
  for (int i = 0; i < 256; ++i) clip.palette[i] = static_cast<uint32_t>(i * 0x010101);
  for (int f = 0; f < kFrames; ++f)
    clip.frames.emplace_back(kPictureWidth * kPictureHeight, static_cast<uint8_t>(f));
  clip.sound.resize(kFrames * kSoundBytesPerFrame);
  for (size_t i = 0; i < clip.sound.size(); ++i) clip.sound[i] = static_cast<uint8_t>(128 + i % 7);
  ASSERT_TRUE(writeAviFile((dir / "clip.avi").c_str(), clip));

  CountingDrawer drawer;
  platform = Platform{};
  platform.directories.current = dir.string();
  platform.media = aviMediaLibrary();
  platform.drawer = &drawer;
  platform.realTimeWaits = true;
  playback.streamBuffer = device->createBuffer(WaveFormat{}, kStreamBufferBytes);
  ASSERT_NE(playback.streamBuffer, nullptr);

  openSequence("clip.avi", 0);
  ASSERT_TRUE(playback.soundClock);
  auto start = std::chrono::steady_clock::now();
  int worstStep = 0;
  while (!playback.sequenceEnded &&
         std::chrono::steady_clock::now() - start < std::chrono::seconds(10)) {
    runMediaSteps();
    // While the clock runs, the frame on screen is the one whose sound plays: the sound at the
    // play cursor belongs to clockFrame - 12, the last drawn frame is draws - 2 (frame 0 was
    // drawn twice).
    if (!playback.drawDown && playback.soundStage == SoundStage::kPlaying && drawer.draws > 1) {
      int shown = drawer.draws - 2;
      int heard = playback.clockFrame - kCacheSlots;
      worstStep = std::max(worstStep, std::abs(shown - heard));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  playback.streamBuffer->stop();
  if (playback.aviFile) platform.media->release(playback.aviFile);
  playback.aviFile = nullptr;
  playback.streamBuffer = nullptr;
  platform = Platform{};
  std::filesystem::remove_all(dir);

  EXPECT_TRUE(playback.sequenceEnded);
  // The clock may run a frame ahead for a pass after each chunk boundary (the +2 rule), and the
  // picture follows within a pass: never more than two frames, a sixth of a second.
  EXPECT_LE(worstStep, 2);
  // Every frame but the last was shown (frame 0 twice): picture and sound ended together.
  EXPECT_EQ(drawer.draws, kFrames);
}
