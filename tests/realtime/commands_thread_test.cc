// A command from another thread (a test acting as the window, the timer thread without a real
// window) waits until the running command, and what it held, has run: it never runs beside it.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/platform.h"

TEST(CommandsThread, ACommandOfAnotherThreadWaitsForTheRunningOneAndWhatItHeld) {
  std::mutex lock;
  std::vector<std::string> ran;
  auto note = [&](const char* what) {
    std::lock_guard<std::mutex> hold(lock);
    ran.push_back(what);
  };
  std::atomic<bool> calling{false}, returned{false};
  std::thread other;
  runCommand([&] {
    note("New");
    other = std::thread([&] {
      calling = true;
      runCommand([&] { note("Stop"); });
      returned = true;
    });
    while (!calling) std::this_thread::yield();
    // Long enough for the other thread to reach its wait, were it not to wait.
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    runCommand([&] { note("key"); });
    note("New done");
  });
  other.join();
  EXPECT_TRUE(returned);
  EXPECT_EQ(ran, (std::vector<std::string>{"New", "New done", "key", "Stop"}));
}
