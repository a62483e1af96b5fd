// The keyboard side of a move: the hook's work on the window thread, and the time from the
// hook storing a key until a thread that polls as the game thread does (a pass, then a 1 ms
// wait when nothing moved) has taken it.
#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "game/game.h"
#include "input/input.h"
#include "platform/headless.h"

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

static void KeyToPoll(benchmark::State& state) {
  using Clock = std::chrono::steady_clock;
  platform = Platform{};
  std::atomic<bool> stop{false};
  std::atomic<int64_t> seenAt{0};
  std::thread poller([&] {
    while (!stop) {
      if (pollInput() != kInputNone) {
        seenAt = Clock::now().time_since_epoch().count();
        continue;
      }
      waitUnlessStopped(1);
    }
  });
  for (auto _ : state) {
    seenAt = 0;
    std::this_thread::sleep_for(std::chrono::microseconds(1500));  // any moment of a wait
    Clock::time_point pressed = Clock::now();
    keyboardHookProc(kKeyUp);
    while (seenAt == 0) std::this_thread::yield();
    state.SetIterationTime(
        std::chrono::duration<double>(Clock::duration(seenAt.load()) - pressed.time_since_epoch())
            .count());
    // The poller's next poll with an empty latch forgets the key, as between two presses.
  }
  stop = true;
  poller.join();
}
BENCHMARK(KeyToPoll)->UseManualTime()->Unit(benchmark::kMicrosecond)->Iterations(300);
