// Whole games: the scene order to the credits, the fifth death, the missed-object replay, the
// demo, saved games, in both clock modes.
#include "scenario_support.h"

// A small game: every scene has two rows that want the action key, at triggers 40 and 90, and
// a checkpoint between them; seq03 and seq13 offer an object (up) at their second row. (Row 0
// cannot offer an object that counts as missed: the row of the last object taken starts at 0.)
class GameFlow : public ScenarioTest {
 protected:
  void SetUp() override {
    ScenarioTest::SetUp();
    for (std::string base : {"seq01", "seq02", "seq03", "seq04", "seq05", "seq06", "seq07", "seq08",
                             "seq12", "seq13", "seq14", "seq15", "seq16", "seq17"}) {
      bool object = base == "seq03" || base == "seq13";
      addScene(base,
               {"40 d1 d1 d1 d1 d1 00", object ? "90 d2 t1 d2 d2 d2 00" : "90 d2 d2 d2 d2 d2 00"},
               {0, 70, 9999}, 130);
      for (const char* clip : {"d1.avi", "d2.avi", "t1.avi"}) addClip(base + clip, 20);
    }
    addStandardClips();
  }

  std::vector<std::string> scenesOpenedAtTheirStart() {
    std::vector<std::string> out;
    for (const std::string& open : opens())
      if (open.rfind("seq", 0) == 0 && open.size() == 11 && open.substr(9) == " 0")
        out.push_back(open.substr(0, 5));
    return out;
  }
};

TEST_P(GameFlow, PerfectGameFollowsTheCoinsToTheCreditsAndEnds) {
  forceCoins("10011");
  start();
  runGameCommand(kCommandNew);
  playPerfectly([] { return false; });
  EXPECT_FALSE(virtualGameThreadRunning());
  std::vector<std::string> scenes = scenesOpenedAtTheirStart();
  ASSERT_EQ(scenes.size(), 8u);
  EXPECT_EQ(std::vector<std::string>(scenes.begin(), scenes.begin() + 6),
            (std::vector<std::string>{"seq01", "seq02", "seq13", "seq14", "seq05", "seq06"}));
  EXPECT_TRUE(scenes[6] == "seq07" || scenes[6] == "seq17");
  EXPECT_EQ(scenes[7], "seq08");
  EXPECT_EQ(opens().back(), "credits.avi 0");
  EXPECT_TRUE(sawEvent("finish"));
  // After the credits: seq01's tables, the demo as the scene, judging off, nothing running.
  EXPECT_EQ(scene(), "demo.avi");
  EXPECT_EQ(game.judgingOff, 1);
  EXPECT_EQ(game.lives, 5);
  EXPECT_EQ(game.gameActive, 0);
  EXPECT_EQ(game.demoActive, 0);
  EXPECT_EQ(game.moveTable[0].frame, 52);
  EXPECT_TRUE(missed().empty());
}

TEST_P(GameFlow, FifthDeathOffersContinueAndAKeyRestartsTheScene) {
  start();
  runGameCommand(kCommandNew);
  for (int death = 1; death <= 5; ++death) runUntilOpened("seq01d1.avi");
  EXPECT_EQ(game.lives, 0);
  runUntilOpened("cont.avi");
  EXPECT_EQ(game.lives, -1);
  EXPECT_EQ(game.continueOffered, 1);
  for (const char* lives : {"4lives.avi 0", "3lives.avi 0", "2lives.avi 0", "1lives.avi 0"})
    EXPECT_TRUE(opened(lives)) << lives;

  runFrames(5);
  clearEvents();
  press(kKeyDown);
  pass();
  EXPECT_EQ(opens(), std::vector<std::string>{"seq01.avi 0"});
  EXPECT_FALSE(sawEvent("beep bad"));  // the continue check took the input
  EXPECT_EQ(game.lives, 5);
  EXPECT_EQ(game.continueOffered, 0);
  EXPECT_EQ(game.moveIndex, 0);
}

