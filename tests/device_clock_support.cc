#include "device_clock_support.h"

#include "media/media.h"
#include "platform/game_wake.h"

namespace {

constexpr uint32_t kBlock = 2048;
const int64_t kBlockTime = (int64_t{kBlock} * 1000000000 + 44099) / 44100;

int64_t now = 0;
int64_t clockOfTheTest() {
  return now;
}

SoundOutput* testOutput = nullptr;
SoundDevice* createDevice() {
  return createSdlMixerDevice(clockOfTheTest, testOutput);
}

struct TimedDrawer : FrameDrawer {
  void drawFrame(const uint8_t*, int32_t, const uint8_t* frame, int32_t size) override {
    draws->push_back({virtualFrameNumber(frame, size), now});
  }
  std::vector<TimedDraw>* draws = nullptr;
} timedDrawer;

void (*scenarioHook)(const char*) = nullptr;
std::vector<std::string>* traceLines = nullptr;
void traceWithFrames(const char* line) {
  if (line) traceLines->push_back(std::to_string(playback.currentFrame) + " " + line);
  scenarioHook(line);
}

// The passes the game thread runs now.
void runGameThread(uint64_t& seenWakes, int64_t& sleepEnd) {
  for (int i = 0;
       i < 100 && virtualGameThreadRunning() && (gameWakeCount() != seenWakes || now >= sleepEnd);
       ++i) {
    seenWakes = gameWakeCount();
    bool changed = false;
    runVirtualGamePass(&changed);
    sleepEnd = changed ? now : now + static_cast<int64_t>(gameSleepUs()) * 1000;
  }
}

}  // namespace

bool StandInAudio::open() {
  if (!available) return false;
  isOpen = true;
  gone = false;
  ++opens;
  nextCallback = now;
  return true;
}

void DeviceClockTest::SetUp() {
  ScenarioTest::SetUp();
  now = 0;
  trace.clear();
  draws.clear();
  pressAt.clear();
  actions.clear();
  audio = std::make_unique<StandInAudio>();
  output = std::make_unique<SoundOutput>();
  testOutput = output.get();
  output->backend = audio.get();
  session->createSound = createDevice;
  scenarioHook = traceHook;
  traceLines = &trace;
  traceHook = traceWithFrames;
  timedDrawer.draws = &draws;
}

void DeviceClockTest::TearDown() {
  ScenarioTest::TearDown();
  testOutput = nullptr;
}

void DeviceClockTest::addSeq01(const std::vector<std::string>& rows) {
  addScene("seq01", rows, {0, 9999}, 300);
  for (const char* clip : {"seq01d1.avi", "seq01d2.avi", "seq01d3.avi"}) addClip(clip, 24);
  addStandardClips();
}

void DeviceClockTest::startNewGame() {
  start();
  platform.drawer = &timedDrawer;
  seenWakes = gameWakeCount();
  sleepEnd = now;
  runGameCommand(kCommandNew);
  playStart = now;
}

void DeviceClockTest::play(int64_t ms) {
  for (int64_t end = now + ms * kMs; now < end; now += kMs) {
    for (auto& [when, action] : actions)
      if (when == now) action(*audio);
    stepSoundOutput(*output, now);
    while (audio->isOpen && audio->nextCallback <= now) {
      int64_t moment = now;
      now = audio->nextCallback;
      uint8_t out[kBlock];
      mixSdlSound(playback.soundDevice, out, kBlock);
      now = moment;
      audio->nextCallback += kBlockTime;
    }
    runGameThread(seenWakes, sleepEnd);
    for (auto& [when, key] : pressAt) {
      if (when != now) continue;
      press(key);
      runGameThread(seenWakes, sleepEnd);
    }
  }
}

int64_t DeviceClockTest::shownAt(int32_t frame) const {
  for (const TimedDraw& draw : draws)
    if (draw.frame == frame) return draw.time;
  ADD_FAILURE() << "frame " << frame << " was not drawn";
  return -1;
}
