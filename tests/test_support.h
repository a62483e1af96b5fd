// Shared helpers for the deterministic tests: temporary directories (temp_dir.h), the messages
// shown, and a fixture that puts the headless platform in place with fresh directories and a
// fresh game state.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "game/headless_session.h"
#include "input/input.h"
#include "platform/platform.h"
#include "temp_dir.h"

// Hands a file a test made to a fuzz target as a seed: with QVK_WRITE_SEEDS=1 it is written as
// fuzz/corpus/TARGET/NAME.
void keepAsFuzzSeed(const std::string& target, const std::string& name, const std::string& bytes);

// Message boxes the window has shown so far, as "caption|text".
std::vector<std::string> messagesOf(HeadlessWindow& window);

// The headless platform over two fresh directories: install and current.
class HeadlessTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  std::vector<std::string> messages() { return messagesOf(window); }

  TempDir install;
  TempDir current;
  HeadlessWindow window;
  HeadlessJoystick joystick;
};
