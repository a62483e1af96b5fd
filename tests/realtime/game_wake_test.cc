// The game thread sleeps until something can change its next pass. Each source of wake-ups is
// tried on the real game thread: the sleep without a wake-up is made far longer than the test
// waits, so a lost wake-up fails the test instead of costing a tenth of a second. The stress
// test fires all of them together at random moments.
#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <future>
#include <memory>
#include <random>
#include <thread>

#include "eventually.h"
#include "game/game.h"
#include "input/input.h"
#include "media/media.h"
#include "platform/game_wake.h"
#include "platform/headless.h"

namespace {

using namespace std::chrono_literals;

constexpr uint32_t kLostWakeUpMs = 20000;  // the sleep without a wake-up

std::atomic<int> passes{0};
void countPasses(const char* line) {
  if (!line) ++passes;
}

// The program with a real game thread and real timers, no window, no joystick, clips of virtual
// media. With sound, the sound device is the SDL mixer without an output: its play cursors move
// only when the test mixes, as the audio callback does.
class GameWake : public ::testing::Test {
 protected:
  // hook follows the game's events from before its thread starts.
  void start(bool withSound, int32_t sceneFrames = 100000,
             void (*hook)(const char*) = countPasses) {
    std::filesystem::create_directories(directory);
    for (const char* base : {"seq01", "seq02", "seq12"}) {
      std::ofstream(directory / (std::string(base) + ".txt")) << moveRows;
      std::ofstream(directory / (std::string(base) + ".hot")) << checkpoints;
    }
    media.addClip("demo.avi", sceneFrames);
    media.addClip("seq01.avi", sceneFrames);
    timers.reset(createTimerService());
    platform = Platform{};
    platform.directories.current = directory.string();
    platform.directories.install = directory.string();
    platform.window = &window;
    platform.joystick = &joystick;
    platform.timers = timers.get();
    platform.media = &media;
    if (withSound) platform.createSoundDevice = [] { return createSdlMixerDevice(); };
    platform.gameWakeTimeoutMs = kLostWakeUpMs;
    platform.realTimeWaits = realTimeWaits;
    runCommand(startUp);
    traceHook = hook;
    runGameCommand(kCommandNew);
  }

  void TearDown() override {
    runCommand(shutDown);
    traceHook = nullptr;
    EXPECT_EQ(media.openFiles, 0);
    timers.reset();
    platform = Platform{};
    delete playback.soundDevice;
    playback.soundDevice = nullptr;
    playback.streamBuffer = nullptr;
    std::filesystem::remove_all(directory);
  }

  // The game thread has run its passes and sleeps.
  static void expectAsleep() { ASSERT_TRUE(eventually(gameWakeSleeperUpToDate)); }

  // As the audio callback mixes: blocks of 1024 bytes.
  static void mix(uint32_t bytes) {
    uint8_t out[1024];
    for (; bytes > 0; bytes -= std::min<uint32_t>(bytes, sizeof out))
      mixSdlSound(playback.soundDevice, out, std::min<uint32_t>(bytes, sizeof out));
  }

