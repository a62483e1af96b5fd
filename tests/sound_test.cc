#include <algorithm>
#include <cstring>

#include "avi_test_support.h"
#include "media/media.h"
#include "test_support.h"

namespace {

// An open AVI file with a sound track and no pictures.
struct FakeSoundFile : MediaFile {
  WaveFormat format;
  std::vector<uint8_t> sound;
  bool formatReadable = true;
  bool failReads = false;
  int audioReads = 0;

  int32_t frameCount() override { return 0; }
  bool hasVideo() override { return false; }
  bool hasAudio() override { return true; }
  bool readVideoFormat(uint8_t*, int32_t, int32_t* size) override {
    *size = 0;
    return false;
  }
  bool readAudioFormat(WaveFormat* out) override {
    if (formatReadable) *out = format;
    return formatReadable;
  }
  bool readVideoFrame(int32_t, uint8_t*, int32_t, int32_t* bytesRead) override {
    *bytesRead = 0;
    return false;
  }
  bool readAudio(int32_t firstSample, int32_t sampleCount, uint8_t* buffer, int32_t bufferSize,
                 int32_t* bytesRead) override {
    ++audioReads;
    *bytesRead = 0;
    int64_t start = int64_t{firstSample} * kBytesPerSample;
    if (failReads || start >= int64_t(sound.size())) return false;
    int64_t count = std::min<int64_t>(
        {int64_t{sampleCount} * kBytesPerSample, bufferSize, int64_t(sound.size()) - start});
    std::memcpy(buffer, sound.data() + start, count);
    *bytesRead = static_cast<int32_t>(count);
    return true;
  }
};

VirtualSoundDevice* testDevice = nullptr;
SoundDevice* createTestDevice() {
  return testDevice;
}

class SoundTest : public HeadlessTest {
 protected:
  void SetUp() override {
    HeadlessTest::SetUp();
    clearSoundState();
    device = new VirtualSoundDevice;
    testDevice = device;
    platform.createSoundDevice = createTestDevice;
    std::string track = patternBytes(60000, 1);  // every byte differs from its neighbours
    demo.sound.assign(track.begin(), track.end());
    playback.aviFile = &demo;
  }
  void TearDown() override {
    clearSoundState();
    delete device;
    testDevice = nullptr;
    restoreResources();
    HeadlessTest::TearDown();
  }
  static void clearSoundState() {
    playback.soundDevice = nullptr;
    playback.streamBuffer = playback.goodBeep = playback.badBeep = nullptr;
    playback.aviFile = nullptr;
    playback.chunkClock = playback.soundReadPos = 0;
    for (bool& filled : playback.chunkFilled) filled = false;
  }
  static VirtualSoundBuffer* virtualBuffer(SoundBuffer* buffer) {
    return static_cast<VirtualSoundBuffer*>(buffer);
  }
  void expectRefillStateAsAfterAFullPreload() {
    EXPECT_EQ(playback.chunkClock, 6);
    EXPECT_EQ(playback.soundReadPos, 44100);
    for (uint8_t flag : playback.chunkFilled) EXPECT_EQ(flag, 1);
  }

  VirtualSoundDevice* device = nullptr;
  FakeSoundFile demo;
};

}  // namespace

TEST_F(SoundTest, BeepsAreMadeFromTheProgramsWaveResources) {
  initSound();
  ASSERT_EQ(playback.soundDevice, device);
  ASSERT_NE(playback.goodBeep, nullptr);
  ASSERT_NE(playback.badBeep, nullptr);
  VirtualSoundBuffer* good = virtualBuffer(playback.goodBeep);
  VirtualSoundBuffer* bad = virtualBuffer(playback.badBeep);
  EXPECT_EQ(good->bytes.size(), 5186u);
  EXPECT_EQ(bad->bytes.size(), 8428u);
  for (VirtualSoundBuffer* beep : {good, bad}) {
    EXPECT_EQ(formatText(beep->format), "1 2 22050 44100 2 8");
    EXPECT_FALSE(beep->playing);
    EXPECT_EQ(beep->openLocks, 0);
  }
  // The buffers hold the "data" chunks of the resources.
  const uint8_t* data = nullptr;
  uint32_t size = 0;
  ASSERT_TRUE(loadWaveResource("GBEEP", nullptr, &data, &size));
  EXPECT_TRUE(std::equal(good->bytes.begin(), good->bytes.end(), data));
  EXPECT_FALSE(std::equal(bad->bytes.begin(), bad->bytes.begin() + 5186, good->bytes.begin()));
}

TEST_F(SoundTest, ShortFormatChunkSilencesOnlyThatBeep) {
  const uint8_t* image = nullptr;
  size_t size = 0;
  ASSERT_TRUE(findResource("GBEEP", &image, &size));
  std::vector<uint8_t> damaged(image, image + size);
  damaged[16] = 12;  // the "fmt " chunk claims 12 bytes
  replaceResource("GBEEP", damaged.data(), damaged.size());
  initSound();
  EXPECT_EQ(playback.goodBeep, nullptr);
  EXPECT_NE(playback.badBeep, nullptr);
  EXPECT_EQ(device->buffers.size(), 1u);  // no buffer was made for the damaged one
}

TEST_F(SoundTest, MissingResourceLeavesNoBeep) {
  replaceResource("BBEEP", nullptr, 0);
  initSound();
  EXPECT_NE(playback.goodBeep, nullptr);
  EXPECT_EQ(playback.badBeep, nullptr);
}

