// The game as the player sees it on the real sound device: the SDL device's mixer on a clock of
// the test's, its callback taking 1024 samples every 46.4 ms as SDL's audio thread does, the game
// thread run as the real one runs (a pass when woken or when its timed sleep ends, again at once
// after a pass that moved something), everything read every millisecond.
#include <map>

#include "media/media.h"
#include "platform/game_wake.h"
#include "scenario_support.h"

namespace {

constexpr int64_t kMs = 1000000;
constexpr uint32_t kBlock = 2048;  // the callback's 1024 samples
const int64_t kBlockTime = (int64_t{kBlock} * 1000000000 + 44099) / 44100;
const double kFrameTime = 1000.0 / 12 * kMs;

int64_t now = 0;
int64_t clockOfTheTest() {
  return now;
}
SoundDevice* createMixer() {
  return createSdlMixerDevice(clockOfTheTest);
}

// Each picture drawn, as the frame it shows and when.
struct Draw {
  int32_t frame;
  int64_t time;
};
struct TimedDrawer : FrameDrawer {
  void drawFrame(const uint8_t*, int32_t, const uint8_t* frame, int32_t size) override {
    draws.push_back({virtualFrameNumber(frame, size), now});
  }
  std::vector<Draw> draws;
};

// seq01: 300 frames; the window of row 0 shows pictures 40 to 51 (its verdict falls with 52 on
// screen), left is its correct move. Row 1 is the end row.
class PictureTiming : public ScenarioTest {
 protected:
  void SetUp() override {
    ScenarioTest::SetUp();
    now = nextCallback = sleepEnd = 0;
    seenWakes = gameWakeCount();
    drawer.draws.clear();
    session->createSound = createMixer;
    addScene("seq01", {"40 d1 d1 d1 00 d1 d1"}, {0, 9999}, 300);
    addClip("seq01d1.avi", 24);
    addStandardClips();
    start();
    platform.drawer = &drawer;
    runGameCommand(kCommandNew);
    playStart = now;
  }

  // Runs the program for ms milliseconds of the test's clock; presses key (if any) at pressAt,
  // after the passes of that millisecond.
  void play(int64_t ms, uint32_t key = 0, int64_t pressAt = -1) {
    for (int64_t end = now + ms * kMs; now < end; now += kMs) {
      while (nextCallback <= now) {
        int64_t at = now;
        now = nextCallback;
        uint8_t out[kBlock];
        mixSdlSound(playback.soundDevice, out, kBlock);
        now = at;
        nextCallback += kBlockTime;
      }
      runGameThread();
      if (key != 0 && now == pressAt) {
        press(key);
        runGameThread();
      }
    }
  }

  // The passes the game thread runs now: when it was woken or its sleep has ended, and again at
  // once after a pass that moved something.
  void runGameThread() {
    for (int i = 0; i < 100 && virtualGameThreadRunning() &&
                    (gameWakeCount() != seenWakes || now >= sleepEnd);
         ++i) {
      seenWakes = gameWakeCount();
      bool changed = false;
      runVirtualGamePass(&changed);
      sleepEnd = changed ? now : now + static_cast<int64_t>(gameSleepUs()) * 1000;
    }
  }

  // When the picture of frame was first drawn in the scene.
  int64_t shownAt(int32_t frame) const {
    for (const Draw& draw : drawer.draws)
      if (draw.frame == frame) return draw.time;
    ADD_FAILURE() << "frame " << frame << " was not drawn";
    return -1;
  }

  TimedDrawer drawer;
  int64_t playStart = 0;
  int64_t nextCallback = 0;
  uint64_t seenWakes = 0;
  int64_t sleepEnd = 0;
};

}  // namespace

INSTANTIATE_TEST_SUITE_P(Sound, PictureTiming, ::testing::Values(true));

// Every frame is shown once, in order, from the moment its sound starts until the next one's:
// a frame lasts 83.3 ms, not 93 or 46 as the callback's blocks would make it.
TEST_P(PictureTiming, EveryFrameIsShownOnceWhenItsSoundStarts) {
  play(10000, kKeyLeft, 45 * 83 * kMs);  // the window's move: the scene plays on
  ASSERT_EQ(clip(), "seq01.avi");
  std::map<int32_t, int> times;
  int32_t last = 0;
  for (const Draw& draw : drawer.draws) {
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
    play(6000, kKeyLeft, press.at - press.at % kMs);
    EXPECT_EQ(sawEvent("verdict 0 101"), press.passes) << "pressed at " << press.at / kMs << " ms";
    EXPECT_EQ(opened("seq01d1.avi 0"), !press.passes);
  }
}
