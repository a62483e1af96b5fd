// Named pipes and devices where the game expects its data files: none of them is read, and none
// is waited on; the game goes on as if the file were missing, and its messages say what it found.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <future>
#include <memory>
#include <thread>

#include "avi_test_support.h"
#include "media/media.h"
#include "test_support.h"

namespace {

// Runs body on a thread of its own and waits for it. A body that waits on a named pipe fails
// the test rather than hang the suite: after a minute the pipes are opened from the other end,
// again and again, so that its open and its reads return, until it has.
void runWithoutWaitingOnPipes(const std::vector<std::string>& pipes,
                              const std::function<void()>& body) {
  std::promise<void> done;
  std::future<void> finished = done.get_future();
  std::thread worker([&] {
    body();
    done.set_value();
  });
  if (finished.wait_for(std::chrono::minutes(1)) != std::future_status::ready) {
    ADD_FAILURE() << "waited on a named pipe";
    while (finished.wait_for(std::chrono::milliseconds(10)) != std::future_status::ready)
      for (const std::string& pipe : pipes)
        if (int fd = open(pipe.c_str(), O_RDWR | O_NONBLOCK); fd >= 0) close(fd);
  }
  worker.join();
}

class SpecialFilesTest : public HeadlessTest {
 protected:
  std::string makePipe(const TempDir& dir, const std::string& name) {
    std::string path = dir.file(name);
    EXPECT_EQ(mkfifo(path.c_str(), 0600), 0) << path;
    pipes.push_back(path);
    return path;
  }

  std::vector<std::string> pipes;
};

TEST_F(SpecialFilesTest, NamedPipesAreTakenForMissingFiles) {
  std::string avi = makePipe(current, "seq01.avi");
  makePipe(install, "seq01.txt");
  makePipe(install, "seq01.hot");
  makePipe(current, "infile.txt");
  makePipe(install, "qvk.sav");
  runWithoutWaitingOnPipes(pipes, [&] {
    EXPECT_EQ(openAviFile(avi.c_str()), nullptr);
    EXPECT_EQ(aviMediaLibrary()->open("seq01.avi"), nullptr);
    EXPECT_EQ(openDataFile(avi), nullptr);
    EXPECT_EQ(openInDirectory(install.path(), "qvk.sav", "rb"), nullptr);
    // The start scene's tables are looked for in both directories, and missed; the messages
    // name both paths and why each failed.
    loadStartScene();
    EXPECT_TRUE(nameEquals(game.sceneFile, "seq01.avi"));
    std::vector<RecordedMessage> seen = window.messagesSeen();
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].text, "Move file not found\n" + install.file("seq01.txt") +
                                ": not a plain file\n" + current.file("seq01.txt") +
                                ": No such file or directory");
    EXPECT_EQ(seen[1].text.substr(0, seen[1].text.find('\n')), "Hotspot file not found");
    // A saved game that cannot be read is said so: a new game.
    game.lives = 1;
    loadGame();
    EXPECT_EQ(game.lives, kStartLives);
    EXPECT_EQ(window.messagesSeen().at(2).text,
              "The saved game cannot be read. A new game starts instead.\n" +
                  install.file("qvk.sav") + ": not a plain file");
  });
}

TEST_F(SpecialFilesTest, DevicesAreNoDataFiles) {
  EXPECT_EQ(openDataFile("/dev/null"), nullptr);
  EXPECT_EQ(openAviFile("/dev/zero"), nullptr);
  EXPECT_EQ(openDataFile(current.path()), nullptr);  // a directory
  current.write("seq01.txt", "10 d1 00 d1 d1 d1 d1\n");
  FILE* file = openDataFile(current.file("seq01.txt"));
  ASSERT_NE(file, nullptr);
  char line[kLineReadSize];
  ASSERT_TRUE(readTextLine(file, line, sizeof line));  // a blocking stream, as before
  EXPECT_STREQ(line, "10 d1 00 d1 d1 d1 d1\n");
  std::fclose(file);
}

TEST_F(SpecialFilesTest, ToolsGoOnPastNamedPipes) {
  for (const char* name : {"demo.avi", "seq01.avi", "seq01.txt", "seq01.hot", "infile.txt"})
    makePipe(current, name);
  runWithoutWaitingOnPipes(pipes, [&] {
    int status = -1;
    std::string out = commandOutput(
        std::string(QVK_PROGRAM_DIR) + "/qvkcheck " + current.path() + " 2>/dev/null", &status);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << out;
    EXPECT_NE(out.find("credits.avi: missing"), std::string::npos) << out;  // went on past them
    out = commandOutput(
        std::string(QVK_PROGRAM_DIR) + "/qvkprobe " + current.file("seq01.avi") + " 2>&1", &status);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << out;
  });
}

}  // namespace
