// Stop requests and wake-ups: how a game thread is asked to end, how it sleeps until something
// can change its next pass, and the waits that honour a stop request.
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "platform/game_wake.h"
#include "platform/platform.h"

thread_local const std::atomic<bool>* threadStopRequest = nullptr;

bool stopRequested() {
  return threadStopRequest && threadStopRequest->load();
}

namespace {

using Clock = std::chrono::steady_clock;

// Never destroyed: the audio callback may still wake the game while the process exits.
struct GameWake {
  std::mutex lock;
  std::condition_variable signal;
  std::atomic<uint64_t> count{0};  // written under lock, so a sleeper cannot miss a change
  std::atomic<int> sleepers{0};
  std::atomic<uint64_t> sleeperSaw{0};  // the count the last sleeper went to sleep with
};

GameWake& gameWake() {
  static GameWake* wake = new GameWake;
  return *wake;
}

}  // namespace

uint64_t gameWakeCount() {
  return gameWake().count;
}

void wakeGame() {
  GameWake& wake = gameWake();
  {
    std::lock_guard<std::mutex> hold(wake.lock);
    ++wake.count;
  }
  wake.signal.notify_all();
}

void waitForGameWake(uint64_t seen, uint64_t timeoutUs) {
  GameWake& wake = gameWake();
  std::unique_lock<std::mutex> hold(wake.lock);
  ++wake.sleepers;
  wake.sleeperSaw = seen;
  wake.signal.wait_for(hold, std::chrono::microseconds(timeoutUs),
                       [&] { return wake.count != seen || stopRequested(); });
  --wake.sleepers;
}

bool gameWakeSleeperUpToDate() {
  GameWake& wake = gameWake();
  std::lock_guard<std::mutex> hold(wake.lock);
  return wake.sleepers > 0 && wake.sleeperSaw == wake.count;
}

// A stop request wakes the sleepers, so the wait needs no slices of its own.
bool waitUnlessStopped(uint32_t ms) {
  GameWake& wake = gameWake();
  Clock::time_point end = Clock::now() + std::chrono::milliseconds(ms);
  std::unique_lock<std::mutex> hold(wake.lock);
  wake.signal.wait_until(hold, end, [] { return stopRequested(); });
  return !stopRequested();
}

bool Window::wait(uint32_t ms) {
  return waitUnlessStopped(ms);
}

bool platformWait(uint32_t ms) {
  if (!platform.realTimeWaits) return !stopRequested();
  return platform.window ? platform.window->wait(ms) : waitUnlessStopped(ms);
}
