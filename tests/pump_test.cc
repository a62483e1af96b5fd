// The sequence loader and the playback pump, frame by frame against the virtual sound card and
// virtual timers.
#include <cstring>
#include <memory>

#include "avi_test_support.h"
#include "media/media.h"
#include "test_support.h"

class PumpTest : public HeadlessTest {
 protected:
  void SetUp() override {
    HeadlessTest::SetUp();
    platform.media = &media;
    platform.timers = &timers;
    platform.drawer = &drawer;
    media.addClip("clip.avi", 400);
    media.addClip("short.avi", 8);
    playback.lastFilledChunk = -1;
  }
  void TearDown() override {
    if (playback.aviFile) media.release(playback.aviFile);
    playback.aviFile = nullptr;
    playback.streamBuffer = nullptr;
    HeadlessTest::TearDown();
  }

  VirtualSoundBuffer* useSound() {
    playback.streamBuffer = sound.createBuffer(WaveFormat{}, kStreamBufferBytes);
    return static_cast<VirtualSoundBuffer*>(playback.streamBuffer);
  }
  // An AVI file in the current directory, read by our own reader: its frames name their
  // numbers as virtual frames do, and its sound track, soundFrames frames of it, comes one
  // chunk per frame. Clips are then opened from the current directory.
  void writeAviClip(const char* name, int32_t frames, int32_t soundFrames) {
    HandAvi layout;
    for (int32_t n = 0; n < frames; ++n) {
      std::string tag = "VFRM";
      tag.append(reinterpret_cast<const char*>(&n), sizeof n);
      layout.frames.push_back(tag);
    }
    for (int32_t n = 0; n < soundFrames; ++n)
      layout.sound.push_back(std::string(kSoundBytesPerFrame, char(n)));
    current.write(name, buildHandAvi(layout));
    platform.media = aviMediaLibrary();
  }
  void setCursor(uint32_t bytes) { playback.streamBuffer->setCurrentPosition(bytes); }
  int32_t lastDrawn() { return drawer.framesDrawn().back(); }
  int32_t slotFrame(int slot) {
    return virtualFrameNumber(playback.frameCache[slot], playback.slotBytes[slot]);
  }
  // Plays the clip a tenth of a frame at a time, on the sound card and the frame timer alike,
  // until it ends: the passes that took, or 0 when it does not end.
  int passesToTheEnd() {
    for (int passes = 1; passes <= 200000; ++passes) {
      sound.advance(367 + passes % 2);
      if (passes % 10 == 0) timers.advance(kFrameTimerMs);
      runMediaSteps();
      if (playback.sequenceEnded) return passes;
    }
    return 0;
  }
  // The sound byte the virtual clip holds at track position p.
  static uint8_t trackByte(int64_t p) { return static_cast<uint8_t>(p % 251); }

  VirtualMediaLibrary media;
  HeadlessTimers timers;
  HeadlessDrawer drawer;
  VirtualSoundDevice sound;
};

// Opening at frame 0 preloads one second of sound and shows the first frame; then the table of
// the worked example: play cursor, clock, frame drawn, slot reload, refill.
TEST_F(PumpTest, WorkedExampleSoundModeFromFrameZero) {
  VirtualSoundBuffer* buffer = useSound();
  openSequence("clip.avi", 0);
  EXPECT_EQ(playback.chunkClock, 6);
  EXPECT_EQ(playback.soundReadPos, 44100);
  for (int i = 0; i < kCacheSlots; ++i) EXPECT_EQ(slotFrame(i), i);
  EXPECT_EQ(drawer.framesDrawn(), std::vector<int32_t>{0});
  EXPECT_TRUE(buffer->playing && buffer->looping);
  EXPECT_EQ(buffer->bytes[0], trackByte(0));
  EXPECT_EQ(buffer->bytes[44099], trackByte(44099));
  EXPECT_EQ(playback.sequenceLength, 400);
  EXPECT_STREQ(playback.openClipName, "clip.avi");
  EXPECT_EQ(playback.frameTimerId, 0u);
  drawer.clear();

  setCursor(0);
  runMediaSteps();
  EXPECT_EQ(playback.clockFrame, 12);
  EXPECT_EQ(lastDrawn(), 0);  // frame 0 a second time
  EXPECT_EQ(slotFrame(0), 12);
  EXPECT_EQ(playback.chunkClock, 6);  // nothing refilled

  setCursor(3675);
  runMediaSteps();
  EXPECT_EQ(playback.clockFrame, 13);
  EXPECT_EQ(lastDrawn(), 1);
  EXPECT_EQ(slotFrame(1), 13);

  setCursor(7350);  // first poll in chunk 1: 12 is below 13, so 14
  runMediaSteps();
  EXPECT_EQ(playback.currentFrame, 14);
  EXPECT_EQ(lastDrawn(), 2);
  EXPECT_EQ(slotFrame(2), 14);
  EXPECT_EQ(playback.chunkClock, 7);  // chunk 0 refilled with samples 22050 to 25724
  EXPECT_EQ(playback.soundReadPos, 51450);
  EXPECT_EQ(playback.lastFilledChunk, 0);
  EXPECT_EQ(buffer->bytes[0], trackByte(44100));
  EXPECT_EQ(buffer->bytes[7349], trackByte(51449));

  for (uint32_t at : {7351u, 9000u, 11024u}) {
    setCursor(at);
    runMediaSteps();
    EXPECT_EQ(playback.clockFrame, 14) << at;
    EXPECT_EQ(drawer.framesDrawn().size(), 3u) << at;
  }

  setCursor(11025);
  runMediaSteps();
  EXPECT_EQ(playback.clockFrame, 15);
  EXPECT_EQ(lastDrawn(), 3);
  EXPECT_EQ(slotFrame(3), 15);
  EXPECT_EQ(playback.chunkClock, 7);
}

