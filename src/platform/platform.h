// The platform layer: thin interfaces for everything the game asks of its operating system,
// each with a real implementation (the desktop program) and a headless one (tests, qvksim).
//
// Contents
//   Directories and data files   where the game's files are found, how a line is read
//   Window                        message boxes, pictures, display-mode changes
//   Commands                      one at a time: no command inside a command
//   Joystick                      joystick 0
//   Timers                        one-shot and periodic timer events
//   Sound                         the sound device and its buffers
//   Resources                     the program's own resources (the beeps, pictures, icons)
//   Media files                   AVI files as the game reads them
//   Frame drawing                 a stored video frame onto the window
//   Stop requests                 how a game thread is ended unkilled (woken: game_wake.h)
//   Diagnostics                   the debug print, which is discarded; the event trace
//   Platform                      the one set of platform objects the game uses
#pragma once

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "base/base.h"

// ---------------------------------------------------------------------------------------------
// Directories and data files
//
// The install directory stands for the game's own folder (move and hotspot files first, the
// saved game); the current directory holds the AVI files and infile.txt. Game data was authored
// on a case-insensitive file system: every lookup falls back to a name differing only in case.

struct Directories {
  std::string install;  // $XDG_DATA_HOME/qvk, or ~/.local/share/qvk
  std::string current;  // "." unless a tool or a test says otherwise
  // Where the installed sample game was looked for, with no game in the current directory.
  std::vector<std::string> samplesTried;
};

// The names a directory holds, in the order the system lists them; none when it cannot be read.
std::vector<std::string> listDirectory(const std::string& dir);
// The entry of a directory's names that the game takes for name: name itself, else the first
// that differs from it only in case. -1 when there is none.
int findFileName(const std::vector<std::string>& entries, const char* name);

// dir + "/" + name when that file exists; else the path of the file in dir that findFileName
// takes for name; else dir + "/" + name. Never throws.
std::string resolveInDirectory(const std::string& dir, const char* name);

// Opens path for reading when it is a regular file; -1 for anything else (missing, a
// directory, a named pipe, a device), at once: a named pipe is never waited on. On failure
// errno says why (EISDIR for a directory, kNotPlainFile for any other kind of file).
int openRegularFile(const char* path);
// The same as a stream (mode "rb"); nullptr for anything but a regular file.
FILE* openDataFile(const std::string& path);

// Opens name in dir for reading (mode "r" or "rb") with the case-insensitive fallback, as
// openDataFile does. nullptr on failure, and for a name with a directory part (kNotPlainFile).
FILE* openInDirectory(const std::string& dir, const char* name, const char* mode);

// Why a file could not be used, besides the system's errno values: it is not a plain file (a
// pipe, a device, a name that leads out of its directory), or its contents are not what the
// game reads (a damaged clip).
constexpr int kNotPlainFile = -1;
constexpr int kDamagedFile = -2;
// A file as a message names it: its absolute path, and with an error the reason, as
// "/home/ann/game/seq01.txt: No such file or directory" (error 0: the path alone).
std::string fileInMessage(const std::string& path, int error);

// Reads one line the way the game's files were always read: at most size - 1 characters, up to
// and including the line end, with every CR LF pair delivered as a single LF. Every other byte,
// 0x1A included, is data. Returns false at the end of the file (nothing read).
bool readTextLine(FILE* file, char* buffer, int size);

// ---------------------------------------------------------------------------------------------
// Window
//
// The main window as the game sees it. Calls may come from any thread; the real window hands
// them to the user-interface thread. showMessage returns when the player has closed the box.