TEST_P(GameFlow, FifthDeathWithoutAKeyIsGameOver) {
  start();
  runGameCommand(kCommandNew);
  game.displayMode = kDisplayFullScreen;
  runUntilOpened("cont.avi");
  runUntilOpened("gameover.avi");
  EXPECT_TRUE(judging.gameOverPlaying);
  runToTheEnd();
  EXPECT_TRUE(sawEvent("finish"));
  EXPECT_EQ(game.lives, -1);
  EXPECT_EQ(game.gameActive, 0);
  EXPECT_EQ(game.displayMode, kDisplayWindowed);  // back from full screen
  EXPECT_GE(session->window.invalidations, 1);
}

// The missed scene is the first in which an object was passed by: seq04 offers one too.
TEST_P(GameFlow, MissedObjectBringsItsSceneBackAfterTheSixthScene) {
  addScene("seq04", {"40 d1 d1 d1 d1 d1 00", "90 d2 t1 d2 d2 d2 00"}, {0, 70, 9999}, 130);
  forceCoins("11111");
  start();
  runGameCommand(kCommandNew);
  takeObjects = false;
  playPerfectly([&] { return !missed().empty(); });  // the correct move passes the object by
  EXPECT_EQ(missed(), "seq03.avi");
  playPerfectly([&] { return opened("missed.avi 0"); });
  EXPECT_TRUE(opened("seq04.avi 0"));
  EXPECT_EQ(scene(), "seq03.avi");
  EXPECT_EQ(opens().back(), "seq03.avi 0");
  EXPECT_TRUE(missed().empty());
  // After the replay the order goes on from seq03.
  takeObjects = true;
  clearEvents();
  playPerfectly([&] {
    return !opens().empty() && opens().back().rfind("seq0", 0) != 0 &&
           opens().back().rfind("seq1", 0) != 0;
  });
  std::vector<std::string> scenes = scenesOpenedAtTheirStart();
  ASSERT_GE(scenes.size(), 4u);
  EXPECT_TRUE(scenes[0] == "seq04" || scenes[0] == "seq14");
}

// A clip that ends in a window, before its verdict, leaves nothing of it to the next: seq02 opens
// at its first checkpoint, past its first window, whose row is passed unjudged like any row
// before a checkpoint.
TEST_P(GameFlow, AWindowOpenWhenItsSceneEndsIsNotJudgedInTheNext) {
  addScene("seq01", {"40 d1 d1 d1 d1 d1 00"}, {0, 9999}, 58);  // ends in its window, 52 to 64
  addScene("seq02", {"40 d1 d1 d1 d1 d1 00", "90 d2 d2 d2 d2 d2 00"}, {70, 9999}, 130);
  forceCoins("11");
  start();
  runGameCommand(kCommandNew);
  runUntilOpened("seq02.avi");
  EXPECT_EQ(opens().back(), "seq02.avi 70");
  playPerfectly([&] { return opened("seq03.avi 0"); });
  EXPECT_FALSE(opened("seq02d1.avi 0"));
  EXPECT_EQ(game.lives, 5);
}

// Every scene before the seventh can be the missed one; a name outside the list replays nothing.
TEST_P(GameFlow, EveryReplayableSceneComesBackAfterTheSixthScene) {
  start();
  for (const char* scene :
       {"seq01.avi", "seq02.avi", "seq12.avi", "seq03.avi", "seq13.avi", "seq04.avi", "seq14.avi",
        "seq05.avi", "seq15.avi", "seq06.avi", "seq16.avi"}) {
    for (const char* ending : {"seq06.avi", "seq16.avi"}) {
      writeName(game.sceneFile, "seq06.avi");
      writeName(game.missedScene, scene);
      copyText(playback.openClipName, kClipNameSize, ending);
      advanceScene();
      EXPECT_EQ(this->scene(), scene) << ending;
      EXPECT_TRUE(missed().empty());
      EXPECT_STREQ(playback.openClipName, "missed.avi");
    }
  }
  writeName(game.sceneFile, "seq06.avi");
  writeName(game.missedScene, "seq07.avi");
  copyText(playback.openClipName, kClipNameSize, "seq06.avi");
  advanceScene();
  EXPECT_EQ(scene(), "seq06.avi");
  EXPECT_TRUE(missed().empty());
}

