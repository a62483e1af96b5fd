// Real threads and real timers: commands and attract ticks fired at random moments against a
// running game. Never two game threads, no deadlock, no crash.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>
#include <thread>

#include "game/game.h"
#include "input/input.h"
#include "platform/headless.h"

namespace {

void writeFile(const std::filesystem::path& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

}  // namespace

TEST(GameStress, CommandsAndAttractTicksAtRandomMoments) {
  std::filesystem::path dir = std::filesystem::temp_directory_path() / "qvk-stress";
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir / "install");
  for (const char* base : {"seq01", "seq02", "seq12"}) {
    writeFile(dir / (std::string(base) + ".txt"),
              "5 d1 d1 d1 d1 d1 00\r\n12 d1 00 d1 d1 d1 d1\r\n");
    writeFile(dir / (std::string(base) + ".hot"), "0\r\n10\r\n9999\r\n");
  }

  HeadlessWindow window;
  HeadlessJoystick joystick;
  VirtualMediaLibrary media;
  HeadlessDrawer drawer;
  // Short clips so that scenes, deaths and lives clips come and go; seq01d1.avi is missing, so
  // message boxes come from the game thread too.
  for (const char* name : {"demo.avi", "seq01.avi", "seq02.avi", "seq12.avi", "4lives.avi",
                           "3lives.avi", "2lives.avi", "1lives.avi", "cont.avi", "gameover.avi"})
    media.addClip(name, 30);
  TimerService* timers = createTimerService();

  platform = Platform{};
  platform.directories.current = dir.string();
  platform.directories.install = (dir / "install").string();
  platform.window = &window;
  platform.joystick = &joystick;
  platform.timers = timers;
  platform.media = &media;
  platform.drawer = &drawer;
  platform.realTimeWaits = true;
  startUp();

  std::atomic<bool> running{true};
  std::thread ticker([&] {
    std::mt19937 random(7);
    while (running) {
      std::this_thread::sleep_for(std::chrono::milliseconds(random() % 40));
      attractTimerFired();
    }
  });
  std::thread player([&] {
    std::mt19937 random(11);
    while (running) {
      std::this_thread::sleep_for(std::chrono::milliseconds(random() % 30));
      input.inputLatch = static_cast<uint8_t>(random() % 5);
    }
  });

  std::mt19937 random(3);
  const int commands[] = {kCommandNew, kCommandLoad, kCommandStop, kCommandSave};
  const uint32_t keys[] = {kKeyUp, kKeyDown, kKeyLeft, kKeyRight, kKeySpace, 'A', kKeyF5, kKeyF6};
  auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  int issued = 0;
  while (std::chrono::steady_clock::now() < end) {
    std::this_thread::sleep_for(std::chrono::milliseconds(random() % 60));
    runGameCommand(commands[random() % 4]);
    keyboardHookProc(keys[random() % 8]);
    if (random() % 10 == 0) onFocusLost();
    if (random() % 10 == 0) onFocusGained();
    ++issued;
  }
  running = false;
  ticker.join();
  player.join();
  shutDown();
  delete timers;
  platform = Platform{};

  EXPECT_GT(issued, 100);
  EXPECT_EQ(mostGameThreadsAtOnce(), 1);
  EXPECT_FALSE(gameThreadExists());
  EXPECT_EQ(media.openFiles, 0);
  std::filesystem::remove_all(dir);
}
