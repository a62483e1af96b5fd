// The keyboard hook and its key table: the key handlers that the focus handlers install and
// remove, and the keys that stand for a move.
#include "input/input.h"

KeyboardHook keyboardHook;

InputCode inputCodeOfKey(uint32_t virtualKey) {
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

void latchInput(InputCode code) {
  if (code != kInputNone) input.inputLatch = code;
}

void installKeyboardHook(void (*proc)(uint32_t virtualKey)) {
  if (keyboardHook.installed) return;
  keyboardHook.proc = proc;
  keyboardHook.installed = !keyboardHook.install || keyboardHook.install();
  if (!keyboardHook.installed && platform.window)
    platform.window->showMessage("bad key hook", "keyboard error", false);
}

void removeKeyboardHook() {
  if (!keyboardHook.installed) return;
  if (!keyboardHook.remove || keyboardHook.remove()) {
    keyboardHook.installed = false;
  } else if (platform.window) {
    platform.window->showMessage("failed unhook", "unhook", false);
  }
}

void releaseKeyboardHook() {
  if (!keyboardHook.installed) return;
  if (!keyboardHook.remove || keyboardHook.remove()) keyboardHook.installed = false;
}

void keyEvent(uint32_t virtualKey) {
  if (keyboardHook.installed && keyboardHook.proc) keyboardHook.proc(virtualKey);
}
