// The headless platform: stand-ins for every interface of platform.h, for the tests and qvksim.
// Nothing real happens, everything is recorded, and every clock moves only when the caller
// moves it. Each is safe to use from several threads.
#pragma once

#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/platform.h"

// The real sound device's mixer with no audio device behind it: it mixes only when mixSdlSound
// is called (deterministic tests of the mixer, the benchmark). clock gives the time in
// nanoseconds that the play cursors move with (nullptr: the real monotonic clock). With an
// output (sound_output.h), the buffers' play and stop tell it what is wanted; the caller steps
// it (stepSoundOutput) and mixes as its backend would.
struct SoundOutput;
SoundDevice* createSdlMixerDevice(int64_t (*clock)() = nullptr, SoundOutput* output = nullptr);
// The next bytes of output of every playing buffer of device (made by createSdlSoundDevice or
// createSdlMixerDevice), mixed as the audio callback mixes them, with the play cursors moved on.
void mixSdlSound(SoundDevice* device, uint8_t* out, uint32_t bytes);
// When the sound that device's mixer has taken so far will have been heard (INT64_MIN: none
// plays), on the device's clock.
int64_t sdlSoundHeardUntil(SoundDevice* device);

struct RecordedMessage {
  std::string text;
  std::string caption;
  bool warning = false;
};

struct HeadlessWindow : Window {
  void showMessage(const char* text, const char* caption, bool warning) override;
  void showPicture(const uint32_t* pixels, int width, int height) override;
  void invalidate() override;
  void enterFullScreen() override;
  void returnToWindowed() override;
  void resetToWindowed() override;
  void runOnWindowThread(void (*task)()) override;
  void showStatus(const char* text) override;

  std::vector<RecordedMessage> messagesSeen();  // a copy, safe while other threads record
  std::string statusShown();                    // the status the title shows now
  void clear();

  // Called (outside the lock) for every message box, before it "closes".
  void (*onMessage)(const char* text, const char* caption) = nullptr;

  std::mutex lock;
  std::vector<RecordedMessage> messages;
  std::vector<uint32_t> lastPicture;  // the last picture shown, width * height pixels
  int pictures = 0;
  int invalidations = 0;
  int fullScreens = 0;
  int returnsToWindowed = 0;
  int resetsToWindowed = 0;
  std::string status;
};

// Joystick 0 as a script sets it: absent until plugged in.
struct HeadlessJoystick : Joystick {
  bool getCaps(JoystickCaps* caps) override;
  bool getPosition(JoystickPosition* position) override;

  void plugIn(JoystickPosition position);  // present, reading this position
  void unplug();

  std::mutex lock;
  bool capsReadable = true;
  JoystickCaps caps{0, 65535, 0, 65535};
  bool present = false;
  JoystickPosition position;
};

// Virtual time, moved on only by the caller; callbacks run on the caller's thread.
struct PendingTimer {
  TimerId id = 0;
  uint64_t dueMs = 0;     // the virtual time of its next call
  uint32_t periodMs = 0;  // 0: one-shot
  TimerCallback callback = nullptr;
  uint64_t order = 0;  // breaks ties between events due at the same moment
};

struct HeadlessTimers : TimerService {
  TimerId setEvent(uint32_t delayMs, TimerCallback callback, bool periodic) override;
  void killEvent(TimerId id) override;

  // Moves virtual time on by ms, running every callback that falls due on the way in time order
  // (events due at the same moment in the order they were set or last rescheduled).
  void advance(uint64_t ms);
  // Moves virtual time to the next due event and runs it. False (time unchanged) when none.
  bool advanceToNext();
  uint64_t now();
  std::vector<PendingTimer> pending();  // in the order they will fire
  bool isPending(TimerId id);

  std::mutex lock;
  std::condition_variable callbackDone;
  uint64_t nowMs = 0;
  std::vector<PendingTimer> events;
  uint64_t nextOrder = 0;
  TimerId lastId = 0;
  TimerId runningId = 0;  // the event whose callback runs now
  std::thread::id runningThread;
};

// A virtual sound card: buffers keep their bytes in memory and their play cursors move only
// when the caller advances the device. Every call is recorded; switches make calls fail.
struct VirtualSoundDevice;

