// Games played through the real start-up, commands, game thread, scene flow and pump, in both
// clock modes.
#include "scenario_support.h"

// seq01 of the worked examples: rows 0 to 6 want the action key, then rows 7 to 9 of the
// examples (frames 282, 302 and 326); checkpoints 0, 250 and 9999.
static const std::vector<std::string> kSeq01 = {"30 d1 d1 d1 d1 d1 00",
                                                "60 d1 d1 d1 d1 d1 00",
                                                "90 d1 d1 d1 d1 d1 00",
                                                "120 d1 d1 d1 d1 d1 00",
                                                "150 d1 d1 d1 d1 d1 00",
                                                "190 d1 d1 d1 d1 d1 00",
                                                "230 d1 d1 d1 d1 d1 00",
                                                "270  d5   d5   d5   d5   d5   00",
                                                "290  d5   t1   d5   d5   00   d5",
                                                "314  d6   d6   d6   d6   t2   00",
                                                "400 d7 d7 d7 d7 d7 00"};

class WorkedExample : public ScenarioTest {
 protected:
  void SetUp() override {
    ScenarioTest::SetUp();
    addScene("seq01", kSeq01, {0, 250, 9999}, 450);
    for (const char* name :
         {"seq01d1.avi", "seq01d5.avi", "seq01d6.avi", "seq01d7.avi", "seq01t1.avi", "seq01t2.avi"})
      addClip(name, 24);
    addStandardClips();
    start();
  }
};

TEST_P(WorkedExample, ObjectTakenThenADeathAndTheResumeAtTheCheckpoint) {
  runGameCommand(kCommandNew);
  EXPECT_EQ(opens().back(), "seq01.avi 0");
  EXPECT_EQ(game.lives, 5);

  // Rows 0 to 7 passed; the clock went past the checkpoint at 250 while row 6 was current.
  playPerfectly([&] { return at("seq01.avi", 300); });
  runUntil("seq01.avi", 305);
  EXPECT_EQ(game.moveIndex, 8);
  EXPECT_EQ(game.hotspotIndex, 1);
  EXPECT_EQ(game.resumeMoveIndex, 7);
  EXPECT_EQ(game.lives, 5);

  // 305: up, the object move of row 8.
  clearEvents();
  press(kKeyUp);
  pass();
  EXPECT_TRUE(judging.objectTaken);
  EXPECT_EQ(judging.decision, kInputUp);
  EXPECT_EQ(judging.objectResumeFrame, 282);
  EXPECT_EQ(judging.objectResumeRow, 8);
  EXPECT_TRUE(sawEvent("beep good"));

  // 314: the verdict credits a life and the object clip takes it back.
  runUntilOpened("seq01t1.avi");
  EXPECT_TRUE(sawEvent("verdict 8 3"));
  EXPECT_EQ(livesAtOpen("seq01t1.avi"), 6);
  EXPECT_EQ(game.lives, 5);
  EXPECT_EQ(judging.objectRow, 8);
  EXPECT_TRUE(judging.outcomeClipPlaying);

  // The end of the object clip resumes the scene where row 7's window closed, row 8 current.
  runUntilOpened("seq01.avi");
  EXPECT_EQ(opens().back(), "seq01.avi 282");
  EXPECT_EQ(game.moveIndex, 8);
  EXPECT_FALSE(judging.objectTaken);
  EXPECT_EQ(judging.decision, kDecisionNoMove);

  // 309: right, the correct move; the object was taken at this row, so nothing is missed.
  runUntil("seq01.avi", 309);
  clearEvents();
  press(kKeyRight);
  pass();
  EXPECT_EQ(judging.decision, kDecisionCorrect);
  EXPECT_TRUE(sawEvent("beep good"));
  runUntil("seq01.avi", 315);
  EXPECT_EQ(game.moveIndex, 9);
  EXPECT_TRUE(missed().empty());
  EXPECT_EQ(opens(), std::vector<std::string>{});

  // No move at row 9: at 338 its miss clip, a life, and the row of the last checkpoint.
  runUntilOpened("seq01d6.avi");
  EXPECT_TRUE(sawEvent("verdict 9 100"));
  EXPECT_EQ(opens().back(), "seq01d6.avi 0");
  EXPECT_EQ(game.lives, 4);
  EXPECT_EQ(judging.objectRow, kNoObjectRow);
  EXPECT_EQ(game.moveIndex, 7);
  EXPECT_TRUE(judging.outcomeClipPlaying);

  // The death clip's end: the lives clip. Its end: the scene again at the checkpoint.
  runUntilOpened("4lives.avi");
  EXPECT_FALSE(judging.outcomeClipPlaying);
  runUntilOpened("seq01.avi");
  EXPECT_EQ(opens().back(), "seq01.avi 250");
  EXPECT_EQ(game.moveIndex, 7);
  EXPECT_EQ(game.lives, 4);
}

