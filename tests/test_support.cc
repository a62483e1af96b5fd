#include "test_support.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

TempDir::TempDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "qvk-test-XXXXXX").string();
  std::vector<char> buffer(pattern.begin(), pattern.end());
  buffer.push_back('\0');
  if (!mkdtemp(buffer.data())) std::abort();
  path_ = buffer.data();
}

TempDir::~TempDir() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

void TempDir::write(const std::string& name, const std::string& bytes) const {
  std::ofstream out(file(name), std::ios::binary);
  out << bytes;
}

std::string TempDir::read(const std::string& name) const {
  std::ifstream in(file(name), std::ios::binary);
  std::stringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

bool TempDir::exists(const std::string& name) const {
  return std::filesystem::exists(file(name));
}

void HeadlessTest::SetUp() {
  resetGameState();
  platform = Platform{};
  platform.directories.install = install.path();
  platform.directories.current = current.path();
  platform.window = &window;
  platform.joystick = &joystick;
}

void HeadlessTest::TearDown() {
  platform = Platform{};
}

std::vector<std::string> HeadlessTest::messages() {
  std::vector<std::string> out;
  for (const RecordedMessage& m : window.messagesSeen()) out.push_back(m.caption + "|" + m.text);
  return out;
}