struct Window {
  virtual ~Window() = default;
  // A modal box with an OK button, owned by the main window. warning adds the warning icon.
  // On a thread other than the window's it waits for the box, but returns early (closing the
  // box) when that thread is asked to stop.
  virtual void showMessage(const char* text, const char* caption, bool warning) = 0;
  // A decoded 320x240 frame, 32-bit 0x00RRGGBB pixels, to be shown stretched to the client area.
  virtual void showPicture(const uint32_t* pixels, int width, int height) = 0;
  // Paint the whole client area again (the title picture when nothing plays).
  virtual void invalidate() = 0;
  // The display modes, as the game has set them: the picture stretched over the whole screen;
  // the plain return to the windowed display (Esc, the end of a game); the return used by Stop,
  // which waits 200 ms and renews the drawing resources too.
  virtual void enterFullScreen() = 0;
  virtual void returnToWindowed() = 0;
  virtual void resetToWindowed() = 0;
  // Runs task on the window thread, later (the real window) or at once (headless), as a caller
  // of commands rather than as one: the attract mode's look, which starts a command only when
  // none runs (runCommandIfIdle).
  virtual void runOnWindowThread(void (*task)()) = 0;
  // A real-time wait of the game (waitUnlessStopped). The real window, waited on by its own
  // thread, keeps being painted meanwhile; what else reaches it is held until the waiting
  // command is done (runCommand). False when the wait was cut short by a stop request.
  virtual bool wait(uint32_t ms);
  // A few words on the game's state beside the window's title ("Paused", "Game saved"); an
  // empty text shows the title alone. Never drawn over the picture.
  virtual void showStatus(const char* status) { (void)status; }
  // Except for showMessage, no call waits for the window thread: a thread that the window
  // thread may be waiting for (a game thread being ended) must never wait for it in turn.
};

// ---------------------------------------------------------------------------------------------
// Commands
//
// What reaches the window from outside (a menu command, a key, a focus change, the close
// button, work handed over by another thread) runs as a command, one at a time: no command
// starts inside another. A command that waits runs a nested loop of the window (the second's
// wait of an open, a message box), and what arrives meanwhile on the window thread is held; it
// runs right after the command, in the order it came, before anything that arrives later.

using Command = std::function<void()>;

// Runs command now when no command runs. Inside a command of this thread (its nested loop) it
// is held, as above; from another thread the call waits until the running command, and what it
// holds, has run, and then runs command.
void runCommand(Command command);
// Runs command now only when no command runs; false, and nothing run, when one does.
bool runCommandIfIdle(Command command);

// ---------------------------------------------------------------------------------------------
// Joystick
//
// Joystick 0. Positions are unsigned; the real joystick reports 0..65535 with the centre at
// 32767, and buttonNumber counts the buttons held down.

struct JoystickCaps {
  uint32_t xMin = 0, xMax = 0, yMin = 0, yMax = 0;
};
struct JoystickPosition {
  uint32_t x = 0, y = 0, buttonNumber = 0;
};

struct Joystick {
  virtual ~Joystick() = default;
  virtual bool getCaps(JoystickCaps* caps) = 0;              // false: no capabilities
  virtual bool getPosition(JoystickPosition* position) = 0;  // false: no reading this time
};

// Joystick 0 of the desktop (SDL); both calls fail while no joystick is plugged in.
Joystick* sdlJoystick();

// ---------------------------------------------------------------------------------------------
// Timers
//
// Killing an event guarantees that its callback is not running and will not run again (unless
// killEvent is called from that very callback). Id 0 means "no timer".

using TimerId = uint32_t;
using TimerCallback = void (*)();

struct TimerService {
  virtual ~TimerService() = default;
  // Calls callback once after delayMs, or every delayMs. A delay of 0 or no callback fails
  // (id 0), as the multimedia timers refuse a delay below their 1 ms resolution.
  virtual TimerId setEvent(uint32_t delayMs, TimerCallback callback, bool periodic) = 0;
  // Nothing happens for an id that is not running (0, killed, a one-shot event that has fired).
  virtual void killEvent(TimerId id) = 0;
};

// Kills the event whose id timer holds, if any, and clears timer (platform.timers').
void killTimer(std::atomic<TimerId>& timer);

// The real timer service: one thread of its own that runs every callback. Deleting it ends the
// thread; events still set are dropped.
TimerService* createTimerService();

// ---------------------------------------------------------------------------------------------
// Sound
//
// A sound buffer plays its bytes once or in a loop; its play cursor is the byte it plays next.
// Every method is safe against calls on the same buffer from other threads.