  // One of its own for every test process: ctest runs tests side by side.
  std::filesystem::path directory =
      std::filesystem::temp_directory_path() / ("qvk-game-wake-" + std::to_string(getpid()));
  // Only the end row: nothing is judged, no verdict ends the scene, every input beeps.
  std::string moveRows = "9987 d1 d1 d1 d1 d1 d1\r\n", checkpoints = "0\r\n9999\r\n";
  bool realTimeWaits = false;  // the second's wait before a clip's sound starts
  HeadlessWindow window;
  HeadlessJoystick joystick;
  VirtualMediaLibrary media;
  std::unique_ptr<TimerService> timers;
};

TEST_F(GameWake, PlayCursorEnteringTheNextFrameWakesTheGame) {
  start(true);
  expectAsleep();
  int32_t frame = playback.currentFrame;
  mix(kSoundBytesPerFrame);
  EXPECT_TRUE(eventually([&] { return playback.currentFrame == frame + 1; }));
  mix(2 * kSoundBytesPerFrame);  // into the next chunk, which the game refills
  EXPECT_TRUE(eventually([&] { return playback.currentFrame >= frame + 3; }));
}

TEST_F(GameWake, FrameTimerTickWakesTheGame) {
  start(false);
  ASSERT_FALSE(playback.streamBuffer);
  int32_t frame = playback.currentFrame;
  EXPECT_TRUE(eventually([&] { return playback.currentFrame >= frame + 3; }));
}

TEST_F(GameWake, StopRequestWakesTheGame) {
  start(true);
  expectAsleep();
  auto stopped = std::async(std::launch::async, [] { runGameCommand(kCommandStop); });
  EXPECT_EQ(stopped.wait_for(kPatience), std::future_status::ready);
  EXPECT_FALSE(gameThreadExists());
}

TEST_F(GameWake, FocusRegainedWakesTheGame) {
  start(true);
  expectAsleep();
  onFocusLost();
  mix(kSoundBytesPerFrame);  // the stopped buffer holds the clock
  expectAsleep();
  int32_t frame = playback.currentFrame;
  int before = passes;
  onFocusGained();
  EXPECT_TRUE(eventually([&] { return passes > before; }));
  mix(kSoundBytesPerFrame);
  EXPECT_TRUE(eventually([&] { return playback.currentFrame == frame + 1; }));
}

// A key wakes the sleeping game; so do keys pressed while the game thread runs a pass, after the
// pass has polled the input: the moment where a wake-up is easiest to lose. The pass's trace point
// (after the game side) presses them, during every second pass: a pass that polled no key and moved
// nothing, after which the thread goes to sleep.
std::atomic<int> keysToPress{0};
void pressDuringPasses(const char* line) {
  if (line || keysToPress == 0 || passes++ % 2 == 0) return;
  --keysToPress;
  keyboardHookProc(kKeyLeft);
}

TEST_F(GameWake, KeyPressedDuringAPassThatMovedNothingIsNotLost) {
  start(true);
  expectAsleep();
  passes = 0;
  keysToPress = 200;
  traceHook = pressDuringPasses;
  keyboardHookProc(kKeyUp);
  EXPECT_TRUE(eventually([] { return keysToPress == 0 && input.inputLatch == 0; }))
      << keysToPress << " keys to press";
}

// Closing the program while the game thread plays a beep for every other pass and the audio
// callback mixes them: the game thread ends before the beeps it plays are released (a sanitizer
// sees a beep used after its release otherwise).
TEST_F(GameWake, ShutDownWhileBeepsPlayReleasesNothingInUse) {
  keysToPress = 1000000;
  start(true, 100000, pressDuringPasses);
  std::atomic<bool> running{true};
  std::thread audio([&running] {
    while (running) {
      mix(1024);
      std::this_thread::sleep_for(1ms);
    }
  });
  EXPECT_TRUE(eventually([] { return keysToPress < 1000000 - 100; }));
  shutDown();
  running = false;
  audio.join();
  EXPECT_FALSE(gameThreadExists());
  EXPECT_EQ(playback.goodBeep, nullptr);
  EXPECT_EQ(playback.badBeep, nullptr);
  keysToPress = 0;
}

// Sound clock and FrameTimer, keys, focus changes, attract ticks and every game command, together
// at random moments: the mixer as the audio callback runs it, the FrameTimer and attract ticks
// on threads of their own, focus changes, keys and commands from the window thread, and keys during
// the game thread's own passes. Every key reaches the game thread, no command waits for a sleeping
// thread, there are never two game threads, and no clip is left open.
TEST_F(GameWake, SourcesFiredTogetherAtRandomMomentsLoseNoWakeUp) {
  // Short scenes with judged rows, so that clips end and others open, with deaths and lives
  // clips; a clip without sound runs on the FrameTimer. The deaths' clips are missing, so
  // message boxes come from the game thread too.
  moveRows = "5 d1 d1 d1 d1 d1 00\r\n12 d1 00 d1 d1 d1 d1\r\n";
  checkpoints = "0\r\n10\r\n9999\r\n";
  realTimeWaits = true;
  for (const char* name : {"seq02.avi", "4lives.avi", "3lives.avi", "2lives.avi", "1lives.avi",
                           "cont.avi", "gameover.avi"})
    media.addClip(name, 30);
  media.addClip("seq12.avi", 30, false);
  keysToPress = 1000000;
  start(true, 30, pressDuringPasses);
  std::atomic<bool> running{true};
  // Until the test ends, on a thread of its own: action, after a random pause of up to most.
  auto repeat = [&](unsigned seed, std::chrono::microseconds most, auto action) {
    return std::thread([&running, seed, most, action] {
      std::mt19937 random(seed);
      while (running) {
        std::this_thread::sleep_for(std::chrono::microseconds(random() % most.count()));
        action();
      }
    });
  };
  std::thread audio = repeat(17, 8ms, [] { mix(1024); });
  std::thread ticker = repeat(7, 40ms, attractTimerFired);  // as the timer service fires it
  // A key waiting in the latch is taken within the patience, or no game thread runs.
  std::atomic<int> keysLost{0};
  std::thread watcher = repeat(1, 2ms, [&keysLost] {
    if (input.inputLatch != 0 &&
        !eventually([] { return input.inputLatch == 0 || !gameThreadExists(); }))
      ++keysLost;
  });

  std::mt19937 random(23);
  int commandsStuck = 0;
  const int commands[] = {kCommandNew, kCommandLoad, kCommandStop, kCommandSave};
  const uint32_t keyTable[] = {kKeyUp, kKeyDown, kKeyRight, kKeySpace, 'A', kKeyF6};
  auto end = std::chrono::steady_clock::now() + 8s;
  while (std::chrono::steady_clock::now() < end) {
    std::this_thread::sleep_for(std::chrono::microseconds(random() % 40000));
    switch (random() % 16) {
      case 0: onFocusLost(); break;
      case 1: onFocusGained(); break;
      case 2: {
        auto command = std::async(std::launch::async,
                                  [&, id = commands[random() % 4]] { runGameCommand(id); });
        if (command.wait_for(kPatience) != std::future_status::ready) ++commandsStuck;
        break;
      }
      default: keyboardHookProc(keyTable[random() % 6]);
    }
  }
  int keysPressedDuringPasses = 1000000 - keysToPress.exchange(0);
  running = false;
  audio.join();
  ticker.join();
  watcher.join();

  EXPECT_GT(keysPressedDuringPasses, 100);
  EXPECT_EQ(keysLost, 0);
  EXPECT_EQ(commandsStuck, 0);
  EXPECT_EQ(mostGameThreadsAtOnce(), 1);
  // Quiet again: a new game sleeps, and a key still wakes it.
  onFocusGained();
  runGameCommand(kCommandNew);
  expectAsleep();
  keyboardHookProc(kKeyUp);
  EXPECT_TRUE(eventually([] { return input.inputLatch == 0; }));
}

}  // namespace
