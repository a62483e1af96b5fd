#include "test_support.h"

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
  for (const RecordedMessage& m : window.messagesSeen())
    out.push_back(m.caption + "|" + m.text.substr(0, m.text.find('\n')));
  return out;
}
