// The input poll: one InputCode from the keyboard latch or joystick 0, reported once per change,
// so a stick held in one direction counts once and not on every poll.
#include "input/input.h"

InputPollState inputPoll;

void initJoystick() {
  JoystickCaps caps;
  if (!platform.joystick || !platform.joystick->getCaps(&caps)) caps = JoystickCaps{};
  inputPoll.joystickCentreX = (caps.xMin + caps.xMax) >> 1;
  inputPoll.joystickCentreY = (caps.yMin + caps.yMax) >> 1;
}

// Reports code when it differs from the last report.
static int32_t reportChange(uint8_t code) {
  if (code == inputPoll.lastInputCode) return kInputNone;
  inputPoll.lastInputCode = code;
  return code;
}

// The stick and its button, in order: the button wins, then X before Y. Bounds are computed in
// unsigned arithmetic, so a centre of 0 wraps its lower bound to a large value, and a position
// exactly on a bound counts as centred.
static uint8_t joystickCode(const JoystickPosition& position) {
  uint32_t centreX = inputPoll.joystickCentreX;
  uint32_t centreY = inputPoll.joystickCentreY;
  if (position.buttonNumber == 1) return kInputAction;
  if (position.x > centreX + kJoystickDeadZone) return kInputRight;
  if (position.x < centreX - kJoystickDeadZone) return kInputLeft;
  if (position.y < centreY - kJoystickDeadZone) return kInputUp;
  if (position.y > centreY + kJoystickDeadZone) return kInputDown;
  return kInputNone;
}

int32_t pollInput() {
  JoystickPosition position;
  bool joystickRead = platform.joystick && platform.joystick->getPosition(&position);
  inputPoll.joystickRead = joystickRead;

  // Taking and clearing the latch in one step, so a key stored between the two is not lost.
  uint8_t latch = game.inputLatch.exchange(0);

  // The keyboard wins over the joystick; with no joystick an empty latch resets the last code.
  if (!joystickRead || latch != 0) return reportChange(latch);

  uint8_t code = joystickCode(position);
  if (code == kInputNone) {
    inputPoll.lastInputCode = 0;
    return kInputNone;
  }
  return reportChange(code);
}
