// Input: the poll that turns the keyboard latch and joystick 0 into one InputCode, and (as it
// is built) the key handling and focus handling that fill the latch and pause the game.
#pragma once

#include <cstdint>

#include "game/game.h"

constexpr uint32_t kJoystickDeadZone = 8000;  // position units on each side of a centre

// The poll's own state: the code it last reported and the joystick's centres.
struct InputPollState {
  uint8_t lastInputCode = 0;
  uint32_t joystickCentreX = 0;
  uint32_t joystickCentreY = 0;
};

extern InputPollState inputPoll;

// Reads joystick 0's ranges once and keeps their centres (0 when they cannot be read).
void initJoystick();

// Takes the keyboard latch and reads joystick 0; returns the InputCode when the input has
// changed to it since the last report, else 0. Called only by the game thread.
int32_t pollInput();