// An object is taken once: taking it again on the row already credited is the row's miss.
TEST_P(WorkedExample, TakingTheObjectAgainOnTheCreditedRowIsAMiss) {
  runGameCommand(kCommandNew);
  playPerfectly([&] { return at("seq01.avi", 300); });
  runUntil("seq01.avi", 305);
  press(kKeyUp);
  runUntilOpened("seq01t1.avi");
  runUntilOpened("seq01.avi");
  ASSERT_EQ(judging.objectRow, 8);

  runUntil("seq01.avi", 305);
  clearEvents();
  press(kKeyUp);
  runUntilOpened("seq01d5.avi");
  EXPECT_TRUE(sawEvent("verdict 8 3"));
  EXPECT_EQ(livesAtOpen("seq01d5.avi"), 5);  // no life credited the second time
  EXPECT_EQ(game.lives, 4);
  EXPECT_FALSE(opened("seq01t1.avi 0"));
}

TEST_P(WorkedExample, RightAtRowEightMissesTheObject) {
  runGameCommand(kCommandNew);
  playPerfectly([&] { return at("seq01.avi", 300); });
  runUntil("seq01.avi", 305);
  press(kKeyRight);
  pass();
  EXPECT_EQ(missed(), "seq01.avi");
  // A death in the same scene forgets it again.
  runUntilOpened("seq01d6.avi");
  EXPECT_TRUE(missed().empty());
}

// Input between windows only beeps; in a window the last decision counts.
TEST_P(WorkedExample, WrongThenCorrectPassesAndCorrectThenWrongDies) {
  runGameCommand(kCommandNew);
  runUntil("seq01.avi", 20);
  clearEvents();
  press(kKeyUp);
  pass();
  EXPECT_TRUE(sawEvent("beep bad"));
  EXPECT_EQ(judging.decision, kDecisionNoMove);

  runUntil("seq01.avi", 43);  // row 0's window: 42 to 54
  clearEvents();
  press(kKeyLeft);
  pass();
  EXPECT_TRUE(sawEvent("beep bad"));
  runFrames(2);
  press(kKeySpace);
  runUntil("seq01.avi", 56);
  EXPECT_EQ(game.moveIndex, 1);
  EXPECT_EQ(game.lives, 5);

  runUntil("seq01.avi", 73);  // row 1: 72 to 84
  press(kKeySpace);
  runFrames(2);
  press(kKeyLeft);
  runUntilOpened("seq01d1.avi");
  EXPECT_TRUE(sawEvent("verdict 1 1"));
  EXPECT_EQ(game.lives, 4);
}

// Without the focus the window has no key handler: a key goes nowhere. It neither ends the demo
// nor beeps, switches judging or takes a verdict; with the focus back, the window is judged on.
TEST_P(WorkedExample, KeysWithoutTheFocusReachNothing) {
  attractTick();
  onFocusLost();
  press('A');
  runFrames(2);
  EXPECT_EQ(game.demoActive, 1);
  onFocusGained();

  runGameCommand(kCommandNew);
  runUntil("seq01.avi", 43);  // row 0's window: 42 to 54
  onFocusLost();
  clearEvents();
  for (uint32_t key : {kKeyUp, kKeySpace, kKeyF5}) press(key);
  runFrames(2);
  EXPECT_EQ(events(), std::vector<std::string>{});
  EXPECT_EQ(game.judgingOff, 0);
  onFocusGained();
  runUntilOpened("seq01d1.avi");
  EXPECT_TRUE(sawEvent("verdict 0 100"));
}