struct VirtualSoundBuffer : SoundBuffer {
  bool lock(uint32_t offset, uint32_t bytes, uint8_t** region1, uint32_t* length1,
            uint8_t** region2, uint32_t* length2) override;
  bool unlock(uint8_t* region1, uint32_t length1, uint8_t* region2, uint32_t length2) override;
  bool play(bool looping) override;
  bool stop() override;
  bool getCurrentPosition(uint32_t* playCursor) override;
  bool setCurrentPosition(uint32_t position) override;
  bool setVolume(int32_t hundredthsOfDecibel) override;
  void wakeGameEvery(uint32_t bytes) override;
  int64_t timeToNextWakeUs() override;  // -1: its cursor moves only when the device advances
  void release() override;              // marks it released; the device keeps it for inspection

  // All of these are guarded by the device's lock.
  VirtualSoundDevice* device = nullptr;
  int number = 0;  // 1 for the first buffer the device made, and so on
  WaveFormat format;
  std::vector<uint8_t> bytes;
  uint32_t cursor = 0;
  bool playing = false;
  bool looping = false;
  bool released = false;
  int32_t volume = 0;
  uint32_t wakeInterval = 0;  // wakeGameEvery's bytes
  int plays = 0, stops = 0, positionReads = 0, locks = 0, unlocks = 0;
  int openLocks = 0;  // locks not yet unlocked
  bool failGetPosition = false;
  bool failLock = false;
  bool failUnlock = false;
};

struct VirtualSoundDevice : SoundDevice {
  ~VirtualSoundDevice() override;
  SoundBuffer* createBuffer(const WaveFormat& format, uint32_t bytes) override;

  // Moves the cursor of every playing buffer on by bytes: a looping one wraps, a one-shot one
  // stops at its end. A buffer whose cursor crosses a multiple of its wake interval wakes the
  // game thread.
  void advance(uint32_t bytes);
  // The calls so far, one line each: "create 1 44100", "play 1 loop", "play 2 once",
  // "stop 1", "lock 1 7350 7350", "unlock 1", "position 1 0", "volume 1 -1", "release 2".
  // Position reads are counted per buffer, not listed.
  std::vector<std::string> eventsSeen();
  void clearEvents();
  // Makes createBuffer fail (the fail switches of each buffer are its own).
  bool failCreateBuffer = false;

  std::mutex lock;
  std::vector<std::unique_ptr<VirtualSoundBuffer>> buffers;  // released ones included
  std::vector<std::string> events;
};

// Replaces a resource of the program for the tests (bytes null: the resource is missing) until
// restoreResources.
void replaceResource(const char* name, const uint8_t* bytes, size_t size);
void restoreResources();

// Clips that exist only as a name and a frame count, with sound in the game's format
// (3675 bytes a frame). A frame's stored bytes are a tag that names its number, so a drawing
// records which frame it showed; the sound byte at track position p is p % 251.
struct VirtualMediaLibrary : MediaLibrary {
  MediaFile* open(const char* fileName) override;
  void release(MediaFile* file) override;

  void addClip(const std::string& name, int32_t frames, bool withSound = true);
  // Reads lines "NAME FRAMES" ('#' starts a comment). False, with the line, on a bad line.
  bool loadManifest(const char* path, std::string* error);

  struct Clip {
    std::string name;
    int32_t frames = 0;
    bool withSound = true;
  };
  std::mutex lock;
  std::vector<Clip> clips;
  int openFiles = 0;  // files opened and not yet released
};

constexpr int kVirtualFrameBytes = 8;  // "VFRM" and the frame number
// The frame number a virtual frame's bytes name, or -1 for other bytes (a blank slot).
int32_t virtualFrameNumber(const uint8_t* frame, int32_t size);

// Records the frames drawn: the number a virtual frame names, or -1.
struct HeadlessDrawer : FrameDrawer {
  void drawFrame(const uint8_t* format, int32_t formatSize, const uint8_t* frame,
                 int32_t frameSize) override;
  std::vector<int32_t> framesDrawn();  // a copy
  void clear();

  std::mutex lock;
  std::vector<int32_t> drawn;
};
