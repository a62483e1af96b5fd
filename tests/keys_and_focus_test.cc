#include "test_support.h"

// Scripted hook operations: each answers what the test says and counts its calls.
static bool installAnswer = true;
static bool removeAnswer = true;
static int installCalls = 0;
static int removeCalls = 0;

class KeysAndFocusTest : public HeadlessTest {
 protected:
  void SetUp() override {
    HeadlessTest::SetUp();
    keyboardHook = KeyboardHook{};
    installAnswer = removeAnswer = true;
    installCalls = removeCalls = 0;
  }
  void TearDown() override {
    keyboardHook = KeyboardHook{};
    playback.goodBeep = nullptr;
    playback.streamBuffer = nullptr;
    HeadlessTest::TearDown();
  }
  void scriptHook() {
    keyboardHook.install = [] {
      ++installCalls;
      return installAnswer;
    };
    keyboardHook.remove = [] {
      ++removeCalls;
      return removeAnswer;
    };
  }
  void playing(bool gameRuns, bool demoRuns) {
    game.gameActive = gameRuns;
    game.demoActive = demoRuns;
  }

  // Buffers of a virtual sound card, which counts their plays and stops.
  VirtualSoundBuffer* newBuffer() {
    return static_cast<VirtualSoundBuffer*>(sound.createBuffer(WaveFormat{}, 16));
  }

  VirtualSoundDevice sound;
  VirtualSoundBuffer* beep = newBuffer();
  VirtualSoundBuffer* stream = newBuffer();
};

TEST_F(KeysAndFocusTest, KeyTableStoresItsCodesAndOtherKeysAreUpDuringTheDemo) {
  const struct {
    uint32_t key;
    uint8_t code;
  } table[] = {{kKeyUp, kInputUp},        {kKeyNumpad8, kInputUp},    {kKeyDown, kInputDown},
               {kKeyNumpad2, kInputDown}, {kKeyLeft, kInputLeft},     {kKeyNumpad4, kInputLeft},
               {kKeyRight, kInputRight},  {kKeyNumpad6, kInputRight}, {kKeySpace, kInputAction}};
  for (const auto& row : table) {
    input.inputLatch = 0;
    keyboardHookProc(row.key);
    EXPECT_EQ(input.inputLatch, row.code) << "key 0x" << std::hex << row.key;
  }

  // Other keys are up during the demo, and nothing outside it.
  playing(true, false);
  input.inputLatch = kInputLeft;
  for (uint32_t key : {0x41u, 0x30u, 0x0Du, kKeyEscape, kKeyF5, 0xFFFFu}) keyboardHookProc(key);
  EXPECT_EQ(input.inputLatch, kInputLeft);

  playing(true, true);
  keyboardHookProc('A');
  EXPECT_EQ(input.inputLatch, kInputUp);
  keyboardHookProc(kKeyLeft);  // a key of the table keeps its code
  EXPECT_EQ(input.inputLatch, kInputLeft);
  input.inputLatch = 0;
  keyboardHookProc(kKeyF6);
  EXPECT_EQ(input.inputLatch, kInputUp);
}

TEST_F(KeysAndFocusTest, F5AndF6SwitchJudgingWithTheGoodBeep) {
  keyboardHookProc(kKeyF5);  // without sound: silently
  EXPECT_EQ(game.judgingOff, 1);
  playback.goodBeep = beep;
  keyboardHookProc(kKeyF5);
  EXPECT_EQ(game.judgingOff, 1);
  keyboardHookProc(kKeyF6);
  EXPECT_EQ(game.judgingOff, 0);
  EXPECT_EQ(beep->plays, 2);
  EXPECT_FALSE(beep->looping);
  EXPECT_EQ(input.inputLatch, 0);
  EXPECT_TRUE(messages().empty());
}