// The clip opened before has drawn a few frames; the open starts the cache again from slot 0.
TEST_F(PumpTest, OpenAtFrameSevenAndTheOddStartFrame) {
  VirtualSoundBuffer* buffer = useSound();
  openSequence("clip.avi", 0);
  for (uint32_t at : {0u, 3675u, 7350u}) {
    setCursor(at);
    runMediaSteps();
  }
  drawer.clear();
  openSequence("clip.avi", 7);
  EXPECT_EQ(drawer.framesDrawn(), std::vector<int32_t>{7});
  for (int i = 0; i < kCacheSlots; ++i) EXPECT_EQ(slotFrame(i), 7 + i);
  EXPECT_EQ(playback.chunkClock, 9);
  EXPECT_EQ(buffer->bytes[0], trackByte(12862 * 2));  // (7 * 3675) / 2 samples in
  EXPECT_EQ(playback.soundReadPos, 7 * 3675 + 44100);

  // The first pump draw comes at clock a + 11 and reloads slot 0 with the frame slot 11 holds.
  drawer.clear();
  setCursor(0);
  runMediaSteps();
  EXPECT_EQ(playback.clockFrame, 18);
  EXPECT_EQ(lastDrawn(), 7);
  EXPECT_EQ(slotFrame(0), 18);
  EXPECT_EQ(slotFrame(11), 18);
}

TEST_F(PumpTest, OnlyTheChunkJustLeftIsRefilledOnceTheCursorWasInIt) {
  useSound();
  openSequence("clip.avi", 0);
  // The cursor jumps into chunk 2 without being seen in chunk 1: chunk 1 is still marked full.
  setCursor(14700);
  runMediaSteps();
  EXPECT_EQ(playback.chunkClock, 6);
  // Chunk 0 was never seen either; chunk 5 is full from the preload.
  setCursor(0);
  runMediaSteps();
  EXPECT_EQ(playback.chunkClock, 6);
  setCursor(7350);  // left chunk 0, seen at the poll before: refilled
  runMediaSteps();
  EXPECT_EQ(playback.chunkClock, 7);
  EXPECT_EQ(playback.lastFilledChunk, 0);
  runMediaSteps();  // never twice
  EXPECT_EQ(playback.chunkClock, 7);
}

TEST_F(PumpTest, EndOfFileInSoundModeDrawsDownTheCache) {
  VirtualSoundBuffer* buffer = useSound();
  openSequence("clip.avi", 0);
  drawer.clear();
  ASSERT_GT(passesToTheEnd(), 0);
  std::vector<int32_t> drawn = drawer.framesDrawn();
  // Every frame up to the last but one was shown, in order; the last slot reloaded is not.
  ASSERT_GE(drawn.size(), 399u);
  for (size_t i = 1; i < drawn.size(); ++i) EXPECT_EQ(drawn[i], drawn[i - 1] + 1) << i;
  EXPECT_EQ(drawn.back(), 398);
  EXPECT_LE(playback.currentFrame, 400 + 2);
  // The draw-down ended the file before the cursor reached the last chunk: still playing.
  EXPECT_TRUE(buffer->playing);
  EXPECT_EQ(buffer->openLocks, 0);
}

