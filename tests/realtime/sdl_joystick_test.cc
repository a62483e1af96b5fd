// The desktop joystick against SDL's virtual joysticks: no hardware, but SDL's own code paths.
#include <SDL.h>
#include <gtest/gtest.h>

#include "platform/platform.h"

TEST(SdlJoystick, AbsentFailsThenVirtualStickReadsAsPositions) {
  Joystick* joystick = sdlJoystick();
  JoystickCaps caps;
  JoystickPosition position;
  ASSERT_FALSE(joystick->getCaps(&caps));  // nothing plugged in yet (and SDL now initialised)
  ASSERT_FALSE(joystick->getPosition(&position));

  int device = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_UNKNOWN, 2, 3, 1);
  ASSERT_GE(device, 0) << SDL_GetError();
  ASSERT_TRUE(joystick->getCaps(&caps));
  EXPECT_EQ((caps.xMin + caps.xMax) >> 1, 32767u);
  EXPECT_EQ((caps.yMin + caps.yMax) >> 1, 32767u);

  SDL_Joystick* handle = SDL_JoystickFromInstanceID(SDL_JoystickGetDeviceInstanceID(device));
  ASSERT_NE(handle, nullptr);
  ASSERT_TRUE(joystick->getPosition(&position));
  EXPECT_EQ(position.x, 32768u);  // resting: inside any dead zone around 32767
  EXPECT_EQ(position.buttonNumber, 0u);

  SDL_JoystickSetVirtualAxis(handle, 0, SDL_JOYSTICK_AXIS_MAX);
  SDL_JoystickSetVirtualAxis(handle, 1, SDL_JOYSTICK_AXIS_MIN);
  SDL_JoystickSetVirtualButton(handle, 0, 1);
  SDL_JoystickSetVirtualButton(handle, 2, 1);
  ASSERT_TRUE(joystick->getPosition(&position));
  EXPECT_EQ(position.x, 65535u);
  EXPECT_EQ(position.y, 0u);
  EXPECT_EQ(position.buttonNumber, 2u);  // buttons held are counted

  SDL_JoystickSetVirtualAxis(handle, 0, 0);
  SDL_JoystickSetVirtualAxis(handle, 1, 0);
  SDL_JoystickSetVirtualButton(handle, 0, 0);
  SDL_JoystickSetVirtualButton(handle, 2, 0);
  SDL_JoystickSetVirtualHat(handle, 0, SDL_HAT_LEFTDOWN);  // the hat moves the stick
  ASSERT_TRUE(joystick->getPosition(&position));
  EXPECT_EQ(position.x, 0u);
  EXPECT_EQ(position.y, 65535u);

  ASSERT_EQ(SDL_JoystickDetachVirtual(device), 0);
  EXPECT_FALSE(joystick->getPosition(&position));  // unplugged: no reading
}

TEST(SdlJoystick, ControllerDpadMovesTheStickAndIsNoButton) {
  Joystick* joystick = sdlJoystick();
  JoystickCaps caps;
  joystick->getCaps(&caps);  // SDL initialised
  int device = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, SDL_CONTROLLER_AXIS_MAX,
                                         SDL_CONTROLLER_BUTTON_MAX, 0);
  ASSERT_GE(device, 0) << SDL_GetError();
  ASSERT_TRUE(SDL_IsGameController(device));
  JoystickPosition position;
  ASSERT_TRUE(joystick->getPosition(&position));
  SDL_Joystick* handle = SDL_JoystickFromInstanceID(SDL_JoystickGetDeviceInstanceID(device));
  ASSERT_NE(handle, nullptr);

  SDL_JoystickSetVirtualButton(handle, SDL_CONTROLLER_BUTTON_DPAD_RIGHT, 1);
  SDL_JoystickSetVirtualButton(handle, SDL_CONTROLLER_BUTTON_DPAD_UP, 1);
  ASSERT_TRUE(joystick->getPosition(&position));
  EXPECT_EQ(position.x, 65535u);
  EXPECT_EQ(position.y, 0u);
  EXPECT_EQ(position.buttonNumber, 0u);

  SDL_JoystickSetVirtualButton(handle, SDL_CONTROLLER_BUTTON_DPAD_RIGHT, 0);
  SDL_JoystickSetVirtualButton(handle, SDL_CONTROLLER_BUTTON_DPAD_UP, 0);
  SDL_JoystickSetVirtualButton(handle, SDL_CONTROLLER_BUTTON_A, 1);
  SDL_JoystickSetVirtualAxis(handle, SDL_CONTROLLER_AXIS_LEFTX, SDL_JOYSTICK_AXIS_MIN);
  ASSERT_TRUE(joystick->getPosition(&position));
  EXPECT_EQ(position.x, 0u);
  EXPECT_EQ(position.buttonNumber, 1u);
  ASSERT_EQ(SDL_JoystickDetachVirtual(device), 0);
}
