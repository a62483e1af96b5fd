// The real timer service on its own thread, and the headless one's kill across threads.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <set>
#include <thread>
#include <vector>

#include "eventually.h"
#include "platform/headless.h"

namespace {

using namespace std::chrono_literals;

std::atomic<int> calls{0};
std::atomic<bool> inside{false};
std::atomic<bool> mayLeave{false};
std::atomic<TimerId> ownId{0};
std::atomic<TimerService*> service{nullptr};

void count() {
  ++calls;
}

void slowCallback() {
  ++calls;
  inside = true;
  while (!mayLeave) std::this_thread::sleep_for(1ms);
  inside = false;
}

void killItself() {
  ++calls;
  service.load()->killEvent(ownId);
}

void reset() {
  calls = 0;
  inside = false;
  mayLeave = false;
  ownId = 0;
}

// Kills an event while its callback runs on another thread: the kill must return only once the
// callback has returned, and the event must never run again.
void expectKillWaitsForTheCallback(TimerService& timers, void (*runTimers)()) {
  reset();
  TimerId id = timers.setEvent(10, slowCallback, true);
  std::thread driver(runTimers);
  while (!inside) std::this_thread::sleep_for(1ms);
  std::atomic<bool> killReturned{false};
  std::thread killer([&] {
    timers.killEvent(id);
    EXPECT_FALSE(inside);
    killReturned = true;
  });
  std::this_thread::sleep_for(50ms);
  EXPECT_FALSE(killReturned);
  mayLeave = true;
  killer.join();
  driver.join();
  std::this_thread::sleep_for(100ms);
  EXPECT_EQ(calls, 1);
}

class TimerServiceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    reset();
    service = timers.get();
  }
  void TearDown() override { service = nullptr; }
  std::unique_ptr<TimerService> timers{createTimerService()};
};

}  // namespace

TEST_F(TimerServiceTest, PeriodicEventRepeatsUntilKilledAndOneShotsFireOnce) {
  TimerId id = timers->setEvent(10, count, true);
  ASSERT_NE(id, 0u);
  EXPECT_TRUE(eventually([] { return calls >= 3; }));
  timers->killEvent(id);
  int seen = calls;
  TimerId first = timers->setEvent(30, count, false);
  TimerId second = timers->setEvent(30, count, false);
  EXPECT_NE(first, second);
  EXPECT_TRUE(eventually([&] { return calls == seen + 2; }));
  std::this_thread::sleep_for(200ms);
  EXPECT_EQ(calls, seen + 2);
  timers->killEvent(first);  // already fired: nothing happens
}

TEST_F(TimerServiceTest, KillWaitsForTheRunningCallback) {
  expectKillWaitsForTheCallback(*timers, [] {});
}

TEST_F(TimerServiceTest, CallbackMayKillItself) {
  ownId = timers->setEvent(10, killItself, true);
  EXPECT_TRUE(eventually([] { return calls == 1; }));
  std::this_thread::sleep_for(150ms);
  EXPECT_EQ(calls, 1);
}

// Two threads set and kill events at once: every event gets an id of its own, and once every
// event is killed no callback runs any more. The service then ends with an event still set.
TEST_F(TimerServiceTest, EventsSetAndKilledFromSeveralThreads) {
  std::vector<TimerId> ids[2];  // thread t's event i, killed at once unless i % 4 == 0
  auto churn = [&](int t) {
    for (int i = 0; i < 200; ++i) {
      ids[t].push_back(timers->setEvent(1 + i % 3, count, i % 2 == 0));
      if (i % 4 != 0) timers->killEvent(ids[t].back());
      if (i % 20 == 0) std::this_thread::sleep_for(1ms);
    }
  };
  std::thread a(churn, 0), b(churn, 1);
  a.join();
  b.join();
  std::set<TimerId> distinct(ids[0].begin(), ids[0].end());
  distinct.insert(ids[1].begin(), ids[1].end());
  distinct.insert(0);
  EXPECT_EQ(distinct.size(), 401u);  // none is 0

  EXPECT_TRUE(eventually([] { return calls > 0; }));  // the periodic events kept run
  for (const std::vector<TimerId>& thread : ids)
    for (size_t i = 0; i < thread.size(); i += 4) timers->killEvent(thread[i]);
  int settled = calls;
  std::this_thread::sleep_for(50ms);
  EXPECT_EQ(calls, settled);

  timers->setEvent(1, count, true);
  timers.reset();
}

TEST(HeadlessTimersRace, KillWaitsForTheRunningCallback) {
  static HeadlessTimers timers;
  expectKillWaitsForTheCallback(timers, [] { timers.advance(10); });
}