// The title is a still picture: nothing but the attract timer waits there, neither after the
// start-up nor after a demo that played on the FrameTimer.
TEST_P(GameFlow, DemoStartsTenSecondsAfterStartUpAndEndsOnAnyKey) {
  auto onlyTheAttractTimer = [&] {
    std::vector<TimerId> pending;
    for (const PendingTimer& timer : session->timers.pending()) pending.push_back(timer.id);
    return pending == std::vector<TimerId>{game.attractTimerId};
  };
  start();
  EXPECT_EQ(opens(), std::vector<std::string>{"demo.avi 0"});
  EXPECT_TRUE(onlyTheAttractTimer());
  runFrames(118);  // just under ten seconds
  EXPECT_FALSE(virtualGameThreadRunning());
  runFrames(3);
  ASSERT_TRUE(virtualGameThreadRunning());
  EXPECT_EQ(game.demoActive, 1);
  EXPECT_EQ(game.gameActive, 1);
  EXPECT_EQ(opens().back(), "demo.avi 0");
  runFrames(5);
  press('Q');  // any key at all
  pass();
  EXPECT_FALSE(virtualGameThreadRunning());
  EXPECT_EQ(game.demoActive, 0);
  EXPECT_EQ(game.gameActive, 0);
  EXPECT_TRUE(sawEvent("close"));
  EXPECT_EQ(playback.aviFile, nullptr);
  EXPECT_TRUE(onlyTheAttractTimer());
}

TEST_P(GameFlow, NewWhileTheDemoRuns) {
  start();
  attractTick();
  ASSERT_EQ(game.demoActive, 1);
  runFrames(10);
  runGameCommand(kCommandNew);
  EXPECT_EQ(game.demoActive, 0);
  EXPECT_EQ(game.gameActive, 1);
  EXPECT_EQ(opens().back(), "seq01.avi 0");
  EXPECT_EQ(game.lives, 5);
  EXPECT_TRUE(virtualGameThreadRunning());
  playPerfectly([&] { return at("seq01.avi", 66); });
  EXPECT_EQ(game.moveIndex, 1);
}

TEST_P(GameFlow, SaveAndLoadInTheMiddleOfAScene) {
  forceCoins("1");
  start();
  runGameCommand(kCommandNew);
  playPerfectly([&] { return at("seq02.avi", 80); });  // past seq02's checkpoint at 70
  EXPECT_EQ(game.hotspotIndex, 1);
  runGameCommand(kCommandSave);
  EXPECT_TRUE(installDir.exists("qvk.sav"));
  EXPECT_TRUE(virtualGameThreadRunning());  // the game goes on
  runUntilOpened("seq02d2.avi");            // and dies at row 1
  EXPECT_EQ(game.lives, 4);

  clearEvents();
  runGameCommand(kCommandLoad);
  EXPECT_EQ(opens(), std::vector<std::string>{"seq02.avi 70"});
  EXPECT_EQ(game.lives, 5);
  EXPECT_EQ(game.moveIndex, 1);  // the row after the checkpoint
  EXPECT_EQ(game.hotspotIndex, 1);
  EXPECT_EQ(scene(), "seq02.avi");
  playPerfectly([&] { return !opens().empty() && opens().back().rfind("seq03", 0) == 0; });
  EXPECT_EQ(game.lives, 5);
}

// A game goes on only in a scene or the credits. A saved game naming any other clip would
// open it again at its own end, for ever: it is reported once, and a new game starts.
TEST_P(GameFlow, LoadOfAClipThatIsNoSceneStartsANewGame) {
  start();
  size_t shown = 0;
  for (const char* name : {"gameover.avi", "cont.avi", "4lives.avi", "missed.avi", "seq01d1.avi",
                           "demo.avi", "SEQ02.AVI", "../../etc/pass", ""}) {
    writeName(game.sceneFile, name);
    game.lives = 2;
    runGameCommand(kCommandSave);
    clearEvents();
    runGameCommand(kCommandLoad);
    EXPECT_EQ(opens(), std::vector<std::string>{"seq01.avi 0"}) << name;
    EXPECT_EQ(game.lives, 5);
    ASSERT_EQ(messages().size(), ++shown) << name;
    EXPECT_EQ(messages().back(), std::string("Damaged saved game|The saved game is damaged: \"") +
                                     name +
                                     "\" is not a scene of the game. A new game starts instead.");
  }
  writeName(game.sceneFile, "seq12.avi");  // a mirror image is a scene
  runGameCommand(kCommandSave);
  clearEvents();
  runGameCommand(kCommandLoad);
  EXPECT_EQ(opens(), std::vector<std::string>{"seq12.avi 0"});
  EXPECT_EQ(messages().size(), shown);
}

