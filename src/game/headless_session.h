// The headless session: the program against the headless platform, for qvksim and the tests.
// The real start-up, commands, game thread (virtual: its passes run one by one) and shutdown,
// with a virtual clock. Before every pass, virtual time moves on by a tenth of a frame: the
// sound card by 367 or 368 bytes (sound clock), the timers by 8.3 ms (so the FrameTimer ticks
// once every ten passes).
#pragma once

#include <string>

#include "game/game.h"
#include "platform/headless.h"

struct HeadlessSession {
  HeadlessWindow window;
  HeadlessJoystick joystick;
  HeadlessTimers timers;
  VirtualSoundDevice sound;
  VirtualMediaLibrary virtualMedia;
  HeadlessDrawer drawer;
  bool soundClock = true;  // false: no sound device, the FrameTimer drives the clock
  // With the sound clock, makes another sound device instead of the virtual sound card (the
  // SDL device's mixer on a clock of the test's); the session deletes it at its close.
  SoundDevice* (*createSound)() = nullptr;
  // Joystick 0 in place of the scripted one (the desktop's SDL joystick), or nullptr.
  Joystick* otherJoystick = nullptr;
  uint64_t passes = 0;
};

// Puts the headless platform in place: gameDir is the current directory, installDir the install
// directory, media the AVI files (nullptr: the session's virtual media). Then runs the start-up.
void openHeadlessSession(HeadlessSession& session, const std::string& gameDir,
                         const std::string& installDir, MediaLibrary* media);
// Moves virtual time on by a tenth of a frame, then runs one pass of the game thread if one runs.
void runHeadlessPass(HeadlessSession& session);
// Ends a running game thread and shuts down in order; the platform is emptied.
void closeHeadlessSession(HeadlessSession& session);
