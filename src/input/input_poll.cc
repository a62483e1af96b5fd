// The input poll: one InputCode from the keyboard latch or joystick 0, reported once per change,
// so a stick held in one direction counts once and not on every poll.
#include "input/input.h"

InputState input;

void initJoystick() {
  JoystickCaps caps;
  if (!platform.joystick || !platform.joystick->getCaps(&caps)) caps = JoystickCaps{};
  input.joystickCentreX = (caps.xMin + caps.xMax) >> 1;
  input.joystickCentreY = (caps.yMin + caps.yMax) >> 1;
}

// Reports code when it differs from the last report.
static InputCode reportChange(InputCode code) {
  if (code == input.lastInputCode) return kInputNone;
  input.lastInputCode = code;
  return code;
}

// The stick and its button, in order: the button wins, then X before Y. Bounds are computed in
// unsigned arithmetic, so a centre of 0 wraps its lower bound to a large value, and a position
// exactly on a bound counts as centred.
static InputCode joystickCode(const JoystickPosition& position) {
  uint32_t centreX = input.joystickCentreX;
  uint32_t centreY = input.joystickCentreY;
  if (position.buttonNumber == 1) return kInputAction;
  if (position.x > centreX + kJoystickDeadZone) return kInputRight;
  if (position.x < centreX - kJoystickDeadZone) return kInputLeft;
  if (position.y < centreY - kJoystickDeadZone) return kInputUp;
  if (position.y > centreY + kJoystickDeadZone) return kInputDown;
  return kInputNone;
}

InputCode pollInput() {
  JoystickPosition position;
  bool joystickRead = platform.joystick && platform.joystick->getPosition(&position);
  // A joystick plugged in since the last poll is read against its own ranges, not against the
  // centres of none (0) or of the one it replaced.
  if (joystickRead && !input.joystickRead) initJoystick();
  input.joystickRead = joystickRead;

  // Taking and clearing the latch in one step, so a key stored between the two is not lost.
  auto latch = static_cast<InputCode>(input.inputLatch.exchange(kInputNone));

  // The keyboard wins over the joystick; with no joystick an empty latch resets the last code.
  if (!joystickRead || latch != 0) return reportChange(latch);

  InputCode code = joystickCode(position);
  if (code == kInputNone) {
    input.lastInputCode = kInputNone;
    return kInputNone;
  }
  return reportChange(code);
}
