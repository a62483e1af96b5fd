// The game's side of the keys and the focus. Every key event that reaches the game goes
// through keyboardHookProc, the keyboard hook's procedure while the window has the focus:
// the move keys fill the input latch, and three keys act at once (F5 and F6 switch judging
// off and on, Esc leaves full screen); while the demo runs any key at all ends it. The focus
// handlers install and remove the keyboard hook and pause and resume the game, as an open menu
// and the pause key do, each a hold of its own. The window's shortcuts (the pause key, full
// screen and back) never reach the keyboard hook: the window runs them.
//
// The game thread's priority, which the focus changes raise and lower, is left to the
// operating system: a game thread that waits for its clock needs no priority to keep up.
#include "game/game.h"
#include "platform/game_wake.h"

void keyboardHookProc(uint32_t virtualKey) {
  // While the demo runs any key at all is input; a key of the key table below overwrites it.
  if (game.demoActive) latchInput(kInputUp);

  if (virtualKey == kKeyF5) {
    playBeep(kGoodBeep);
    game.judgingOff = true;
  }
  if (virtualKey == kKeyF6) {
    playBeep(kGoodBeep);
    game.judgingOff = false;
  }
  if (virtualKey == kKeyF5 || virtualKey == kKeyF6) updateStatus();

  latchInput(inputCodeOfKey(virtualKey));

  // Full screen is shown while a game or the demo runs, and on the title of a start that came
  // back full screen: Esc leaves it wherever it is shown.
  if (virtualKey == kKeyEscape && game.displayMode == kDisplayFullScreen) returnToWindowed();

  // The key is judged in the frame it was pressed in.
  wakeGame();
}

void onFocusGained() {
  installKeyboardHook(keyboardHookProc);
  // The clip that plays goes on unless something else holds it; on the title nothing starts to
  // sound.
  setHold(kHoldNoFocus, false);
  wakeGame();
}

void onFocusLost() {
  // With sound, the stopped stream buffer holds the play position that is the game clock.
  setHold(kHoldNoFocus, true);
  removeKeyboardHook();
  wakeGame();
}

void setMenuOpen(bool open) {
  setHold(kHoldMenu, open);
  wakeGame();
}

void pauseKey() {
  // Nothing to pause on the title; a game or the demo that starts ends the pause.
  bool pause = !isHeld(kHoldPaused) && gameOrDemoRunning();
  setHold(kHoldPaused, pause);
  updateStatus();
  wakeGame();
}
