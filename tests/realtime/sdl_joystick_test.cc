// The desktop joystick against SDL's virtual joysticks: no hardware, but SDL's own code paths.
#include <SDL.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "game/headless_session.h"
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

// A pad's d-pad and left stick move the stick and its south button alone is the button, whatever
// else is held; a pad plugged in beside a plain joystick takes over from it, and the plain one is
// read again once the pad is pulled out.
TEST(SdlJoystick, PadsAreReadThroughTheirMappingAndTakeOverFromAPlainJoystick) {
  Joystick* joystick = sdlJoystick();
  int plain = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_UNKNOWN, 2, 3, 0);
  ASSERT_GE(plain, 0) << SDL_GetError();
  ASSERT_FALSE(SDL_IsGameController(plain));
  ASSERT_EQ(reading(joystick), "32768 32768 0");
  SDL_Joystick* plainHandle = SDL_JoystickFromInstanceID(SDL_JoystickGetDeviceInstanceID(plain));
  ASSERT_NE(plainHandle, nullptr);
  SDL_JoystickSetVirtualButton(plainHandle, 1, 1);
  SDL_JoystickSetVirtualButton(plainHandle, 2, 1);
  EXPECT_EQ(reading(joystick), "32768 32768 2");

  int pad = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, SDL_CONTROLLER_AXIS_MAX,
                                      SDL_CONTROLLER_BUTTON_MAX, 0);
  ASSERT_GE(pad, 0) << SDL_GetError();
  ASSERT_TRUE(SDL_IsGameController(pad));
  EXPECT_EQ(reading(joystick), "32768 32768 0");  // the pad's, not the plain joystick's buttons
  SDL_Joystick* handle = SDL_JoystickFromInstanceID(SDL_JoystickGetDeviceInstanceID(pad));
  ASSERT_NE(handle, nullptr);

  SDL_JoystickSetVirtualButton(handle, SDL_CONTROLLER_BUTTON_DPAD_RIGHT, 1);
  SDL_JoystickSetVirtualButton(handle, SDL_CONTROLLER_BUTTON_DPAD_UP, 1);
  SDL_JoystickSetVirtualButton(handle, SDL_CONTROLLER_BUTTON_B, 1);
  SDL_JoystickSetVirtualButton(handle, SDL_CONTROLLER_BUTTON_START, 1);
  EXPECT_EQ(reading(joystick), "65535 0 0");

  SDL_JoystickSetVirtualButton(handle, SDL_CONTROLLER_BUTTON_DPAD_RIGHT, 0);
  SDL_JoystickSetVirtualButton(handle, SDL_CONTROLLER_BUTTON_DPAD_UP, 0);
  SDL_JoystickSetVirtualButton(handle, SDL_CONTROLLER_BUTTON_A, 1);
  SDL_JoystickSetVirtualAxis(handle, SDL_CONTROLLER_AXIS_LEFTX, SDL_JOYSTICK_AXIS_MIN);
  SDL_JoystickSetVirtualAxis(handle, SDL_CONTROLLER_AXIS_RIGHTY, SDL_JOYSTICK_AXIS_MIN);
  EXPECT_EQ(reading(joystick), "0 32768 1");

  ASSERT_EQ(SDL_JoystickDetachVirtual(pad), 0);
  EXPECT_EQ(reading(joystick), "32768 32768 2");
  ASSERT_EQ(SDL_JoystickDetachVirtual(plain), 0);
  EXPECT_EQ(reading(joystick), "none");
}

// A game played with a pad that is plugged in after start-up (so the centres of no joystick were
// read then) and pulled out in the middle of a move: the pad's d-pad, its south button with
// another button held, and its left stick each pass a row; once it is gone it feeds no moves, and
// the keyboard passes the next row.
TEST(SdlJoystick, PadPluggedInAfterStartUpAndPulledOutDuringAGame) {
  char dirTemplate[] = "/tmp/qvk-pad-game-XXXXXX";
  ASSERT_NE(mkdtemp(dirTemplate), nullptr);
  const std::string dir = dirTemplate;
  std::ofstream(dir + "/seq01.txt") << "30 d1 00 d1 d1 d1 d1\r\n"    // up
                                       "60 d1 d1 d1 d1 d1 00\r\n"    // action
                                       "90 d1 d1 d1 00 d1 d1\r\n"    // left
                                       "120 d1 d1 d1 d1 00 d1\r\n";  // right
  std::ofstream(dir + "/seq01.hot") << "0\r\n9999\r\n";
  resetGameState();
  HeadlessSession session;
  session.otherJoystick = sdlJoystick();
  session.virtualMedia.addClip("seq01.avi", 200);
  session.virtualMedia.addClip("seq01d1.avi", 24);
  session.virtualMedia.addClip("demo.avi", 30);
  ASSERT_EQ(SDL_NumJoysticks(), 0);
  openHeadlessSession(session, dir, dir, nullptr);
  runGameCommand(kCommandNew);
  auto runUntilFrame = [&](int32_t frame) {
    while (playback.currentFrame < frame && virtualGameThreadRunning()) runHeadlessPass(session);
  };

  runUntilFrame(20);
  int pad = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, SDL_CONTROLLER_AXIS_MAX,
                                      SDL_CONTROLLER_BUTTON_MAX, 0);
  ASSERT_GE(pad, 0) << SDL_GetError();
  runUntilFrame(44);  // row 0's window is open; the pad at rest moves nothing
  EXPECT_EQ(judging.decision, kDecisionNoMove);
  SDL_Joystick* handle = SDL_JoystickFromInstanceID(SDL_JoystickGetDeviceInstanceID(pad));
  ASSERT_NE(handle, nullptr);

  SDL_JoystickSetVirtualButton(handle, SDL_CONTROLLER_BUTTON_DPAD_UP, 1);
  runUntilFrame(46);
  SDL_JoystickSetVirtualButton(handle, SDL_CONTROLLER_BUTTON_DPAD_UP, 0);
  runUntilFrame(74);
  EXPECT_EQ(game.moveIndex, 1);
  SDL_JoystickSetVirtualButton(handle, SDL_CONTROLLER_BUTTON_X, 1);
  SDL_JoystickSetVirtualButton(handle, SDL_CONTROLLER_BUTTON_A, 1);
  runUntilFrame(76);
  SDL_JoystickSetVirtualButton(handle, SDL_CONTROLLER_BUTTON_X, 0);
  SDL_JoystickSetVirtualButton(handle, SDL_CONTROLLER_BUTTON_A, 0);
  runUntilFrame(104);
  EXPECT_EQ(game.moveIndex, 2);
  SDL_JoystickSetVirtualAxis(handle, SDL_CONTROLLER_AXIS_LEFTX, SDL_JOYSTICK_AXIS_MIN);
  runUntilFrame(106);
  EXPECT_EQ(judging.decision, kDecisionCorrect);

  ASSERT_EQ(SDL_JoystickDetachVirtual(pad), 0);  // pulled out with the stick still held left
  runUntilFrame(134);
  EXPECT_EQ(game.moveIndex, 3);
  EXPECT_FALSE(input.joystickRead);
  EXPECT_EQ(judging.decision, kDecisionNoMove);
  keyEvent(kKeyRight);
  runUntilFrame(150);
  EXPECT_EQ(game.moveIndex, 4);
  EXPECT_EQ(game.lives, kStartLives);

  closeHeadlessSession(session);
  std::filesystem::remove_all(dir);
}
