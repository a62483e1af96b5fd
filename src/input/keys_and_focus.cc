// The keyboard hook and the focus handlers. The hook stores the code of the last key in the
// latch that the game thread polls, and carries the three control keys (F5, F6, Esc); the focus
// handlers install and remove it and pause and resume the game.
//
// The game thread's priority, which the focus changes raise and lower, is left to the
// operating system: a game thread that waits for its clock needs no priority to keep up.
#include "input/input.h"

KeyboardHook keyboardHook;

// The InputCode of a key of the key table, or 0 for any other key.
static uint8_t inputCodeOfKey(uint32_t virtualKey) {
  switch (virtualKey) {
    case kKeyUp:
    case kKeyNumpad8: return kInputUp;
    case kKeyDown:
    case kKeyNumpad2: return kInputDown;
    case kKeyLeft:
    case kKeyNumpad4: return kInputLeft;
    case kKeyRight:
    case kKeyNumpad6: return kInputRight;
    case kKeySpace: return kInputAction;
    default: return kInputNone;
  }
}

static void playGoodBeep() {
  traceGameEvent("beep good");
  if (game.goodBeep) game.goodBeep->play(false);
}

void keyboardHookProc(uint32_t virtualKey) {
  // While the demo runs any key at all is input; a mapped key below overwrites the 3.
  if (readFlagLocked(game.demoActive)) game.inputLatch = kInputUp;

  if (virtualKey == kKeyF5) {
    playGoodBeep();
    game.judgingOff = 1;
  }
  if (virtualKey == kKeyF6) {
    playGoodBeep();
    game.judgingOff = 0;
  }

  uint8_t code = inputCodeOfKey(virtualKey);
  if (code != kInputNone) game.inputLatch = code;

  if (virtualKey == kKeyEscape) {
    if (gameOrDemoRunning() && game.displayMode == kDisplayFullScreen && platform.window) {
      platform.window->returnToWindowed();
    }
  }

  // The key is judged in the frame it was pressed in.
  wakeGame();
}

void onFocusGained() {
  if (!keyboardHook.installed) {
    keyboardHook.installed = !keyboardHook.install || keyboardHook.install();
    if (!keyboardHook.installed && platform.window) {
      platform.window->showMessage("bad key hook", "keyboard error", false);
    }
  }

  game.focusLost = 0;

  // The stream buffer plays again whether or not a game runs: idle, it loops what it last held.
  if (game.streamBuffer) game.streamBuffer->play(true);
  wakeGame();
}

void onFocusLost() {
  game.focusLost = 1;

  if (keyboardHook.installed) {
    // A hook that cannot be removed stays recorded, so the next focus gain installs no second
    // one and the next focus loss tries again.
    if (!keyboardHook.remove || keyboardHook.remove()) {
      keyboardHook.installed = false;
    } else if (platform.window) {
      platform.window->showMessage("failed unhook", "unhook", false);
    }
  }

  // With sound, the stopped buffer holds the play position that is the game clock.
  if (game.streamBuffer) game.streamBuffer->stop();
  wakeGame();
}

void releaseKeyboardHook() {
  if (!keyboardHook.installed) return;
  if (!keyboardHook.remove || keyboardHook.remove()) keyboardHook.installed = false;
}
