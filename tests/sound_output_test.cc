// The sound output: the system's output while there is one, the output's own clock in silence
// while there is none, and the game the same either way.
#include "device_clock_support.h"
#include "media/media.h"

namespace {

std::vector<std::string> reports;
void recordReport(const char* line) {
  reports.push_back(line);
}

int64_t now = 0;
int64_t clockOfTheTest() {
  return now;
}

// The output of a mixer device whose stream buffer plays, stepped by hand.
class SoundOutputSteps : public ::testing::Test {
 protected:
  void SetUp() override {
    reports.clear();
    now = 0;
    output.backend = &audio;
    output.report = recordReport;
    device.reset(createSdlMixerDevice(clockOfTheTest, &output));
    stream = device->createBuffer(WaveFormat{}, 44100);
  }
  // The output's steps every millisecond from now for ms; the blocks it mixes itself counted.
  void stepFor(int64_t ms) {
    for (int64_t end = now + ms * kMs; now < end; now += kMs) stepSoundOutput(output, now);
  }
  void play() { stream->play(true); }
  void stop() { stream->stop(); }
  uint64_t mixedBytes() const { return output.silentBlocks * kOutputBlockBytes; }

  StandInAudio audio;
  SoundOutput output;
  std::unique_ptr<SoundDevice> device;
  SoundBuffer* stream = nullptr;
};

}  // namespace

// The output opens as a clip starts and stays open through the second between two clips; three
// seconds after the last one it closes.
TEST_F(SoundOutputSteps, OpensForAClipAndLingersBetweenClips) {
  play();
  stepFor(1000);
  EXPECT_TRUE(audio.isOpen);
  stop();
  stepFor(1500);
  play();
  stepFor(1000);
  EXPECT_EQ(audio.opens, 1);
  stop();
  stepFor(2999);
  EXPECT_TRUE(audio.isOpen);
  stepFor(2);
  EXPECT_FALSE(audio.isOpen);
  EXPECT_EQ(output.state, OutputState::kClosed);
  EXPECT_TRUE(reports.empty());
}

// Without a system output the output's own clock takes the sound at its pace (44100 bytes a
// second), says once that the sound is off, tries again every three seconds and, once the output
// is there, hands the mixing to it and says that the sound is back.
TEST_F(SoundOutputSteps, WithoutASystemOutputItsOwnClockMixesUntilOneComes) {
  audio.available = false;
  play();
  stepFor(10000);
  EXPECT_EQ(output.state, OutputState::kSilent);
  EXPECT_NEAR(static_cast<double>(mixedBytes()), 441000, kOutputBlockBytes);
  EXPECT_EQ(reports, std::vector<std::string>{"No sound output: the game plays on in silence."});

  audio.available = true;
  uint64_t mixed = mixedBytes();
  stepFor(3000);
  EXPECT_TRUE(audio.isOpen);
  EXPECT_EQ(output.state, OutputState::kOpen);
  EXPECT_EQ(reports.back(), "Sound output is back.");
  EXPECT_LT(mixedBytes() - mixed, 3 * 44100u);  // its own clock stopped when the output came
}

// An output that goes away is noticed within half a second; its own clock takes over at once.
TEST_F(SoundOutputSteps, AnOutputThatGoesAwayIsReplacedBySilence) {
  play();
  stepFor(1000);
  audio.gone = true;
  audio.available = false;
  stepFor(500);
  EXPECT_FALSE(audio.isOpen);
  EXPECT_EQ(output.state, OutputState::kSilent);
  EXPECT_EQ(reports,
            std::vector<std::string>{"The sound output went away: the game plays on in silence."});
  stop();
  stepFor(1);
  EXPECT_EQ(output.state, OutputState::kClosed);
}

// From the first block played in silence until the output is back, the window's title says that
// the sound is off, between two clips too.
TEST_F(SoundOutputSteps, TheTitleSaysSoWhileTheSoundIsOff) {
  resetGameState();
  HeadlessWindow window;
  platform.window = &window;
  playback.soundDevice = device.get();
  audio.available = false;
  play();
  stepFor(100);
  updateStatus();
  EXPECT_EQ(window.statusShown(), "No sound device: silent");
  stop();
  stepFor(1000);
  updateStatus();
  EXPECT_EQ(window.statusShown(), "No sound device: silent");
  audio.available = true;
  play();
  stepFor(10);
  updateStatus();
  EXPECT_EQ(window.statusShown(), "");
  playback.soundDevice = nullptr;
  platform.window = nullptr;
}

namespace {

// seq01: left at 40, right at 100, nothing pressed at 160 (a death, the lives clip, the scene
// again from its start).
class SoundComesAndGoes : public DeviceClockTest {
 protected:
  void SetUp() override {
    DeviceClockTest::SetUp();
    addSeq01({"40 d1 d1 d1 00 d1 d1", "100 d2 d2 d2 d2 00 d2", "160 d3 d3 d3 d3 d3 00"});
  }
  // The game played for 30 s; the picture frames drawn, in order.
  std::vector<int32_t> playTheGame() {
    startNewGame();
    pressAt = {{playStart + 45 * 83 * kMs, kKeyLeft}, {playStart + 105 * 83 * kMs, kKeyRight}};
    play(30000);
    std::vector<int32_t> frames;
    for (const TimedDraw& draw : draws) frames.push_back(draw.frame);
    return frames;
  }
};

}  // namespace

INSTANTIATE_TEST_SUITE_P(Sound, SoundComesAndGoes, ::testing::Values(true));

// The same game with sound throughout, with an output that never opens, with one that goes away
// in the middle of the scene, and with one that goes away and comes back: the same frames, the
// same verdicts, the same clips, at the same moments of the game.
TEST_P(SoundComesAndGoes, TheGameIsTheSameWithoutSound) {
  std::vector<int32_t> frames = playTheGame();
  std::vector<std::string> heard = trace;
  ASSERT_TRUE(sawEvent("verdict 1 101"));
  ASSERT_TRUE(opened("seq01d3.avi 0"));
  ASSERT_EQ(audio->opens, 1);

  using Action = void (*)(StandInAudio&);
  Action neverThere = [](StandInAudio& a) { a.available = false; };
  Action goesAway = [](StandInAudio& a) { a.gone = true, a.available = false; };
  Action comesBack = [](StandInAudio& a) { a.available = true; };
  struct Case {
    const char* name;
    std::vector<std::pair<int64_t, Action>> actions;
    int opens;
  };
  for (const Case& c :
       {Case{"never there", {{0, neverThere}}, 0}, Case{"goes away", {{3000 * kMs, goesAway}}, 1},
        Case{"goes and comes back", {{3000 * kMs, goesAway}, {7000 * kMs, comesBack}}, 2}}) {
    TearDown();
    SetUp();
    actions = c.actions;
    EXPECT_EQ(playTheGame(), frames) << c.name;
    EXPECT_EQ(trace, heard) << c.name;
    EXPECT_EQ(audio->opens, c.opens) << c.name;
  }
}
