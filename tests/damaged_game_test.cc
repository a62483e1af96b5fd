// Games over files a game author got wrong: a scene that cannot be opened, a blank move line, a
// checkpoint inside a window, no move file. Every game still ends, the continue offer and game
// over follow the last life, and no message comes back for ever.
#include <algorithm>

#include "scenario_support.h"

class DamagedGame : public ScenarioTest {
 protected:
  void SetUp() override {
    ScenarioTest::SetUp();
    for (const char* base : {"seq02", "seq12"})
      addScene(base, {"40 d1 d1 d1 d1 d1 00"}, {0, 9999}, 130);
    for (const char* base : {"seq01", "seq02", "seq12"}) addClip(std::string(base) + "d1.avi", 20);
    addStandardClips();
  }

  int verdicts() const {
    return static_cast<int>(std::count_if(events().begin(), events().end(), [](const auto& e) {
      return e.rfind("verdict ", 0) == 0;
    }));
  }
};

TEST_P(DamagedGame, NextSceneThatCannotBeOpenedEndsTheGameAfterOneMessage) {
  addScene("seq01", {"40 d1 d1 d1 d1 d1 00"}, {0, 9999}, 130);
  removeClip("seq02.avi");
  removeClip("seq12.avi");
  start();
  runGameCommand(kCommandNew);
  playPerfectly([] { return false; });
  EXPECT_FALSE(virtualGameThreadRunning());
  EXPECT_TRUE(sawEvent("finish"));
  EXPECT_EQ(game.gameActive, 0);
  runFrames(100);
  std::vector<std::string> seen = messages();
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_TRUE(seen[0] == "Error|File: seq02.avi not found." ||
              seen[0] == "Error|File: seq12.avi not found.");
}

TEST_P(DamagedGame, SceneGoneWhenTheContinueRestartsItEndsTheGameAfterOneMessage) {
  addScene("seq01", {"40 d1 d1 d1 d1 d1 00"}, {0, 9999}, 130);
  start();
  runGameCommand(kCommandNew);
  runUntilOpened("cont.avi");
  removeClip("seq01.avi");
  runFrames(5);
  press(kKeyUp);
  runToTheEnd();
  EXPECT_EQ(messages(), std::vector<std::string>{"Error|File: seq01.avi not found."});
  EXPECT_FALSE(opened("seq02.avi 0") || opened("seq12.avi 0"));
  EXPECT_EQ(game.gameActive, 0);
  EXPECT_EQ(playback.aviFile, nullptr);
}

// A blank first line makes a row at frame 12 whose every outcome is the scene itself, and the
// scene runs into that window again each time it is opened as the outcome clip.
TEST_P(DamagedGame, ClipJudgedClipAfterClipTakesNoLifeBeyondTheLast) {
  addScene("seq01", {"", "60 d1 d1 d1 d1 d1 00"}, {0, 9999}, 130);
  start();
  runGameCommand(kCommandNew);
  runToTheEnd();
  EXPECT_EQ(verdicts(), 5);
  EXPECT_TRUE(opened("cont.avi 0"));
  EXPECT_TRUE(opened("gameover.avi 0"));
  EXPECT_EQ(game.lives, -1);
  EXPECT_FALSE(opened("seq02.avi 0") || opened("seq12.avi 0"));
}

// A checkpoint inside the last row's window makes the table's end row the resume row: the clip
// of a death there ends with the rows at the end, which would go on to the next scene.
TEST_P(DamagedGame, LastLifeLostAtTheLastRowStillOffersTheContinue) {
  addScene("seq01", {"40 d1 d1 d1 d1 d1 00"}, {0, 60, 9999}, 130);
  start();
  runGameCommand(kCommandNew);
  game.lives = 1;
  runUntilOpened("seq01d1.avi");
  EXPECT_EQ(game.lives, 0);
  runUntilOpened("cont.avi");
  EXPECT_FALSE(opened("seq02.avi 0") || opened("seq12.avi 0"));
  runToTheEnd();
  EXPECT_TRUE(opened("gameover.avi 0"));
  EXPECT_EQ(game.lives, -1);
}

// Without any move file read there are no moves: the scene plays through unjudged, and the order
// goes on.
TEST_P(DamagedGame, SceneWithoutAnyMoveFilePlaysThroughUnjudged) {
  addClip("seq01.avi", 130);
  forceCoins("1");
  start();
  runGameCommand(kCommandNew);
  runUntilOpened("seq02.avi");
  EXPECT_EQ(verdicts(), 0);
  EXPECT_EQ(game.lives, kStartLives);
  EXPECT_EQ(messages(),
            (std::vector<std::string>{
                "read error|Move file not found", "read error|Hotspot file not found",
                "read error|Move file not found", "read error|Hotspot file not found"}));
}
INSTANTIATE_TEST_SUITE_P(Clocks, DamagedGame, ::testing::Bool(), clockName);
