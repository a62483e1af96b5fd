// Input: the poll that turns the keyboard latch and joystick 0 into one InputCode, and the key
// handling and focus handling that fill the latch and pause the game.
//
// Contents
//   Input poll        initJoystick, pollInput
//   Keys and focus    the key table's virtual-key codes, the keyboard hook, the focus handlers
#pragma once

#include <cstdint>

#include "game/game.h"

constexpr uint32_t kJoystickDeadZone = 8000;  // position units on each side of a centre

// The poll's own state: the code it last reported, the joystick's centres, and whether the last
// poll could read the joystick (the game thread then polls it often).
struct InputPollState {
  uint8_t lastInputCode = 0;
  bool joystickRead = false;
  uint32_t joystickCentreX = 0;
  uint32_t joystickCentreY = 0;
};

extern InputPollState inputPoll;

// Reads joystick 0's ranges once and keeps their centres (0 when they cannot be read).
void initJoystick();

// Takes the keyboard latch and reads joystick 0; returns the InputCode when the input has
// changed to it since the last report, else 0. Called only by the game thread.
int32_t pollInput();

// ---------------------------------------------------------------------------------------------
// Keys and focus

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

// The keyboard hook: the main window's key handlers, which are connected only while the window
// has the keyboard focus. The shell supplies the two operations; without them (headless)
// installing and removing always succeed.
struct KeyboardHook {
  bool installed = false;       // only the user-interface thread reads or writes it
  bool (*install)() = nullptr;  // true when the handlers are connected
  bool (*remove)() = nullptr;   // true when the handlers are disconnected
};

extern KeyboardHook keyboardHook;

// One key event, a press, an auto-repeat or a release alike: the latch, F5/F6, Esc. The key is
// never swallowed; the shell passes it on after the call.
void keyboardHookProc(uint32_t virtualKey);

// The main window gained or lost the keyboard focus: install or remove the hook, resume or
// pause the game (the stream buffer and focusLost).
void onFocusGained();
void onFocusLost();

// Shutdown: removes the hook if it is still installed.
void releaseKeyboardHook();
