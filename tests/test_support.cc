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

void resetGameState() {
  game.lives = kStartLives;
  writeName(game.sceneFile, "");
  writeName(game.missedScene, "");
  game.moveIndex = 0;
  game.resumeMoveIndex = 0;
  game.hotspotIndex = 0;
  game.judgingOff = 0;
  game.continueOffered = 0;
  game.gameActive = 0;
  game.demoActive = 0;
  playback.focusLost = 0;
  for (MoveRow& row : game.moveTable) row = MoveRow{};
  for (auto& entry : game.hotspotTable) entry = 0;
  playback.clockFrame = 0;
  playback.currentFrame = 0;
  playback.sequenceEnded = 0;
  playback.sequenceLength = 0;
  playback.openClipName[0] = '\0';
  playback.drawSlot = 0;
  game.displayMode = kDisplayWindowed;
  input.inputLatch = kInputNone;
  input.lastInputCode = kInputNone;
  input.joystickCentreX = input.joystickCentreY = 0;
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