TEST_P(GameFlow, StopEndsTheGameAndReleasesTheClip) {
  start();
  runGameCommand(kCommandNew);
  runFrames(20);
  game.displayMode = kDisplayFullScreen;
  runGameCommand(kCommandStop);
  EXPECT_FALSE(virtualGameThreadRunning());
  EXPECT_EQ(playback.aviFile, nullptr);
  EXPECT_EQ(game.gameActive, 0);
  EXPECT_EQ(session->window.resetsToWindowed, 1);
  EXPECT_EQ(game.displayMode, kDisplayWindowed);
  // Stop while idle just releases what is open and repaints.
  runGameCommand(kCommandStop);
  EXPECT_EQ(session->window.resetsToWindowed, 1);
}

TEST_P(GameFlow, StartSceneFromInfile) {
  gameDir.write("infile.txt", "seq05.avi and more\r\n");
  start();
  EXPECT_EQ(scene(), "seq05.avi");
  EXPECT_EQ(game.moveTable[0].frame, 52);
  // The start scene stays current until New: a save stores it.
  runGameCommand(kCommandSave);
  EXPECT_EQ(installDir.read("qvk.sav").substr(19, 9), "seq05.avi");

  // Any other clip would be what that save stores, and no game can go on in it.
  gameDir.write("infile.txt", "gameover.avi\r\n");
  loadStartScene();
  EXPECT_EQ(scene(), "seq01.avi");
  EXPECT_EQ(messages(), std::vector<std::string>{
                            "read error|infile.txt names \"gameover.avi\", which is not a scene of "
                            "the game. The game starts with seq01.avi instead."});
}

// Losing the focus pauses the game at any moment, in the middle of a clip's open too: the open
// ends without starting the sound, nothing moves until the focus comes back, and then the scene
// plays on.
TEST_P(GameFlow, FocusLostBeforeTheOpenEndsKeepsTheGamePaused) {
  start();
  onFocusGained();
  onFocusLost();
  runGameCommand(kCommandNew);
  if (soundClock()) {
    EXPECT_FALSE(static_cast<VirtualSoundBuffer*>(playback.streamBuffer)->playing);
  }
  runFrames(1);
  int32_t frame = playback.currentFrame;
  runFrames(30);
  EXPECT_EQ(playback.currentFrame, frame);
  onFocusGained();
  runFrames(30);
  EXPECT_GE(playback.currentFrame, frame + 29);
  EXPECT_EQ(clip(), "seq01.avi");
}

INSTANTIATE_TEST_SUITE_P(Clocks, GameFlow, ::testing::Bool(), clockName);

// The row of the object taken last belongs to its scene: taking an object on the same row
// number of the next scene, or on a first row, is an object like any other.
TEST_P(GameFlow, ObjectsOnTheFirstRowAndOnRowsUsedBeforeCanBeTaken) {
  addScene("seq02", {"40 d1 00 d1 d1 d1 t1", "90 d2 d2 d2 d2 d2 00"}, {0, 70, 9999}, 130);
  addScene("seq01", {"40 d1 d1 d1 d1 d1 00", "90 d2 t1 d2 d2 d2 00"}, {0, 70, 9999}, 130);
  addScene("seq03", {"40 d1 d1 d1 d1 d1 00", "90 d2 t1 d2 d2 d2 00"}, {0, 70, 9999}, 130);
  forceCoins("111");
  start();
  runGameCommand(kCommandNew);
  playPerfectly([&] { return opened("seq04.avi 0"); });
  EXPECT_TRUE(opened("seq01t1.avi 0"));
  EXPECT_TRUE(opened("seq02t1.avi 0"));  // on the first row
  EXPECT_TRUE(opened("seq03t1.avi 0"));  // on row 1 again, one scene after seq01's
  EXPECT_EQ(game.lives, 5);
  EXPECT_TRUE(missed().empty());
}
