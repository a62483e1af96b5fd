#include "test_support.h"

#include <cstdlib>
#include <fstream>

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

std::vector<std::string> messagesOf(HeadlessWindow& window) {
  std::vector<std::string> out;
  for (const RecordedMessage& m : window.messagesSeen()) out.push_back(m.caption + "|" + m.text);
  return out;
}

void keepAsFuzzSeed(const std::string& target, const std::string& name, const std::string& bytes) {
  const char* write = std::getenv("QVK_WRITE_SEEDS");
  if (!write || std::string(write) != "1") return;
  std::ofstream(std::string(QVK_SOURCE_DIR) + "/fuzz/corpus/" + target + "/" + name,
                std::ios::binary)
      << bytes;
}
