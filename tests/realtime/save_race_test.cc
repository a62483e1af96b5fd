// Two players saving into one install directory at once (two windows, or the game and qvksim),
// as two processes: every save succeeds, the saved game is one whole record whenever it is
// read, and no temporary file stays behind.
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "game/game.h"
#include "platform/headless.h"

namespace {

constexpr int kSavesEach = 300;

std::string readSaveFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// Saves the game with lives again and again; the exit status is 0 when no save was reported as
// failed.
pid_t startSaver(int32_t lives, HeadlessWindow* window) {
  pid_t pid = fork();
  if (pid != 0) return pid;
  game.lives = lives;
  for (int i = 0; i < kSavesEach; ++i) saveGame();
  _exit(window->messagesSeen().empty() ? 0 : 1);
}

}  // namespace

TEST(SaveRace, TwoSaversNeverLeaveAPartRecordOrReportAFailure) {
  char dirTemplate[] = "/tmp/qvk-save-race-XXXXXX";
  ASSERT_NE(mkdtemp(dirTemplate), nullptr);
  const std::string dir = dirTemplate, path = dir + "/qvk.sav";
  HeadlessWindow window;
  platform = Platform{};
  platform.directories.install = dir;
  platform.window = &window;
  writeName(game.sceneFile, "seq02.avi");

  // The two records the savers write, one with 3 lives and one with 4.
  std::string records[2];
  for (int i = 0; i < 2; ++i) {
    game.lives = 3 + i;
    saveGame();
    records[i] = readSaveFile(path);
  }
  ASSERT_NE(records[0], records[1]);

  pid_t savers[2] = {startSaver(3, &window), startSaver(4, &window)};
  int running = 2, reads = 0, partial = 0, status[2] = {-1, -1};
  while (running > 0) {
    std::string read = readSaveFile(path);
    ++reads;
    if (read != records[0] && read != records[1]) ++partial;
    for (int i = 0; i < 2; ++i) {
      if (savers[i] > 0 && waitpid(savers[i], &status[i], WNOHANG) == savers[i]) {
        savers[i] = 0;
        --running;
      }
    }
  }
  EXPECT_EQ(partial, 0) << "of " << reads << " reads";
  for (int s : status) EXPECT_TRUE(WIFEXITED(s) && WEXITSTATUS(s) == 0) << "status " << s;
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(dir))
    names.push_back(entry.path().filename());
  EXPECT_EQ(names, std::vector<std::string>{"qvk.sav"});

  platform = Platform{};
  std::filesystem::remove_all(dir);
}
