// The game as the player sees it on the real sound device: every picture comes when its sound
// starts, and a key gets the verdict of the picture on screen.
#include "device_clock_support.h"

namespace {

const double kFrameTime = 1000.0 / 12 * kMs;

// seq01: the window of row 0 shows pictures 40 to 51 (its verdict falls with 52 on screen), left
// is its correct move. Row 1 is the end row.
class PictureTiming : public DeviceClockTest {
 protected:
  void SetUp() override {
    DeviceClockTest::SetUp();
    addSeq01({"40 d1 d1 d1 00 d1 d1"});
    startNewGame();
  }
};

}  // namespace

INSTANTIATE_TEST_SUITE_P(Sound, PictureTiming, ::testing::Values(true));

// Every frame is shown once, in order, from the moment its sound starts until the next one's:
// a frame lasts 83.3 ms, not 93 or 46 as the callback's blocks would make it.
TEST_P(PictureTiming, EveryFrameIsShownOnceWhenItsSoundStarts) {
  pressAt = {{45 * 83 * kMs, kKeyLeft}};  // the window's move: the scene plays on
  play(10000);
  ASSERT_EQ(clip(), "seq01.avi");
  int32_t last = 0;
  for (const TimedDraw& draw : draws) {
    // The open shows frame 0, and the first pass draws it again at the same moment.
    if (draw.frame == 0 && draw.time == playStart) continue;
    EXPECT_EQ(draw.frame, last + 1) << "at " << draw.time / kMs << " ms";
    last = draw.frame;
  }
  ASSERT_GE(last, 100);
  for (int32_t frame = 1; frame <= last; ++frame) {
    double due = playStart + frame * kFrameTime;
    EXPECT_NEAR(shownAt(frame), due, 5 * kMs) << "frame " << frame;
  }
}

// The verdict follows the picture on screen when the key is pressed: on the window's first and
// last pictures (40 and 51) the move is judged and passes; on the picture before it (39) it is
// judged as no move of the window, and with the verdict's picture (52) on screen it is too late.
TEST_P(PictureTiming, AKeyGetsTheVerdictOfThePictureShown) {
  play(6000);
  int64_t firstOfWindow = shownAt(40), verdictPicture = shownAt(52);
  struct Press {
    int64_t at;
    bool passes;
  };
  for (Press press : {Press{firstOfWindow - kMs, false}, Press{firstOfWindow, true},
                      Press{verdictPicture - kMs, true}, Press{verdictPicture, false}}) {
    TearDown();
    SetUp();
    pressAt = {{press.at, kKeyLeft}};
    play(6000);
    EXPECT_EQ(sawEvent("verdict 0 101"), press.passes) << "pressed at " << press.at / kMs << " ms";
    EXPECT_EQ(opened("seq01d1.avi 0"), !press.passes);
  }
}