// No beep without a device, or when the device makes no buffer or one that cannot be filled (that
// one is released).
TEST_F(SoundTest, FailingDeviceOrFillLeavesNoBeepBehind) {
  VirtualSoundDevice other;
  other.failCreateBuffer = true;
  EXPECT_EQ(createEffectBuffer(&other, "GBEEP"), nullptr);
  EXPECT_EQ(createEffectBuffer(nullptr, "GBEEP"), nullptr);
  struct LocklessDevice : VirtualSoundDevice {
    SoundBuffer* createBuffer(const WaveFormat& format, uint32_t bytes) override {
      auto* buffer =
          static_cast<VirtualSoundBuffer*>(VirtualSoundDevice::createBuffer(format, bytes));
      buffer->failLock = true;
      return buffer;
    }
  } lockless;
  EXPECT_EQ(createEffectBuffer(&lockless, "GBEEP"), nullptr);
  ASSERT_EQ(lockless.buffers.size(), 1u);
  EXPECT_TRUE(lockless.buffers[0]->released);
}

TEST_F(SoundTest, NoSoundDeviceMeansNoBuffersButTheRefillStateIsSet) {
  platform.createSoundDevice = nullptr;
  initSound();
  initStreamBuffer();
  EXPECT_EQ(playback.soundDevice, nullptr);
  EXPECT_EQ(playback.goodBeep, nullptr);
  EXPECT_EQ(playback.badBeep, nullptr);
  EXPECT_EQ(playback.streamBuffer, nullptr);
  EXPECT_EQ(demo.audioReads, 0);
  expectRefillStateAsAfterAFullPreload();

  testDevice = nullptr;  // a creator that finds no device
  platform.createSoundDevice = createTestDevice;
  initSound();
  EXPECT_EQ(playback.soundDevice, nullptr);
}

TEST_F(SoundTest, StreamBufferTakesTheDemosFormatWithEightBitsAndIsMadeOnlyOnce) {
  demo.format = {1, 2, 22050, 88200, 4, 16};
  initSound();
  initStreamBuffer();
  ASSERT_NE(playback.streamBuffer, nullptr);
  VirtualSoundBuffer* stream = virtualBuffer(playback.streamBuffer);
  EXPECT_EQ(stream->bytes.size(), 44100u);
  EXPECT_EQ(formatText(stream->format), "1 2 22050 88200 4 8");  // 8 bits, whatever the demo says
  initStreamBuffer();
  EXPECT_EQ(playback.streamBuffer, stream);
  EXPECT_EQ(device->buffers.size(), 3u);  // two beeps and one stream
}

// Filled and placed at the start at nearly full volume, but not started: the sound that could
// be read, silence after it.
TEST_F(SoundTest, PreloadHoldsWhatCouldBeReadOfTheDemosFirstSecond) {
  struct Case {
    size_t soundBytes;
    bool failReads;
    size_t preloaded;
  } cases[] = {{60000, false, 44100}, {1000, false, 1000}, {60000, true, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.soundBytes) + (c.failReads ? " bytes, unreadable" : " bytes"));
    clearSoundState();
    delete device;
    testDevice = device = new VirtualSoundDevice;
    demo.sound.resize(c.soundBytes);
    playback.aviFile = &demo;
    demo.failReads = c.failReads;
    initSound();
    device->clearEvents();
    initStreamBuffer();
    ASSERT_NE(playback.streamBuffer, nullptr);
    std::vector<uint8_t> expected(demo.sound.begin(), demo.sound.begin() + c.preloaded);
    expected.resize(kStreamBufferBytes, kSilence);
    EXPECT_EQ(virtualBuffer(playback.streamBuffer)->bytes, expected);
    EXPECT_EQ(device->eventsSeen(),
              (std::vector<std::string>{"create 3 44100", "lock 3 0 44100", "unlock 3",
                                        "position 3 0", "volume 3 -1"}));
    EXPECT_FALSE(virtualBuffer(playback.streamBuffer)->playing);
    expectRefillStateAsAfterAFullPreload();
  }
}

TEST_F(SoundTest, FailingStreamBufferLeavesTheBeepsWorking) {
  initSound();
  device->failCreateBuffer = true;
  initStreamBuffer();
  EXPECT_EQ(playback.streamBuffer, nullptr);
  EXPECT_NE(playback.goodBeep, nullptr);
  EXPECT_TRUE(playback.goodBeep->play(false));
  expectRefillStateAsAfterAFullPreload();
}

TEST(FillSoundBuffer, CopiesIntoBothRegionsAndRefusesNothingToCopy) {
  VirtualSoundDevice device;
  SoundBuffer* buffer = device.createBuffer(WaveFormat{}, 8);
  uint8_t bytes[8] = {1, 2, 3, 4, 5, 6, 7, 8};
  EXPECT_FALSE(fillSoundBuffer(nullptr, bytes, 8));
  EXPECT_FALSE(fillSoundBuffer(buffer, nullptr, 8));
  EXPECT_FALSE(fillSoundBuffer(buffer, bytes, 0));
  EXPECT_FALSE(fillSoundBuffer(buffer, bytes, 9));  // more than the buffer holds: the lock fails
  EXPECT_TRUE(fillSoundBuffer(buffer, bytes, 8));
  auto* virtualBuffer = static_cast<VirtualSoundBuffer*>(buffer);
  EXPECT_EQ(virtualBuffer->bytes, std::vector<uint8_t>(bytes, bytes + 8));
  EXPECT_EQ(virtualBuffer->openLocks, 0);
}