// The sound every clip carries: 22050 Hz, 8-bit unsigned stereo, 12 frames of picture a second.
constexpr int kFramesPerSecond = 12;
constexpr int kSoundBytesPerSecond = 44100;
constexpr int kSoundBytesPerFrame = kSoundBytesPerSecond / kFramesPerSecond;  // 3675
constexpr int kBytesPerSample = 2;  // one byte per channel
constexpr uint8_t kSilence = 128;   // 8-bit unsigned sound at rest

struct WaveFormat {
  uint16_t formatTag = 1;  // 1: PCM
  uint16_t channels = 2;
  uint32_t samplesPerSec = 22050;
  uint32_t avgBytesPerSec = 44100;
  uint16_t blockAlign = 2;
  uint16_t bitsPerSample = 8;
};

// The sound format as a wave file or an AVI stream stores it (the first 16 bytes of its format
// record; 14 are enough, the bits per sample are then 0).
WaveFormat waveFormatFromRecord(const uint8_t* record, size_t size);

struct SoundBuffer {
  virtual ~SoundBuffer() = default;
  // Up to two writable regions of bytes bytes from offset (the second when the range wraps).
  virtual bool lock(uint32_t offset, uint32_t bytes, uint8_t** region1, uint32_t* length1,
                    uint8_t** region2, uint32_t* length2) = 0;
  virtual bool unlock(uint8_t* region1, uint32_t length1, uint8_t* region2, uint32_t length2) = 0;
  virtual bool play(bool looping) = 0;
  virtual bool stop() = 0;
  virtual bool getCurrentPosition(uint32_t* playCursor) = 0;
  virtual bool setCurrentPosition(uint32_t position) = 0;
  virtual bool setVolume(int32_t hundredthsOfDecibel) = 0;
  // The multiples of bytes are wake points: the game thread (game_wake.h) wakes as the play cursor
  // reaches one, timing its sleep by timeToNextWakeUs where it can; the device wakes it where
  // the sleep could not be timed (a virtual card as its cursor moves on).
  virtual void wakeGameEvery(uint32_t bytes) = 0;  // 0: never
  // Microseconds until the play cursor, moving on with time, reaches the next wake point after
  // the cursor getCurrentPosition last told (0 when it has passed that point since); -1 when
  // only the device can tell (it wakes the game then).
  virtual int64_t timeToNextWakeUs() = 0;
  virtual void release() = 0;  // the buffer is gone afterwards
};

struct SoundDevice {
  virtual ~SoundDevice() = default;  // releases the buffers it still has
  // nullptr when the device cannot make such a buffer.
  virtual SoundBuffer* createBuffer(const WaveFormat& format, uint32_t bytes) = 0;
  // Whether the device plays on without a system output, in silence (sound_output.h).
  virtual bool silent() { return false; }
};

// A one-shot buffer that reaches its end stops with its cursor back at 0, so the next play
// sounds it again. Volumes run from -10000 (silent) to 0 (full).
constexpr int32_t kSilentVolume = -10000;

// The real sound device: a mixer of buffers in the game's own sound format (22050 Hz, 8-bit
// unsigned stereo), played through SDL2 audio on the default output (SDL converts for the
// hardware). Without an output (none at all, or one that goes away) it plays on in silence at
// the same pace, and tries the output again, so it is never missing (sound_output.h).
SoundDevice* createSdlSoundDevice();

// ---------------------------------------------------------------------------------------------
// Resources: compiled into the program ("GBEEP", "TITLE"), their bytes valid for the whole run.
bool findResource(const char* name, const uint8_t** bytes, size_t* size);

// ---------------------------------------------------------------------------------------------
// Media files
//
// An open AVI file as the game reads it: its first video stream and its first audio stream,
// either of which may be absent. Reads past a stream's end, or on an absent stream, fail.

// A bitmap information header and a whole 256-colour table (1024 bytes would cut it at 246).
constexpr int kVideoFormatSize = 40 + 256 * 4;

