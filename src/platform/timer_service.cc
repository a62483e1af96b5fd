// The real timer service: one thread waits on a condition variable for the earliest event and
// runs the callbacks one at a time, without holding the lock, so that a callback may set and
// kill events, its own included.
#include <algorithm>
#include <chrono>

#include <condition_variable>
#include <mutex>
#include <thread>

#include "platform/platform.h"

namespace {

using Clock = std::chrono::steady_clock;

struct TimerEvent {
  TimerId id = 0;
  Clock::time_point due;
  Clock::duration period{0};  // zero: one-shot
  TimerCallback callback = nullptr;
};

struct ThreadTimerService : TimerService {
  ThreadTimerService() : thread([this] { run(); }) {}
  ~ThreadTimerService() override;
  TimerId setEvent(uint32_t delayMs, TimerCallback callback, bool periodic) override;
  void killEvent(TimerId id) override;
  void run();

  std::mutex lock;
  std::condition_variable changed;       // an event was set or killed, or the service ends
  std::condition_variable callbackDone;  // the running callback has returned
  std::vector<TimerEvent> events;
  TimerId lastId = 0;
  TimerId runningId = 0;
  bool ending = false;
  std::thread thread;  // last: it starts once everything above exists
};

TimerEvent* findEvent(std::vector<TimerEvent>& events, TimerId id) {
  for (TimerEvent& event : events) {
    if (event.id == id) return &event;
  }
  return nullptr;
}

ThreadTimerService::~ThreadTimerService() {
  {
    std::lock_guard<std::mutex> hold(lock);
    ending = true;
  }
  changed.notify_all();
  thread.join();
}

TimerId ThreadTimerService::setEvent(uint32_t delayMs, TimerCallback callback, bool periodic) {
  if (delayMs == 0 || !callback) return 0;
  auto delay = std::chrono::milliseconds(delayMs);
  std::lock_guard<std::mutex> hold(lock);
  do {
    ++lastId;
  } while (lastId == 0 || findEvent(events, lastId));
  Clock::duration period = periodic ? Clock::duration(delay) : Clock::duration(0);
  events.push_back({lastId, Clock::now() + delay, period, callback});
  changed.notify_all();
  return lastId;
}

void ThreadTimerService::killEvent(TimerId id) {
  std::unique_lock<std::mutex> hold(lock);
  std::erase_if(events, [id](const TimerEvent& event) { return event.id == id; });
  changed.notify_all();
  // From the service's own thread (a callback) nothing else can be running, and waiting for
  // the running callback would wait for ourselves.
  if (std::this_thread::get_id() == thread.get_id()) return;
  callbackDone.wait(hold, [&] { return runningId != id || id == 0; });
}

void ThreadTimerService::run() {
  std::unique_lock<std::mutex> hold(lock);
  while (!ending) {
    auto next =
        std::min_element(events.begin(), events.end(),
                         [](const TimerEvent& a, const TimerEvent& b) { return a.due < b.due; });
    if (next == events.end()) {
      changed.wait(hold);
      continue;
    }
    Clock::time_point now = Clock::now();
    if (next->due > now) {
      // A copy: the events may move while we wait.
      Clock::time_point due = next->due;
      changed.wait_until(hold, due);
      continue;
    }
    TimerEvent event = *next;
    if (event.period == Clock::duration(0)) {
      events.erase(next);
    } else {
      // Keep the pace of the period; after a stall of more than a period, one call catches up
      // and the pace starts again from now.
      next->due = std::max(next->due + event.period, now);
    }
    runningId = event.id;
    hold.unlock();
    event.callback();
    hold.lock();
    runningId = 0;
    callbackDone.notify_all();
  }
}

}  // namespace

TimerService* createTimerService() {
  return new ThreadTimerService;
}

void killTimer(std::atomic<TimerId>& timer) {
  if (TimerId id = timer.exchange(0); id && platform.timers) platform.timers->killEvent(id);
}