TEST_F(PumpTest, EndOfFileInTimerModeAndTheFrameTimer) {
  openSequence("clip.avi", 3);
  ASSERT_NE(playback.frameTimerId, 0u);
  EXPECT_TRUE(drawer.framesDrawn().empty());  // nothing drawn, nothing waited for
  openSequence("clip.avi", 0);
  EXPECT_EQ(timers.pending().size(), 1u);  // two opens leave one timer

  // The first twelve draws show frames 0 to 11 while the clock runs 1 to 12, then the reloads.
  for (int tick = 1; tick <= 13; ++tick) {
    timers.advance(83);
    runMediaSteps();
    EXPECT_EQ(playback.currentFrame, tick);
    EXPECT_EQ(lastDrawn(), tick <= 12 ? tick - 1 : 1) << tick;
  }
  // Focus lost: the timer does not count.
  playback.focusLost = 1;
  timers.advance(830);
  runMediaSteps();
  EXPECT_EQ(playback.currentFrame, 13);
  playback.focusLost = 0;

  ASSERT_GT(passesToTheEnd(), 0);
  EXPECT_EQ(playback.currentFrame, 400);
  EXPECT_EQ(lastDrawn(), 399 - 12);
}

TEST_F(PumpTest, ShortFilesKeepThePreviousFramesAndStillEnd) {
  useSound();
  openSequence("clip.avi", 100);
  openSequence("short.avi", 0);
  for (int i = 0; i < 8; ++i) EXPECT_EQ(slotFrame(i), i);
  for (int i = 8; i < kCacheSlots; ++i) EXPECT_EQ(slotFrame(i), 100 + i);
  // Its whole sound fits in the preload, in chunks 0 to 3, two frames each: the clip ends as the
  // play cursor enters chunk 3, the last that holds its sound, at byte 22050 (60 passes of a
  // tenth of a frame).
  EXPECT_EQ(passesToTheEnd(), 60);
}

TEST_F(PumpTest, SoundStreamWithoutSoundPlaysOnTheFrameTimer) {
  writeAviClip("nosound.avi", 3, 0);
  keepAsFuzzSeed("avi_file", "sound_stream_empty.avi", current.read("nosound.avi"));
  useSound();
  openSequence("nosound.avi", 0);
  EXPECT_FALSE(playback.soundClock);
  EXPECT_NE(playback.frameTimerId, 0u);
  EXPECT_GT(passesToTheEnd(), 0);
  EXPECT_EQ(playback.currentFrame, 3);

  // Nor is there sound when the track ends before the start frame.
  writeAviClip("short.avi", 60, 20);
  openSequence("short.avi", 30);
  EXPECT_NE(playback.frameTimerId, 0u);
  EXPECT_GT(passesToTheEnd(), 0);
  EXPECT_EQ(playback.currentFrame, 60);
}

TEST_F(PumpTest, SoundThatEndsBeforeThePicturesGoesOnInSilence) {
  writeAviClip("short.avi", 60, 20);
  VirtualSoundBuffer* buffer = useSound();
  openSequence("short.avi", 0);
  ASSERT_TRUE(playback.soundClock);
  drawer.clear();
  bool silenceAfterTheTrack = false;
  while (!playback.sequenceEnded && playback.currentFrame < 200) {
    sound.advance(367);
    runMediaSteps();
    // The seventh refill, into chunk 0, is of frames 24 and 25, after the track's end.
    if (playback.soundReadPos == 26 * kSoundBytesPerFrame)
      silenceAfterTheTrack = buffer->bytes[0] == 128 && buffer->bytes[kChunkBytes - 1] == 128;
  }
  ASSERT_TRUE(playback.sequenceEnded);
  EXPECT_TRUE(silenceAfterTheTrack);
  std::vector<int32_t> drawn = drawer.framesDrawn();
  ASSERT_FALSE(drawn.empty());
  for (size_t i = 1; i < drawn.size(); ++i) EXPECT_EQ(drawn[i], drawn[i - 1] + 1) << i;
  EXPECT_EQ(drawn.back(), 58);

  // A track that outlasts the pictures still ends the clip with its sound.
  writeAviClip("long.avi", 20, 40);
  openSequence("long.avi", 0);
  EXPECT_GT(passesToTheEnd(), 0);
  EXPECT_GE(playback.soundReadPos, 40 * kSoundBytesPerFrame);
}

TEST_F(PumpTest, ClipsEndWithinTheFramesAClipCanHave) {
  useSound();
  media.addClip("endless.avi", 1 << 30);
  openSequence("endless.avi", kMostClipFrames + 100);
  EXPECT_EQ(playback.sequenceLength, kMostClipFrames);
  EXPECT_EQ(playback.currentFrame, kMostClipFrames);
  EXPECT_GT(passesToTheEnd(), 0);

  // From a little before the end, the sound runs out there, and the clip ends.
  openSequence("endless.avi", kMostClipFrames - 100);
  EXPECT_GT(passesToTheEnd(), 0);
  EXPECT_LE(playback.soundReadPos, kMostClipFrames * kSoundBytesPerFrame + kChunkBytes);
  EXPECT_LE(playback.currentFrame, kMostClipFrames + kCacheSlots);
}

