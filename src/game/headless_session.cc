// The program against the headless platform: the real start-up, commands and game thread, with
// virtual time that moves a tenth of a frame before every pass.
#include "game/headless_session.h"

static constexpr uint64_t kPassesPerFrame = 10;

static VirtualSoundDevice* sessionSound = nullptr;

static SoundDevice* createSessionSound() {
  return sessionSound;
}

void openHeadlessSession(HeadlessSession& session, const std::string& gameDir,
                         const std::string& installDir, MediaLibrary* media) {
  platform = Platform{};
  platform.directories.current = gameDir;
  platform.directories.install = installDir;
  platform.window = &session.window;
  platform.joystick = session.otherJoystick ? session.otherJoystick : &session.joystick;
  platform.timers = &session.timers;
  platform.media = media ? media : &session.virtualMedia;
  platform.drawer = &session.drawer;
  platform.virtualGameThread = true;
  sessionSound = session.soundClock ? &session.sound : nullptr;
  platform.createSoundDevice = !session.soundClock   ? nullptr
                               : session.createSound ? session.createSound
                                                     : createSessionSound;
  session.passes = 0;
  // As the real window: it has the keyboard focus before the game starts up.
  onFocusGained();
  runCommand(startUp);
}

void runHeadlessPass(HeadlessSession& session) {
  // Whole bytes and milliseconds so that ten passes make exactly one frame of each.
  uint64_t pass = session.passes++;
  uint64_t bytes = (pass + 1) * kSoundBytesPerFrame / kPassesPerFrame -
                   pass * kSoundBytesPerFrame / kPassesPerFrame;
  uint64_t ms =
      (pass + 1) * kFrameTimerMs / kPassesPerFrame - pass * kFrameTimerMs / kPassesPerFrame;
  if (session.soundClock) session.sound.advance(static_cast<uint32_t>(bytes));
  session.timers.advance(ms);
  runVirtualGamePass();
}

void closeHeadlessSession(HeadlessSession& session) {
  runCommand(shutDown);
  releaseKeyboardHook();
  if (playback.soundDevice != &session.sound) delete playback.soundDevice;
  playback.soundDevice = nullptr;
  playback.streamBuffer = nullptr;
  sessionSound = nullptr;
  platform = Platform{};
}