// The game thread falls behind: the clock passes the window's last frame between two passes.
TEST_P(WorkedExample, APassThatComesLateStillTakesTheVerdict) {
  runGameCommand(kCommandNew);
  runUntil("seq01.avi", 52);  // row 0's window: 42 to 54
  clearEvents();
  if (soundClock()) {
    session->sound.advance(3 * 3675);
  } else {
    session->timers.advance(3 * 83);
  }
  runFrames(1);
  EXPECT_TRUE(sawEvent("verdict 0 100"));
  EXPECT_TRUE(opened("seq01d1.avi 0"));
  EXPECT_EQ(game.lives, 4);
}

// The title says so while judging is off in a game.
TEST_P(WorkedExample, JudgingOffWithF5AndOnWithF6) {
  runGameCommand(kCommandNew);
  press(kKeyF5);
  EXPECT_EQ(game.judgingOff, 1);
  EXPECT_TRUE(sawEvent("beep good"));
  EXPECT_EQ(session->window.statusShown(), "Judging off");
  runUntil("seq01.avi", 200);  // four windows pass without a move
  EXPECT_EQ(game.lives, 5);
  EXPECT_TRUE(opens().size() == 2u);  // the demo at start-up and the scene
  press(kKeyF6);
  EXPECT_EQ(game.judgingOff, 0);
  EXPECT_EQ(session->window.statusShown(), "");
  // Row advance went on while judging was off; the next window is judged again.
  runUntilOpened("seq01d1.avi");
  EXPECT_EQ(game.lives, 4);
}

// A menu opened just before row 0's window (42 to 54) holds the game as long as it is open: the
// picture, the clock and the window stand still, and a key pressed meanwhile is dropped, not
// judged later. Once it closes the window opens and its move is judged as ever.
TEST_P(WorkedExample, AnOpenMenuHoldsTheWindowAndDropsItsKeys) {
  runGameCommand(kCommandNew);
  runUntil("seq01.avi", 40);
  int32_t frame = playback.currentFrame;
  setMenuOpen(true);
  clearEvents();
  press(kKeyUp);  // wrong for row 0
  runFrames(12 * 30);
  EXPECT_EQ(playback.currentFrame, frame);
  EXPECT_EQ(game.moveIndex, 0);
  setMenuOpen(false);
  runUntil("seq01.avi", 45);
  press(kKeySpace);
  runUntil("seq01.avi", 60);
  EXPECT_EQ(events().front(), "beep good");  // the first beep: the up key was never judged
  EXPECT_TRUE(sawEvent("verdict 0 101"));
  EXPECT_EQ(game.moveIndex, 1);
  EXPECT_EQ(game.lives, 5);
}

// The pause key holds a game until it is pressed again, whatever the focus does meanwhile, and
// the title says "Paused". It does nothing on the title, and a game that starts is not paused.
TEST_P(WorkedExample, ThePauseKeyHoldsTheGameUntilPressedAgain) {
  pauseKey();
  EXPECT_FALSE(isHeld(kHoldPaused));
  runGameCommand(kCommandNew);
  runUntil("seq01.avi", 20);
  pauseKey();
  EXPECT_EQ(session->window.statusShown(), "Paused");
  int32_t frame = playback.currentFrame;
  onFocusLost();
  runFrames(24);
  onFocusGained();
  runFrames(24);
  EXPECT_EQ(playback.currentFrame, frame);
  if (soundClock()) {
    EXPECT_FALSE(static_cast<VirtualSoundBuffer*>(playback.streamBuffer)->playing);
  }
  pauseKey();
  runFrames(24);
  EXPECT_GT(playback.currentFrame, frame);
  EXPECT_EQ(session->window.statusShown(), "");

  pauseKey();
  runGameCommand(kCommandNew);
  EXPECT_FALSE(isHeld(kHoldPaused));
  runFrames(24);
  EXPECT_GT(playback.currentFrame, 0);
}

INSTANTIATE_TEST_SUITE_P(Clocks, WorkedExample, ::testing::Bool(), clockName);