// Esc leaves full screen wherever it is shown: in a game, in the demo, and on the title of a start
// that came back full screen; windowed it does nothing.
TEST_F(KeysAndFocusTest, EscReturnsFromFullScreenWhereverItIsShown) {
  restoreFullScreen();  // nothing plays
  EXPECT_EQ(window.fullScreens, 1);
  keyboardHookProc(kKeyEscape);
  EXPECT_EQ(window.returnsToWindowed, 1);
  EXPECT_EQ(game.displayMode, kDisplayWindowed);

  playing(false, true);
  game.displayMode = kDisplayFullScreen;
  keyboardHookProc(kKeyEscape);
  EXPECT_EQ(window.returnsToWindowed, 2);

  playing(true, false);
  game.displayMode = kDisplayFullScreen;
  keyboardHookProc(kKeyEscape);
  EXPECT_EQ(window.returnsToWindowed, 3);

  game.displayMode = kDisplayWindowed;
  keyboardHookProc(kKeyEscape);
  EXPECT_EQ(window.returnsToWindowed, 3);
  EXPECT_EQ(window.resetsToWindowed, 0);
}

// F11 goes to full screen while a game runs and back with the same key.
TEST_F(KeysAndFocusTest, TheFullScreenKeyGoesThereAndBack) {
  toggleFullScreen();  // nothing plays
  EXPECT_EQ(game.displayMode, kDisplayWindowed);
  playing(true, false);
  toggleFullScreen();
  EXPECT_EQ(game.displayMode, kDisplayFullScreen);
  EXPECT_EQ(window.fullScreens, 1);
  toggleFullScreen();
  EXPECT_EQ(game.displayMode, kDisplayWindowed);
  EXPECT_EQ(window.returnsToWindowed, 1);
}

// Focus pauses and resumes the stream of a clip that plays, even when there is none; on the title
// a focus gain starts nothing. The hook is installed once per focus, and a failed install is
// reported at every focus gain until it works; it is removed once on the loss of the focus or at
// shutdown, and a removal that fails keeps it, the game pauses all the same, and the removal is
// tried again at the next loss.
TEST_F(KeysAndFocusTest, FocusPausesTheStreamAndMovesTheHookOnce) {
  scriptHook();
  installAnswer = false;
  onFocusGained();
  onFocusGained();
  EXPECT_FALSE(keyboardHook.installed);
  EXPECT_FALSE(isHeld(kHoldNoFocus));
  installAnswer = true;
  onFocusLost();  // without a stream buffer only the flag moves
  onFocusGained();
  onFocusGained();  // already installed: not again
  EXPECT_TRUE(keyboardHook.installed);
  EXPECT_EQ(installCalls, 3);
  playback.streamBuffer = stream;
  playStream();  // a clip plays
  removeAnswer = false;
  onFocusLost();
  EXPECT_TRUE(isHeld(kHoldNoFocus));
  EXPECT_TRUE(keyboardHook.installed);
  EXPECT_EQ(stream->stops, 1);
  EXPECT_FALSE(stream->playing);
  onFocusGained();  // no second hook
  EXPECT_EQ(installCalls, 3);
  EXPECT_FALSE(isHeld(kHoldNoFocus));
  EXPECT_EQ(stream->plays, 2);
  EXPECT_TRUE(stream->looping);
  EXPECT_TRUE(stream->playing);
  removeAnswer = true;
  onFocusLost();
  onFocusLost();  // already removed: not again
  EXPECT_EQ(removeCalls, 2);
  EXPECT_FALSE(keyboardHook.installed);
  EXPECT_EQ(messages(),
            (std::vector<std::string>{"keyboard error|bad key hook", "keyboard error|bad key hook",
                                      "unhook|failed unhook"}));
  releaseKeyboardHook();
  EXPECT_EQ(removeCalls, 2);
  onFocusGained();
  releaseKeyboardHook();
  EXPECT_EQ(removeCalls, 3);
  EXPECT_FALSE(keyboardHook.installed);

  stopStream();  // back on the title
  int plays = stream->plays;
  onFocusLost();
  onFocusGained();
  EXPECT_FALSE(stream->playing);
  EXPECT_EQ(stream->plays, plays);
}