struct MediaFile {
  virtual ~MediaFile() = default;
  virtual int32_t frameCount() = 0;  // the file information's length: video frames
  virtual bool hasVideo() = 0;
  virtual bool hasAudio() = 0;
  // The video format as stored: a 40-byte bitmap information header and its colour table,
  // at most bufferSize bytes. *size receives the bytes copied.
  virtual bool readVideoFormat(uint8_t* buffer, int32_t bufferSize, int32_t* size) = 0;
  virtual bool readAudioFormat(WaveFormat* format) = 0;
  // Frame n's stored bytes. Fails when they do not fit bufferSize.
  virtual bool readVideoFrame(int32_t frame, uint8_t* buffer, int32_t bufferSize,
                              int32_t* bytesRead) = 0;
  // sampleCount samples (2 bytes each) from firstSample on, at most bufferSize bytes. Fails when
  // firstSample lies at or past the end of the sound track; a read that runs into the end
  // delivers what there is.
  virtual bool readAudio(int32_t firstSample, int32_t sampleCount, uint8_t* buffer,
                         int32_t bufferSize, int32_t* bytesRead) = 0;
};

struct MediaLibrary {
  virtual ~MediaLibrary() = default;
  // Opens fileName in the current directory (case-insensitive fallback); nullptr on failure,
  // with errno saying why.
  virtual MediaFile* open(const char* fileName) = 0;
  virtual void release(MediaFile* file) = 0;
};

// ---------------------------------------------------------------------------------------------
// Frame drawing
//
// The stand-in for drawing a compressed frame into the window: decodes it with the state the
// previous frames left (delta frames draw over the last picture) and shows it stretched to the
// client area. format is the video format as the file stores it.

struct FrameDrawer {
  virtual ~FrameDrawer() = default;
  virtual void drawFrame(const uint8_t* format, int32_t formatSize, const uint8_t* frame,
                         int32_t frameSize) = 0;
};

// ---------------------------------------------------------------------------------------------
// Stop requests
//
// A game thread is never killed: it is asked to stop, and honours the request at its next safe
// point. Every wait it can be in (a message box, the one-second wait of an open) gives up early
// once its thread has been asked to stop, so a command that joins the thread never deadlocks.

// The flag the calling thread watches (nullptr: never asked to stop, as on the window thread).
extern thread_local const std::atomic<bool>* threadStopRequest;

bool stopRequested();  // whether the calling thread has been asked to stop
// Waits ms milliseconds of real time, or less when the calling thread is asked to stop.
// False when the wait was cut short.
bool waitUnlessStopped(uint32_t ms);

// ---------------------------------------------------------------------------------------------
// Diagnostics. The debug print: what the game writes and nobody reads, unless the build says.
void debugPrint(const char* format, ...) __attribute__((format(printf, 1, 2)));

// The event trace that qvksim prints. When the hook is set, the places where the game's events
// happen report them as one line each ("open seq01.avi 0", "verdict 8 3"), on their own thread;
// traceState tells the hook (with no line) that the state it follows may have changed.
extern void (*traceHook)(const char* line);
void traceEvent(const char* format, ...) __attribute__((format(printf, 1, 2)));
void traceState();

// ---------------------------------------------------------------------------------------------
// Platform
//
// The platform objects in use, set by start-up (or a test) first; a missing one disables its
// feature.

struct Platform {
  Directories directories;
  Window* window = nullptr;
  Joystick* joystick = nullptr;
  TimerService* timers = nullptr;
  // Creates the sound device (nullptr: no device, the FrameTimer drives the clock).
  SoundDevice* (*createSoundDevice)() = nullptr;
  // Called on the sound output's own thread when the sound device goes silent or is heard
  // again: an arrow upwards, to the game's status in the window's title.
  void (*soundSilenceChanged)() = nullptr;
  MediaLibrary* media = nullptr;
  FrameDrawer* drawer = nullptr;
  // Real waits take real time (the window's wait); headless ones return at once.
  bool realTimeWaits = false;
  uint32_t gameWakeTimeoutMs = 100;  // the game thread's longest sleep (game_wake.h)
  // Headless, the game thread is virtual: starting it only resets its state, and the caller
  // runs its passes one by one against virtual time.
  bool virtualGameThread = false;
};

// A wait of the game: real time on the desktop, none headless. False when cut short.
bool platformWait(uint32_t ms);

extern Platform platform;
