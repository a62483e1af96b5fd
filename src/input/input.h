// Input: the keyboard latch and joystick 0 turned into one InputCode by the poll, and the
// keyboard hook (the main window's key handlers) with its key table.
//
// Contents
//   Input codes       what the player did, reduced to one number
//   Input state       the latch, the poll's last report, the joystick's centres
//   Input poll        initJoystick, pollInput
//   Keys              the key table's virtual-key codes, latching a key
//   Keyboard hook     installing and removing the key handlers
#pragma once

#include <atomic>
#include <cstdint>

#include "platform/platform.h"

// ---------------------------------------------------------------------------------------------
// Input codes

enum InputCode : uint8_t {
  kInputNone = 0,
  kInputLeft = 1,
  kInputRight = 2,
  kInputUp = 3,
  kInputDown = 4,
  kInputAction = 9,
};

// ---------------------------------------------------------------------------------------------
// Input state

constexpr uint32_t kJoystickDeadZone = 8000;  // position units on each side of a centre

struct InputState {
  // The InputCode of the last key of the key table: stored by the key handler (window thread),
  // taken and cleared by the poll (game thread).
  std::atomic<uint8_t> inputLatch{kInputNone};
  uint8_t lastInputCode = kInputNone;  // the code the poll last reported (game thread)
  // Whether the last poll could read the joystick (the game thread then polls it often).
  bool joystickRead = false;
  uint32_t joystickCentreX = 0;  // position units, read at start-up and as a joystick comes
  uint32_t joystickCentreY = 0;
};

extern InputState input;

// ---------------------------------------------------------------------------------------------
// Input poll

// Reads joystick 0's ranges and keeps their centres (0 when they cannot be read): at start-up,
// and at the first poll that reads a joystick after one that read none.
void initJoystick();

// Takes the keyboard latch and reads joystick 0; returns the InputCode when the input has
// changed to it since the last report, else kInputNone. Called only by the game thread.
InputCode pollInput();

// ---------------------------------------------------------------------------------------------
// Keys

// Virtual-key codes of the key table; the shell maps its own key values onto them.
constexpr uint32_t kKeySpace = 0x20;
constexpr uint32_t kKeyLeft = 0x25;
constexpr uint32_t kKeyUp = 0x26;
constexpr uint32_t kKeyRight = 0x27;
constexpr uint32_t kKeyDown = 0x28;
constexpr uint32_t kKeyNumpad2 = 0x62;
constexpr uint32_t kKeyNumpad4 = 0x64;
constexpr uint32_t kKeyNumpad6 = 0x66;
constexpr uint32_t kKeyNumpad8 = 0x68;
constexpr uint32_t kKeyF5 = 0x74;
constexpr uint32_t kKeyF6 = 0x75;
constexpr uint32_t kKeyEscape = 0x1B;

// The InputCode of a key of the key table, or kInputNone for any other key.
InputCode inputCodeOfKey(uint32_t virtualKey);

// Stores code in the latch for the next poll; kInputNone leaves the latch as it is.
void latchInput(InputCode code);

// ---------------------------------------------------------------------------------------------
// Keyboard hook
//
// The main window's key handlers, connected only while the window has the keyboard focus: the
// game installs its key procedure when the window gains the focus and removes it when the
// window loses it. Every key event of the window, the desktop's and qvksim's alike, goes
// through keyEvent, so a key reaches the game only while the hook is installed. The shell
// supplies the two operations that connect and disconnect its handlers; without them
// (headless) installing and removing always succeed. Only the user-interface thread uses the
// hook.

struct KeyboardHook {
  bool installed = false;
  bool (*install)() = nullptr;       // true when the handlers are connected
  bool (*remove)() = nullptr;        // true when the handlers are disconnected
  void (*proc)(uint32_t) = nullptr;  // the key procedure installed, called with each key
};

extern KeyboardHook keyboardHook;

// Installs the hook with its key procedure unless it is installed; a failure is reported ("bad
// key hook").
void installKeyboardHook(void (*proc)(uint32_t virtualKey));
// Removes the hook if it is installed; a failure is reported ("failed unhook") and the hook
// stays recorded, so the next focus gain installs no second one and the next loss tries again.
void removeKeyboardHook();
// A key event of the main window (a press, an auto-repeat or a release): handed to the key
// procedure while the hook is installed, and to nobody otherwise.
void keyEvent(uint32_t virtualKey);
// Shutdown: removes the hook if it is still installed, silently.
void releaseKeyboardHook();
