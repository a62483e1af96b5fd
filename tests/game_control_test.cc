// The commands and the attract mode against message boxes: a box the player answers late, while
// the attract timer falls due, and clips that cannot be opened.
#include <algorithm>
#include <cstdio>

#include "scenario_support.h"

// While a message box is open, virtual time runs on by this much: the player answers late. The
// box's window loop runs what falls due meanwhile, as the real window's loop does.
static HeadlessSession* lateSession = nullptr;
static uint64_t lateAnswerMs = 0;
static void answerLate(const char*, const char*) {
  lateSession->timers.advance(lateAnswerMs);
}

class CommandBoxes : public ScenarioTest {
 protected:
  void SetUp() override {
    ScenarioTest::SetUp();
    addScene("seq01", {"40 d1 d1 d1 d1 d1 00"}, {0, 9999}, 130);
    addClip("seq01d1.avi", 20);
    addStandardClips();
  }
  void TearDown() override {
    session->window.onMessage = nullptr;
    lateSession = nullptr;
    ScenarioTest::TearDown();
  }

  // From now on every box stays open for ms of virtual time.
  void answerBoxesAfter(uint64_t ms) {
    lateSession = session.get();
    lateAnswerMs = ms;
    session->window.onMessage = answerLate;
  }

  uint64_t nextAttractLookMs() {
    for (const PendingTimer& timer : session->timers.pending())
      if (timer.id == game.attractTimerId) return timer.dueMs - session->timers.now();
    return 0;
  }
};

TEST_P(CommandBoxes, DemoDueWhileNewWaitsForItsBoxStartsNoSecondThread) {
  std::remove(gameDir.file("seq01.hot").c_str());
  start();
  clearEvents();
  answerBoxesAfter(12000);  // the attract timer falls due 10 s after start-up
  runGameCommand(kCommandNew);
  EXPECT_EQ(messages().back(), "read error|Hotspot file not found");
  EXPECT_FALSE(opened("demo.avi 0"));
  EXPECT_EQ(std::count(events().begin(), events().end(), "thread start"), 1);
  EXPECT_EQ(opens(), std::vector<std::string>{"seq01.avi 0"});
  EXPECT_EQ(game.demoActive, 0);
  ASSERT_TRUE(virtualGameThreadRunning());
  // The tick looks again ten seconds later; it finds the game and leaves it alone.
  EXPECT_EQ(nextAttractLookMs(), 8000u);
  runFrames(120);
  EXPECT_EQ(nextAttractLookMs() + session->timers.now(), 120000u);
  EXPECT_FALSE(opened("demo.avi 0"));
  EXPECT_EQ(game.demoActive, 0);
}

// A clip that cannot be opened is not played: its message once, then the title.
TEST_P(CommandBoxes, LoadOrNewOfAMissingSceneShowsItsMessageOnce) {
  {
    const char* scene = "seq05.avi";  // a scene of the game whose clip is gone
    std::string record = std::string(15, '\0') + std::string("\3\0\0\0", 4) + scene;
    record += std::string(50 - record.size(), '\0');
    installDir.write("qvk.sav", record);
    start();
    session->window.clear();
    runGameCommand(kCommandLoad);
    std::vector<std::string> seen = messages();
    EXPECT_EQ(
        std::count(seen.begin(), seen.end(), "Error|File: " + std::string(scene) + " not found."),
        1)
        << scene;
    EXPECT_FALSE(virtualGameThreadRunning());
    EXPECT_EQ(game.gameActive, 0);
    EXPECT_EQ(playback.aviFile, nullptr);
    EXPECT_GE(session->window.invalidations, 1);  // the title is painted again
    runFrames(100);
    EXPECT_EQ(messages(), seen) << scene;
    EXPECT_EQ(installDir.read("qvk.sav"), record);  // the saved game is left as it is
    closeHeadlessSession(*session);
  }
  // New without the first scene, the same.
  removeClip("seq01.avi");
  start();
  session->window.clear();
  runGameCommand(kCommandNew);
  runFrames(100);
  EXPECT_EQ(messages(), std::vector<std::string>{"Error|File: seq01.avi not found."});
  EXPECT_EQ(
      session->window.messagesSeen().back().text,
      "File: seq01.avi not found.\n" + gameDir.file("seq01.avi") + ": No such file or directory");
  EXPECT_FALSE(virtualGameThreadRunning());
  EXPECT_EQ(game.gameActive, 0);
}

// Without its clip there is no demo, and its message does not come back every ten seconds.
TEST_P(CommandBoxes, AttractModeWithoutTheDemoClip) {
  removeClip("demo.avi");
  start();
  EXPECT_EQ(messages(), std::vector<std::string>{"Error|File: demo.avi not found."});
  runFrames(12 * 60);  // a minute
  EXPECT_EQ(messages().size(), 2u);
  EXPECT_FALSE(virtualGameThreadRunning());
  EXPECT_EQ(game.gameActive, 0);
  EXPECT_EQ(game.demoActive, 0);
  EXPECT_EQ(nextAttractLookMs() + session->timers.now(), 110000u);
}

// Save on the title or during the demo would put the saved game back to the first scene: it
// writes nothing and says why. During a game it saves, and the title says so for three seconds.
TEST_P(CommandBoxes, SaveWithoutAGameKeepsTheSavedGame) {
  std::string saved = std::string(15, '\0') + std::string("\3\0\0\0", 4) + "seq05.avi";
  saved += std::string(50 - saved.size(), '\0');
  installDir.write("qvk.sav", saved);
  start();
  runGameCommand(kCommandSave);
  attractTick();
  ASSERT_EQ(game.demoActive, 1);
  runGameCommand(kCommandSave);
  EXPECT_EQ(installDir.read("qvk.sav"), saved);
  EXPECT_EQ(messages(), std::vector<std::string>(2,
                                                 "Save|There is no game to save: nothing was "
                                                 "written, and the saved game is kept as it is."));
  EXPECT_EQ(session->window.statusShown(), "");

  runGameCommand(kCommandNew);
  runFrames(12);
  runGameCommand(kCommandSave);
  EXPECT_EQ(installDir.read("qvk.sav").substr(19, 9), "seq01.avi");
  EXPECT_EQ(session->window.statusShown(), "Game saved");
  runFrames(35);
  EXPECT_EQ(session->window.statusShown(), "Game saved");
  runFrames(2);
  EXPECT_EQ(session->window.statusShown(), "");
  EXPECT_EQ(messages().size(), 2u);
}

INSTANTIATE_TEST_SUITE_P(Clocks, CommandBoxes, ::testing::Bool(), clockName);
