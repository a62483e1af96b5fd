// Shared helpers for the deterministic tests: temporary directories, small files, and a fixture
// that puts the headless platform in place with fresh directories and a fresh game state.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "game/headless_session.h"
#include "input/input.h"
#include "platform/platform.h"

// A directory that exists for the life of the object.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const { return path_; }
  std::string file(const std::string& name) const { return path_ + "/" + name; }
  void write(const std::string& name, const std::string& bytes) const;
  std::string read(const std::string& name) const;  // "" when missing
  bool exists(const std::string& name) const;

 private:
  std::string path_;
};

// The headless platform over two fresh directories: install and current.
class HeadlessTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Message boxes shown so far, as "caption|text".
  std::vector<std::string> messages();

  TempDir install;
  TempDir current;
  HeadlessWindow window;
  HeadlessJoystick joystick;
};
