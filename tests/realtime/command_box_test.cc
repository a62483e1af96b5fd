// A real game thread and a command whose message box is answered late: the attract timer falls
// due while the box is open, and its tick runs in the box's window loop on the command's own
// thread. The command still starts the only game thread, and nothing ends the program.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "game/game.h"
#include "game/headless_session.h"

static HeadlessTimers* lateTimers = nullptr;
static std::atomic<int> demoOpens{0};
static void countDemoOpens(const char* line) {
  if (line && std::strcmp(line, "open demo.avi 0") == 0) ++demoOpens;
}
static void answerLate(const char*, const char*) {
  lateTimers->advance(12000);  // the attract timer falls due 10 s after start-up
}

TEST(CommandBoxes, DemoDueWhileNewWaitsForItsBoxStartsNoSecondThread) {
  std::filesystem::path dir = std::filesystem::temp_directory_path() / "qvk-command-box";
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir / "install");
  std::ofstream(dir / "seq01.txt", std::ios::binary) << "40 d1 d1 d1 d1 d1 00\r\n";  // no .hot

  HeadlessSession session;
  session.soundClock = false;
  session.virtualMedia.addClip("demo.avi", 30);
  session.virtualMedia.addClip("seq01.avi", 200);
  openHeadlessSession(session, dir.string(), (dir / "install").string(), nullptr);
  platform.virtualGameThread = false;  // the game thread is a real one

  lateTimers = &session.timers;
  session.window.onMessage = answerLate;
  traceHook = countDemoOpens;
  runGameCommand(kCommandNew);
  session.window.onMessage = nullptr;

  EXPECT_EQ(demoOpens, 0);  // the demo did not start in the middle of the command
  EXPECT_TRUE(gameThreadExists());
  EXPECT_EQ(game.demoActive, 0);
  EXPECT_EQ(game.gameActive, 1);
  EXPECT_STREQ(playback.openClipName, "seq01.avi");
  closeHeadlessSession(session);
  traceHook = nullptr;  // the game thread that calls it has been joined
  EXPECT_EQ(mostGameThreadsAtOnce(), 1);
  EXPECT_FALSE(gameThreadExists());
  EXPECT_EQ(session.virtualMedia.openFiles, 0);
  std::filesystem::remove_all(dir);
}
