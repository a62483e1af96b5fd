// Waiting for another thread without a timed assertion: the patience is only there so that a
// lost event fails the test instead of hanging it.
#pragma once

#include <chrono>
#include <thread>

constexpr auto kPatience = std::chrono::seconds(10);

// Waits until condition holds, up to kPatience.
template <typename Condition>
bool eventually(Condition condition) {
  auto end = std::chrono::steady_clock::now() + kPatience;
  while (!condition()) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}
