// Stop requests: how a game thread is asked to end, and the waits that honour the request.
#include <chrono>
#include <thread>

#include "platform/platform.h"

thread_local const std::atomic<bool>* threadStopRequest = nullptr;

bool stopRequested() {
  return threadStopRequest && threadStopRequest->load();
}

bool waitUnlessStopped(uint32_t ms) {
  using Clock = std::chrono::steady_clock;
  Clock::time_point end = Clock::now() + std::chrono::milliseconds(ms);
  // Short slices keep the reaction to a stop request within a few milliseconds.
  while (Clock::now() < end) {
    if (stopRequested()) return false;
    std::this_thread::sleep_for(
        std::min<Clock::duration>(std::chrono::milliseconds(2), end - Clock::now()));
  }
  return !stopRequested();
}

bool Window::wait(uint32_t ms) {
  return waitUnlessStopped(ms);
}

bool platformWait(uint32_t ms) {
  if (!platform.realTimeWaits) return !stopRequested();
  return platform.window ? platform.window->wait(ms) : waitUnlessStopped(ms);
}
