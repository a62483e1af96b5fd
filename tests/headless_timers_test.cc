#include <string>

#include "test_support.h"

namespace {

// Callbacks are plain functions, so they report through globals.
HeadlessTimers* timers = nullptr;
std::string fired;
TimerId selfKilling = 0;

void fireA() {
  fired += "A" + std::to_string(timers->now()) + " ";
}
void fireB() {
  fired += "B" + std::to_string(timers->now()) + " ";
}
void fireC() {
  fired += "C" + std::to_string(timers->now()) + " ";
}
void killItself() {
  fired += "K" + std::to_string(timers->now()) + " ";
  timers->killEvent(selfKilling);
}
void setAnother() {
  fired += "S ";
  timers->setEvent(5, fireA, false);
}

class HeadlessTimersTest : public ::testing::Test {
 protected:
  void SetUp() override {
    timers = &service;
    fired.clear();
  }
  void TearDown() override { timers = nullptr; }
  HeadlessTimers service;
};

}  // namespace

TEST_F(HeadlessTimersTest, OneShotFiresOnceWhenItsTimeComes) {
  TimerId id = service.setEvent(100, fireA, false);
  EXPECT_NE(id, 0u);
  service.advance(99);
  EXPECT_EQ(fired, "");
  service.advance(1);
  EXPECT_EQ(fired, "A100 ");
  service.advance(1000);
  EXPECT_EQ(fired, "A100 ");
  EXPECT_FALSE(service.isPending(id));
  service.killEvent(id);  // a fired one-shot: nothing happens
}

TEST_F(HeadlessTimersTest, PeriodicFiresAtEveryPeriodWithinOneAdvance) {
  service.setEvent(83, fireA, true);
  service.advance(250);
  EXPECT_EQ(fired, "A83 A166 A249 ");
  EXPECT_EQ(service.now(), 250u);
  service.advance(83);
  EXPECT_EQ(fired, "A83 A166 A249 A332 ");
}

TEST_F(HeadlessTimersTest, DueEventsFireInTimeOrderThenInOrderOfSetting) {
  service.setEvent(30, fireA, false);
  service.setEvent(10, fireB, true);
  service.setEvent(20, fireC, false);
  service.advance(30);
  // At 20, B's second call was rescheduled after C was set, so C comes first.
  EXPECT_EQ(fired, "B10 C20 B20 A30 B30 ");
}

TEST_F(HeadlessTimersTest, KilledEventsNeverFire) {
  TimerId periodic = service.setEvent(10, fireA, true);
  TimerId oneShot = service.setEvent(15, fireB, false);
  service.advance(10);
  service.killEvent(periodic);
  service.killEvent(oneShot);
  service.advance(100);
  EXPECT_EQ(fired, "A10 ");
  EXPECT_TRUE(service.pending().empty());
}

TEST_F(HeadlessTimersTest, CallbackMayKillItselfAndSetNewEvents) {
  selfKilling = service.setEvent(10, killItself, true);
  service.setEvent(12, setAnother, false);
  service.advance(100);
  EXPECT_EQ(fired, "K10 S A17 ");
  EXPECT_FALSE(service.isPending(selfKilling));
}

TEST_F(HeadlessTimersTest, PendingListsEventsInFiringOrder) {
  TimerId late = service.setEvent(10000, fireA, false);
  TimerId frame = service.setEvent(83, fireB, true);
  std::vector<PendingTimer> pending = service.pending();
  ASSERT_EQ(pending.size(), 2u);
  EXPECT_EQ(pending[0].id, frame);
  EXPECT_EQ(pending[0].periodMs, 83u);
  EXPECT_EQ(pending[1].id, late);
  EXPECT_EQ(pending[1].dueMs, 10000u);
  EXPECT_NE(late, frame);
  EXPECT_TRUE(service.advanceToNext());
  EXPECT_EQ(service.now(), 83u);
  EXPECT_EQ(fired, "B83 ");
}

TEST_F(HeadlessTimersTest, RefusesNoDelayOrNoCallback) {
  EXPECT_EQ(service.setEvent(0, fireA, true), 0u);
  EXPECT_EQ(service.setEvent(10, nullptr, false), 0u);
  EXPECT_FALSE(service.advanceToNext());
  EXPECT_EQ(service.now(), 0u);
}
