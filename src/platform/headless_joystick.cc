// Joystick 0 as a test or a qvksim script sets it.
#include "platform/headless.h"

bool HeadlessJoystick::getCaps(JoystickCaps* out) {
  std::lock_guard<std::mutex> hold(lock);
  if (!capsReadable) return false;
  *out = caps;
  return true;
}

bool HeadlessJoystick::getPosition(JoystickPosition* out) {
  std::lock_guard<std::mutex> hold(lock);
  if (!present) return false;
  *out = position;
  return true;
}

void HeadlessJoystick::plugIn(JoystickPosition newPosition) {
  std::lock_guard<std::mutex> hold(lock);
  present = true;
  position = newPosition;
}

void HeadlessJoystick::unplug() {
  std::lock_guard<std::mutex> hold(lock);
  present = false;
}