TEST_F(PumpTest, CheckpointsMoveTheRestartPointOnePerStep) {
  current.write("seq01.txt",
                "230 d1 00 d1 d1 d1 d1\n270 d1 00 d1 d1 d1 d1\n290 d1 00 d1 d1 d1 d1\n");
  loadMoveFile("seq01.txt", "seq01");
  current.write("seq01.hot", "0\n250\n300\n9999\n");
  loadHotspotFile("seq01.hot");
  openSequence("clip.avi", 0);
  playback.clockFrame = 249;
  EXPECT_TRUE(pollClock().clockRead);
  EXPECT_EQ(game.hotspotIndex, 0);
  playback.clockFrame = 300;  // jumped past 250, and at 300: a checkpoint is passed at its frame
  checkpointStep();
  EXPECT_EQ(game.hotspotIndex, 1);
  EXPECT_EQ(game.resumeMoveIndex, 1);  // first row beyond frame 250 (row 1 is at 282)
  checkpointStep();
  EXPECT_EQ(game.hotspotIndex, 2);
  EXPECT_EQ(game.resumeMoveIndex, 2);
  playback.clockFrame = 9998;
  checkpointStep();
  EXPECT_EQ(game.hotspotIndex, 2);  // 9999 not reached

  // Not while the demo runs; and never past the table's last entry.
  game.demoActive = true;
  playback.clockFrame = 20000;
  checkpointStep();
  EXPECT_EQ(game.hotspotIndex, 2);
  game.demoActive = false;
  for (int i = 0; i < 200; ++i) checkpointStep();
  EXPECT_EQ(game.hotspotIndex, kHotspotEntries - 1);
  EXPECT_LT(game.resumeMoveIndex, kMoveRows);
}

// Pictures reach the window as the file stores them, rows the right way up; a dropped frame (a
// chunk stored empty) draws nothing, and the picture before it stays. (Uncompressed pictures
// smaller than the window, so that they fit a cache slot: a white box on black, stretched.)
TEST_F(PumpTest, PicturesReachTheWindowAndADroppedFrameLeavesThePictureBeforeIt) {
  HandAvi layout;
  layout.audio = false;
  layout.videoFormat = bitmapFormat(160, 120, 8, 0, 256);  // colour 255 is white
  std::string box(160 * 120, '\0');
  for (int y = 20; y < 60; ++y) box.replace(size_t(119 - y) * 160 + 30, 60, 60, '\xFF');
  for (int n = 0; n < 30; ++n)
    layout.frames.push_back(n == 13 ? "" : n % 2 ? std::string(box.size(), '\0') : box);
  current.write("dropped.avi", buildHandAvi(layout));
  std::unique_ptr<FrameDrawer> decoder(makeDecodingFrameDrawer());
  platform.drawer = decoder.get();
  platform.media = aviMediaLibrary();
  openSequence("dropped.avi", 0);
  // Frame n is read at tick n and drawn twelve ticks later.
  std::vector<uint32_t> shown[26];
  for (int tick = 1; tick <= 25; ++tick) {
    timers.advance(kFrameTimerMs);
    runMediaSteps();
    shown[tick] = window.lastPicture;
  }
  ASSERT_EQ(shown[24].size(), size_t(kPictureWidth) * kPictureHeight);  // frame 12
  EXPECT_EQ(shown[24][80 * kPictureWidth + 120], 0xFFFFFFu);            // in the box
  EXPECT_EQ(shown[24][200 * kPictureWidth + 300], 0u);                  // outside
  EXPECT_EQ(shown[24][10 * kPictureWidth + 120], 0u);                   // above it
  EXPECT_TRUE(shown[23] != shown[24]);
  EXPECT_TRUE(shown[24] == shown[25]);  // frame 13 is dropped
  closeSequence();
}

TEST_F(PumpTest, RefillThatCannotLockIsTriedAtTheNextPass) {
  VirtualSoundBuffer* buffer = useSound();
  openSequence("clip.avi", 0);
  setCursor(0);
  runMediaSteps();
  buffer->failLock = true;
  setCursor(7350);
  runMediaSteps();
  EXPECT_EQ(playback.chunkClock, 6);
  buffer->failLock = false;
  runMediaSteps();
  EXPECT_EQ(playback.chunkClock, 7);
  EXPECT_EQ(buffer->openLocks, 0);
  EXPECT_EQ(buffer->bytes[0], trackByte(44100));
  EXPECT_EQ(buffer->bytes[7349], trackByte(44100 + 7349));

  // Nor does a play position that cannot be read move anything.
  buffer->failGetPosition = true;
  setCursor(14700);
  EXPECT_FALSE(pollClock().clockRead);
  runMediaSteps();
  EXPECT_EQ(playback.currentFrame, 14);
  EXPECT_EQ(playback.chunkClock, 7);
}
