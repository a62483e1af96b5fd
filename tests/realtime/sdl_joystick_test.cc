// The desktop joystick against SDL's virtual joysticks: no hardware, but SDL's own code paths.
#include <SDL.h>
#include <gtest/gtest.h>

#include <string>

#include "platform/platform.h"

// The joystick's reading as "x y buttons", or "none".
static std::string reading(Joystick* joystick) {
  JoystickPosition position;
  if (!joystick->getPosition(&position)) return "none";
  return std::to_string(position.x) + " " + std::to_string(position.y) + " " +
         std::to_string(position.buttonNumber);
}

TEST(SdlJoystick, AbsentFailsThenVirtualStickReadsAsPositions) {
  Joystick* joystick = sdlJoystick();
  JoystickCaps caps;
  ASSERT_FALSE(joystick->getCaps(&caps));  // nothing plugged in yet (and SDL now initialised)
  ASSERT_EQ(reading(joystick), "none");

  int device = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_UNKNOWN, 2, 3, 1);
  ASSERT_GE(device, 0) << SDL_GetError();
  ASSERT_TRUE(joystick->getCaps(&caps));
  EXPECT_EQ((caps.xMin + caps.xMax) >> 1, 32767u);
  EXPECT_EQ((caps.yMin + caps.yMax) >> 1, 32767u);

  SDL_Joystick* handle = SDL_JoystickFromInstanceID(SDL_JoystickGetDeviceInstanceID(device));
  ASSERT_NE(handle, nullptr);
  EXPECT_EQ(reading(joystick), "32768 32768 0");  // resting: inside any dead zone around 32767

  SDL_JoystickSetVirtualAxis(handle, 0, SDL_JOYSTICK_AXIS_MAX);
  SDL_JoystickSetVirtualAxis(handle, 1, SDL_JOYSTICK_AXIS_MIN);
  SDL_JoystickSetVirtualButton(handle, 0, 1);
  SDL_JoystickSetVirtualButton(handle, 2, 1);
  EXPECT_EQ(reading(joystick), "65535 0 2");  // buttons held are counted

  SDL_JoystickSetVirtualAxis(handle, 0, 0);
  SDL_JoystickSetVirtualAxis(handle, 1, 0);
  SDL_JoystickSetVirtualButton(handle, 0, 0);
  SDL_JoystickSetVirtualButton(handle, 2, 0);
  SDL_JoystickSetVirtualHat(handle, 0, SDL_HAT_LEFTDOWN);  // the hat moves the stick
  EXPECT_EQ(reading(joystick), "0 65535 0");

  ASSERT_EQ(SDL_JoystickDetachVirtual(device), 0);
  EXPECT_EQ(reading(joystick), "none");  // unplugged: no reading
}

TEST(SdlJoystick, ControllerDpadMovesTheStickAndIsNoButton) {
  Joystick* joystick = sdlJoystick();
  JoystickCaps caps;
  joystick->getCaps(&caps);  // SDL initialised
  int device = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, SDL_CONTROLLER_AXIS_MAX,
                                         SDL_CONTROLLER_BUTTON_MAX, 0);
  ASSERT_GE(device, 0) << SDL_GetError();
  ASSERT_TRUE(SDL_IsGameController(device));
  ASSERT_NE(reading(joystick), "none");
  SDL_Joystick* handle = SDL_JoystickFromInstanceID(SDL_JoystickGetDeviceInstanceID(device));
  ASSERT_NE(handle, nullptr);

  SDL_JoystickSetVirtualButton(handle, SDL_CONTROLLER_BUTTON_DPAD_RIGHT, 1);
  SDL_JoystickSetVirtualButton(handle, SDL_CONTROLLER_BUTTON_DPAD_UP, 1);
  EXPECT_EQ(reading(joystick), "65535 0 0");

  SDL_JoystickSetVirtualButton(handle, SDL_CONTROLLER_BUTTON_DPAD_RIGHT, 0);
  SDL_JoystickSetVirtualButton(handle, SDL_CONTROLLER_BUTTON_DPAD_UP, 0);
  SDL_JoystickSetVirtualButton(handle, SDL_CONTROLLER_BUTTON_A, 1);
  SDL_JoystickSetVirtualAxis(handle, SDL_CONTROLLER_AXIS_LEFTX, SDL_JOYSTICK_AXIS_MIN);
  EXPECT_EQ(reading(joystick), "0 32768 1");
  ASSERT_EQ(SDL_JoystickDetachVirtual(device), 0);
}
