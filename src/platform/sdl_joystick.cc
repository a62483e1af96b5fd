// Joystick 0 through SDL: the stick's axes as positions 0..65535 with the centre at 32767. Any
// game controller that SDL has a mapping for is read through it, whatever the pad: its left
// stick and d-pad move the stick, and its south button alone is the button. Without one, the
// first joystick is read as it is: its first two axes, its first hat moving the stick too, the
// buttons held down counted into the button number. Devices are picked up as they come (a pad
// takes over from a plain joystick) and forgotten as they go. The game thread reads it, the
// window thread reads its ranges at start-up; one lock keeps SDL's joystick state to one thread
// at a time.
#include <SDL.h>

#include <mutex>

#include "platform/platform.h"

namespace {

constexpr uint32_t kAxisRange = 65535;
constexpr int32_t kAxisOffset = 32768;  // SDL's -32768..32767 onto 0..65535
constexpr uint64_t kLookForDevicesMs = 250;

uint32_t positionOfAxis(int16_t value) {
  return static_cast<uint32_t>(value + kAxisOffset);
}

struct SdlJoystick : Joystick {
  bool getCaps(JoystickCaps* caps) override;
  bool getPosition(JoystickPosition* position) override;

  // Forgets a device that was unplugged; opens the device to read when nothing is open, or a
  // game controller in place of a plain joystick once one is plugged in.
  bool attach();
  void open(int device);
  void close();
  void readController(JoystickPosition* position);
  void readJoystick(JoystickPosition* position);

  std::mutex lock;
  bool initialised = false;
  bool initFailed = false;
  SDL_Joystick* joystick = nullptr;
  SDL_GameController* controller = nullptr;
  int devicesSeen = 0;
  uint64_t nextUpdateMs = 0;
};

// The device to read: the first game controller, else the first joystick; -1 for none.
int deviceToRead() {
  int devices = SDL_NumJoysticks();
  for (int device = 0; device < devices; ++device) {
    if (SDL_IsGameController(device)) return device;
  }
  return devices > 0 ? 0 : -1;
}

void SdlJoystick::open(int device) {
  if (SDL_IsGameController(device)) {
    controller = SDL_GameControllerOpen(device);
    if (controller) joystick = SDL_GameControllerGetJoystick(controller);
  }
  if (!joystick) joystick = SDL_JoystickOpen(device);
}

void SdlJoystick::close() {
  if (controller)
    SDL_GameControllerClose(controller);
  else if (joystick)
    SDL_JoystickClose(joystick);
  controller = nullptr;
  joystick = nullptr;
}

bool SdlJoystick::attach() {
  if (initFailed) return false;
  if (!initialised) {
    // No SDL window receives our focus, so events must count without one.
    SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
    // A pad's buttons by their place, not their labels: the south one is the action on a pad
    // that labels it B as on one that labels it A.
    SDL_SetHint(SDL_HINT_GAMECONTROLLER_USE_BUTTON_LABELS, "0");
    if (SDL_InitSubSystem(SDL_INIT_JOYSTICK | SDL_INIT_GAMECONTROLLER) != 0) {
      debugPrint("joystick: %s\n", SDL_GetError());
      initFailed = true;
      return false;
    }
    // Nobody reads SDL's event queue: the devices are polled.
    SDL_JoystickEventState(SDL_IGNORE);
    SDL_GameControllerEventState(SDL_IGNORE);
    initialised = true;
  }
  // Updating the joysticks also looks for devices that came and went, which costs more than a
  // game pass: without a device it is done only every so often (SDL counts virtual joysticks at
  // once, real ones once they are found).
  uint64_t now = SDL_GetTicks64();
  if (joystick || now >= nextUpdateMs) {
    SDL_GameControllerUpdate();
    nextUpdateMs = now + kLookForDevicesMs;
  }

  if (joystick && !SDL_JoystickGetAttached(joystick)) close();
  int devices = SDL_NumJoysticks();
  if (!joystick || (!controller && devices != devicesSeen)) {
    int device = deviceToRead();
    if (device >= 0 && (!joystick || SDL_IsGameController(device))) {
      close();
      open(device);
      SDL_GameControllerUpdate();  // its state now, not the rest state it opened with
    }
  }
  devicesSeen = devices;
  return joystick != nullptr;
}

bool SdlJoystick::getCaps(JoystickCaps* caps) {
  std::lock_guard<std::mutex> hold(lock);
  if (!attach()) return false;
  *caps = JoystickCaps{0, kAxisRange, 0, kAxisRange};
  return true;
}

void SdlJoystick::readController(JoystickPosition* position) {
  position->x = positionOfAxis(SDL_GameControllerGetAxis(controller, SDL_CONTROLLER_AXIS_LEFTX));
  position->y = positionOfAxis(SDL_GameControllerGetAxis(controller, SDL_CONTROLLER_AXIS_LEFTY));
  auto held = [&](SDL_GameControllerButton button) {
    return SDL_GameControllerGetButton(controller, button) != 0;
  };
  if (held(SDL_CONTROLLER_BUTTON_DPAD_LEFT)) position->x = 0;
  if (held(SDL_CONTROLLER_BUTTON_DPAD_RIGHT)) position->x = kAxisRange;
  if (held(SDL_CONTROLLER_BUTTON_DPAD_UP)) position->y = 0;
  if (held(SDL_CONTROLLER_BUTTON_DPAD_DOWN)) position->y = kAxisRange;
  // The south button (SDL's A, by place); the pad's other buttons are not the game's.
  position->buttonNumber = held(SDL_CONTROLLER_BUTTON_A) ? 1 : 0;
}

void SdlJoystick::readJoystick(JoystickPosition* position) {
  int axes = SDL_JoystickNumAxes(joystick);
  position->x = axes > 0 ? positionOfAxis(SDL_JoystickGetAxis(joystick, 0)) : kAxisRange / 2;
  position->y = axes > 1 ? positionOfAxis(SDL_JoystickGetAxis(joystick, 1)) : kAxisRange / 2;
  if (SDL_JoystickNumHats(joystick) > 0) {
    uint8_t hat = SDL_JoystickGetHat(joystick, 0);
    if (hat & SDL_HAT_LEFT) position->x = 0;
    if (hat & SDL_HAT_RIGHT) position->x = kAxisRange;
    if (hat & SDL_HAT_UP) position->y = 0;
    if (hat & SDL_HAT_DOWN) position->y = kAxisRange;
  }
  int buttons = SDL_JoystickNumButtons(joystick);
  for (int b = 0; b < buttons; ++b) {
    if (SDL_JoystickGetButton(joystick, b)) ++position->buttonNumber;
  }
}

bool SdlJoystick::getPosition(JoystickPosition* position) {
  std::lock_guard<std::mutex> hold(lock);
  if (!attach()) return false;
  *position = JoystickPosition{};
  if (controller)
    readController(position);
  else
    readJoystick(position);
  return true;
}

}  // namespace

Joystick* sdlJoystick() {
  static SdlJoystick joystick;  // lives to the end of the process, as SDL does
  return &joystick;
}
