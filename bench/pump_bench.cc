// The media steps of one idle pass of the game thread (the clock has not moved): what the game
// thread spends while it polls the sound card between frames. Goal: under 5 microseconds and
// no allocation.
#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdlib>
#include <new>

#include "game/game.h"
#include "media/media.h"
#include "platform/headless.h"

static std::atomic<long> allocations{0};

// Every allocation of the benchmark program is counted. (GCC cannot see that these replaced
// operators belong together.)
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void* operator new(std::size_t size) {
  ++allocations;
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept {
  std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
  std::free(p);
}

// A clip open on the virtual sound card whose cursor never moves: every pass is idle.
struct IdleClip {
  IdleClip() {
    media.addClip("clip.avi", 1000);
    platform = Platform{};
    platform.media = &media;
    platform.drawer = &drawer;
    playback.streamBuffer = sound.createBuffer(WaveFormat{}, kStreamBufferBytes);
    game.moveTable[0].frame = kEndRowFrame;  // no move window to judge
    openSequence("clip.avi", 0);
    runMediaSteps();  // the first draw
  }
  ~IdleClip() {
    playback.streamBuffer->stop();
    media.release(playback.aviFile);
    playback.aviFile = nullptr;
    playback.streamBuffer = nullptr;
    platform = Platform{};
  }
  VirtualMediaLibrary media;
  HeadlessDrawer drawer;
  VirtualSoundDevice sound;
};

static void BM_IdleMediaPass(benchmark::State& state) {
  IdleClip clip;
  long before = allocations;
  for (auto _ : state) runMediaSteps();
  state.counters["allocations"] = static_cast<double>(allocations - before);
}
BENCHMARK(BM_IdleMediaPass);

// A whole game pass (input poll, judging, media steps) while nothing moves.
static void BM_IdleGamePass(benchmark::State& state) {
  IdleClip clip;
  startJudging();
  long before = allocations;
  for (auto _ : state) runGamePass();
  state.counters["allocations"] = static_cast<double>(allocations - before);
}
BENCHMARK(BM_IdleGamePass);
