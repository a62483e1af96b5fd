// Timers on virtual time: nothing fires until the caller moves the time on, and then every due
// callback runs on the caller's thread, earliest first.
#include <algorithm>

#include "platform/headless.h"

namespace {

bool firesBefore(const PendingTimer& a, const PendingTimer& b) {
  return a.dueMs != b.dueMs ? a.dueMs < b.dueMs : a.order < b.order;
}

PendingTimer* findEvent(std::vector<PendingTimer>& events, TimerId id) {
  for (PendingTimer& event : events) {
    if (event.id == id) return &event;
  }
  return nullptr;
}

}  // namespace

TimerId HeadlessTimers::setEvent(uint32_t delayMs, TimerCallback callback, bool periodic) {
  if (delayMs == 0 || !callback) return 0;
  std::lock_guard<std::mutex> hold(lock);
  do {
    ++lastId;
  } while (lastId == 0 || findEvent(events, lastId));
  events.push_back({lastId, nowMs + delayMs, periodic ? delayMs : 0, callback, nextOrder++});
  return lastId;
}

void HeadlessTimers::killEvent(TimerId id) {
  std::unique_lock<std::mutex> hold(lock);
  std::erase_if(events, [id](const PendingTimer& event) { return event.id == id; });
  // A callback that kills its own event must not wait for itself.
  if (runningThread == std::this_thread::get_id()) return;
  callbackDone.wait(hold, [&] { return runningId != id || id == 0; });
}

void HeadlessTimers::advance(uint64_t ms) {
  std::unique_lock<std::mutex> hold(lock);
  uint64_t target = nowMs + ms;
  for (;;) {
    auto next = std::min_element(events.begin(), events.end(), firesBefore);
    if (next == events.end() || next->dueMs > target) break;
    nowMs = next->dueMs;
    PendingTimer event = *next;
    if (event.periodMs == 0) {
      events.erase(next);
    } else {
      next->dueMs += event.periodMs;
      next->order = nextOrder++;
    }
    runningId = event.id;
    runningThread = std::this_thread::get_id();
    hold.unlock();
    event.callback();
    hold.lock();
    runningId = 0;
    runningThread = {};
    callbackDone.notify_all();
  }
  nowMs = target;
}

bool HeadlessTimers::advanceToNext() {
  uint64_t wait;
  {
    std::lock_guard<std::mutex> hold(lock);
    auto next = std::min_element(events.begin(), events.end(), firesBefore);
    if (next == events.end()) return false;
    wait = next->dueMs - nowMs;
  }
  advance(wait);
  return true;
}

uint64_t HeadlessTimers::now() {
  std::lock_guard<std::mutex> hold(lock);
  return nowMs;
}

std::vector<PendingTimer> HeadlessTimers::pending() {
  std::lock_guard<std::mutex> hold(lock);
  std::vector<PendingTimer> copy = events;
  std::sort(copy.begin(), copy.end(), firesBefore);
  return copy;
}

bool HeadlessTimers::isPending(TimerId id) {
  std::lock_guard<std::mutex> hold(lock);
  return findEvent(events, id) != nullptr;
}
