// The player's side of a move: the keyboard hook's work on the window thread, and the time from
// a key reaching the hook (or joystick 0 moving) until the game thread has judged it. The
// latencies are taken on the real game thread while a clip plays on the SDL sound device (SDL's
// dummy driver when there is no sound card), with moves at random moments of the frames; the
// joystick is one of SDL's virtual joysticks, so its moves take SDL's own path.
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <thread>
#include <vector>

#include "game/game.h"
#include "input/input.h"
#include "platform/headless.h"

namespace {

using Clock = std::chrono::steady_clock;

static void KeyboardHookProc(benchmark::State& state) {
  HeadlessWindow window;
  platform = Platform{};
  platform.window = &window;
  game.demoActive = 0;
  for (auto _ : state) {
    keyboardHookProc(kKeyUp);
    benchmark::DoNotOptimize(input.inputLatch.load());
    input.inputLatch = 0;
  }
}
BENCHMARK(KeyboardHookProc);

// The moment the game thread last judged an input: every reported input sounds a beep.
std::atomic<int64_t> judgedAt{0};

void noteJudging(const char* line) {
  if (line && std::strncmp(line, "beep", 4) == 0)
    judgedAt = Clock::now().time_since_epoch().count();
}

// The program's platform without a window: real timers, the SDL sound device, and clips that
// play for hours (their frames are not drawn). The first scene's move file holds only the end
// row, so every input is judged outside a window (a bad beep) and nothing ends the scene.
struct PlayingGame {
  explicit PlayingGame(Joystick* joystick) {
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    setenv("SDL_NO_SIGNAL_HANDLERS", "1", 1);  // a signal still ends the benchmark
    std::filesystem::create_directories(directory);
    std::ofstream(directory / "seq01.txt") << "9987 d1 d1 d1 d1 d1 d1\r\n";
    std::ofstream(directory / "seq01.hot") << "9999\r\n";
    media.addClip("demo.avi", 100000);
    media.addClip("seq01.avi", 100000);
    timers = createTimerService();
    platform = Platform{};
    platform.directories.current = directory.string();
    platform.directories.install = directory.string();
    platform.window = &window;
    platform.joystick = joystick;
    platform.timers = timers;
    platform.createSoundDevice = createSdlSoundDevice;
    platform.media = &media;
    platform.realTimeWaits = true;
    startUp();
    runGameCommand(kCommandNew);
    traceHook = noteJudging;
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));  // past the open's wait
  }
  ~PlayingGame() {
    traceHook = nullptr;
    shutDown();
    delete timers;
    platform = Platform{};
    std::filesystem::remove_all(directory);
  }
  std::filesystem::path directory = std::filesystem::temp_directory_path() / "qvk-keys-bench";
  HeadlessWindow window;
  VirtualMediaLibrary media;
  TimerService* timers = nullptr;
};

// Runs one timed move per iteration: move() at a random moment of a frame, then the time until
// the game thread has judged it; settle() brings the input back to rest.
template <typename Move, typename Settle>
void timeMoves(benchmark::State& state, Move move, Settle settle) {
  std::mt19937 random(5);
  std::vector<double> latencies;
  for (auto _ : state) {
    std::this_thread::sleep_for(std::chrono::microseconds(20000 + random() % 100000));
    judgedAt = 0;
    Clock::time_point moved = Clock::now();
    move();
    while (judgedAt == 0) std::this_thread::yield();
    double seconds =
        std::chrono::duration<double>(Clock::duration(judgedAt.load()) - moved.time_since_epoch())
            .count();
    state.SetIterationTime(seconds);
    latencies.push_back(seconds * 1000);
    settle();
  }
  std::sort(latencies.begin(), latencies.end());
  auto at = [&](double share) { return latencies[size_t(share * double(latencies.size() - 1))]; };
  state.counters["p50_ms"] = at(0.5);
  state.counters["p95_ms"] = at(0.95);
  state.counters["max_ms"] = latencies.back();
}

static void KeyToJudging(benchmark::State& state) {
  PlayingGame playing(nullptr);
  // The next pass with an empty latch forgets the key, as between two presses.
  timeMoves(
      state, [] { keyboardHookProc(kKeyUp); }, [] {});
}
BENCHMARK(KeyToJudging)->UseManualTime()->Unit(benchmark::kMicrosecond)->Iterations(100);

static void JoystickToJudging(benchmark::State& state) {
  Joystick* joystick = sdlJoystick();
  JoystickCaps caps;
  joystick->getCaps(&caps);  // SDL's joysticks initialised
  int device = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_UNKNOWN, 2, 1, 0);
  JoystickPosition position;
  joystick->getPosition(&position);  // opened
  SDL_Joystick* stick = SDL_JoystickFromInstanceID(SDL_JoystickGetDeviceInstanceID(device));
  if (device < 0 || !stick) {
    state.SkipWithError("no virtual joystick");
    return;
  }
  {
    PlayingGame playing(joystick);
    timeMoves(
        state, [&] { SDL_JoystickSetVirtualAxis(stick, 0, SDL_JOYSTICK_AXIS_MAX); },
        [&] {
          // Back to the centre, and long enough for the game thread to see it there.
          SDL_JoystickSetVirtualAxis(stick, 0, 0);
          std::this_thread::sleep_for(std::chrono::milliseconds(20));
        });
  }
  SDL_JoystickDetachVirtual(device);
}
BENCHMARK(JoystickToJudging)->UseManualTime()->Unit(benchmark::kMicrosecond)->Iterations(100);

}  // namespace
