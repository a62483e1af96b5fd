// Joystick 0 through SDL: the stick's axes as positions 0..65535 with the centre at 32767, the
// buttons held down counted into the button number. A game controller's d-pad (or a plain
// joystick's first hat) moves the stick too. The game thread reads it, the window thread reads
// its ranges at start-up; one lock keeps SDL's joystick state to one thread at a time.
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

  // Opens device 0 when it is there and nothing is open; forgets a device that was unplugged.
  bool attach();
  void readController(JoystickPosition* position);
  void readJoystick(JoystickPosition* position);

  std::mutex lock;
  bool initialised = false;
  bool initFailed = false;
  SDL_Joystick* joystick = nullptr;
  SDL_GameController* controller = nullptr;
  uint64_t nextUpdateMs = 0;
};

bool SdlJoystick::attach() {
  if (initFailed) return false;
  if (!initialised) {
    // No SDL window receives our focus, so events must count without one.
    SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
    if (SDL_InitSubSystem(SDL_INIT_JOYSTICK | SDL_INIT_GAMECONTROLLER) != 0) {
      debugPrint("joystick: %s\n", SDL_GetError());
      initFailed = true;
      return false;
    }
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

  if (joystick && !SDL_JoystickGetAttached(joystick)) {
    if (controller)
      SDL_GameControllerClose(controller);
    else
      SDL_JoystickClose(joystick);
    controller = nullptr;
    joystick = nullptr;
  }
  if (!joystick && SDL_NumJoysticks() > 0) {
    if (SDL_IsGameController(0)) {
      controller = SDL_GameControllerOpen(0);
      if (controller) joystick = SDL_GameControllerGetJoystick(controller);
    } else {
      joystick = SDL_JoystickOpen(0);
    }
  }
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
  for (int b = 0; b < SDL_CONTROLLER_BUTTON_MAX; ++b) {
    auto button = static_cast<SDL_GameControllerButton>(b);
    bool dpad =
        button >= SDL_CONTROLLER_BUTTON_DPAD_UP && button <= SDL_CONTROLLER_BUTTON_DPAD_RIGHT;
    if (!dpad && held(button)) ++position->buttonNumber;
  }
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
