// The platform layer: thin interfaces for everything the game asks of its operating system,
// each with a real implementation (the desktop program) and a headless one (tests, qvksim).
//
// Contents
//   Directories and data files   where the game's files are found
//   Text files                    line reads as the game's text files are read; bounded copies
//   Window                        message boxes, pictures, display-mode changes
//   Joystick                      joystick 0
//   Timers                        one-shot and periodic timer events
//   Sound                         the sound device and its buffers
//   Resources                     the program's own resources (the beeps, pictures, icons)
//   Media files                   AVI files as the game reads them
//   Frame drawing                 a stored video frame onto the window
//   Pictures                      a packed 8-bit bitmap (the title picture) as pixels
//   Stop requests                 how a game thread is ended without killing it
//   Wake-ups                      how the game thread sleeps until something happens
//   Debug print                   diagnostics that are discarded
//   Platform                      the one set of platform objects the game uses
//   Headless                      recording stand-ins for tests and qvksim
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// ---------------------------------------------------------------------------------------------
// Directories and data files
//
// The install directory stands for the game's own folder (move and hotspot files first, the
// saved game); the current directory holds the AVI files and infile.txt. Game data was authored
// on a case-insensitive file system, so every lookup falls back to a name that differs only in
// case.

struct Directories {
  std::string install;  // $XDG_DATA_HOME/qvk, or ~/.local/share/qvk
  std::string current;  // "." unless a tool or a test says otherwise
};

// The real install directory of this user ($XDG_DATA_HOME/qvk or ~/.local/share/qvk).
std::string defaultInstallDirectory();

// dir + "/" + name when that file exists; else the path of a file in dir whose name matches
// name without regard to case; else dir + "/" + name. Never throws.
std::string resolveInDirectory(const std::string& dir, const char* name);

// Opens name in dir (fopen modes), with the case-insensitive fallback. nullptr on failure, and
// for a name with a directory part.
FILE* openInDirectory(const std::string& dir, const char* name, const char* mode);

// Creates dir and its missing parents. True when dir exists afterwards.
bool makeDirectories(const std::string& dir);

// ---------------------------------------------------------------------------------------------
// Text files
//
// Reads one line the way the game's files were always read: at most size - 1 characters, up to
// and including the line end, with every CR LF pair delivered as a single LF. Every other byte,
// 0x1A included, is data. Returns false at the end of the file (nothing read).
bool readTextLine(FILE* file, char* buffer, int size);

// Little-endian fields of the files the game reads (RIFF chunks, the saved game).
inline uint16_t readLe16(const uint8_t* p) {
  return uint16_t(p[0] | p[1] << 8);
}
inline uint32_t readLe32(const uint8_t* p) {
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

// Copies source into dest, cut to fit destSize with its terminator. appendText adds to what
// dest holds already, cut the same way.
void copyText(char* dest, size_t destSize, const char* source);
void appendText(char* dest, size_t destSize, const char* source);

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
  // The plain return from full screen (Esc, end of a game); the game's display mode is then
  // windowed.
  virtual void returnToWindowed() = 0;
  // The return used by Stop: waits 200 ms and renews the drawing resources too; the display
  // mode is then windowed.
  virtual void resetToWindowed() = 0;
  // Runs task on the window thread, later (the real window) or at once (headless). The timer
  // service uses it so that the attract mode runs on the same thread as the menu commands.
  virtual void runOnWindowThread(void (*task)()) = 0;
  // Except for showMessage, no call waits for the window thread: a thread that the window
  // thread may be waiting for (a game thread being ended) must never wait for it in turn.
};

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

// The real timer service: one thread of its own that runs every callback. Deleting it ends the
// thread; events still set are dropped.
TimerService* createTimerService();

// ---------------------------------------------------------------------------------------------
// Sound
//
// A sound buffer plays its bytes once or in a loop; its play cursor is the byte it plays next.
// Every method is safe against calls on the same buffer from other threads.

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
  // From now on the buffer wakes the game thread (wakeGame) whenever its play cursor crosses a
  // multiple of bytes, at the moment the sound card takes those bytes; 0: never.
  virtual void wakeGameEvery(uint32_t bytes) = 0;
  virtual void release() = 0;  // the buffer is gone afterwards
};

// Whether a play cursor that moves on by bytes from cursor, in a buffer of size bytes, crosses a
// multiple of interval (0: never); the buffer's start, where the cursor wraps, is one.
inline bool cursorCrossesMultiple(uint32_t cursor, uint32_t bytes, uint32_t size,
                                  uint32_t interval) {
  if (interval == 0 || bytes == 0) return false;
  uint64_t end = uint64_t{cursor} + bytes;
  return end >= size || cursor / interval != end / interval;
}

struct SoundDevice {
  virtual ~SoundDevice() = default;  // releases the buffers it still has
  // nullptr when the device cannot make such a buffer.
  virtual SoundBuffer* createBuffer(const WaveFormat& format, uint32_t bytes) = 0;
};

// A one-shot buffer that reaches its end stops, and its cursor goes back to 0, so that the next
// play sounds it again from the start. Volumes run from -10000 (silent) to 0 (full).
constexpr int32_t kSilentVolume = -10000;

// The real sound device: SDL2 audio on the default output, opened for the game's own sound
// format (22050 Hz, 8-bit unsigned stereo; SDL converts for the hardware), with a mixer in the
// audio callback. Its buffers must be in that format. nullptr when there is no audio device.
SoundDevice* createSdlSoundDevice();
// The same mixer with no audio device behind it: it mixes only when mixSdlSound is called
// (deterministic tests of the mixer, the benchmark).
SoundDevice* createSdlMixerDevice();
// The next bytes of output of every playing buffer of device (made by one of the two above),
// mixed as the audio callback mixes them, with the play cursors moved on.
void mixSdlSound(SoundDevice* device, uint8_t* out, uint32_t bytes);

// ---------------------------------------------------------------------------------------------
// Resources
//
// The program's own resources, compiled into it: the wave images "GBEEP" and "BBEEP". The bytes
// stay valid for the rest of the run. False when there is no resource of that name.
bool findResource(const char* name, const uint8_t** bytes, size_t* size);

// ---------------------------------------------------------------------------------------------
// Media files
//
// An open AVI file as the game reads it: its first video stream and its first audio stream,
// either of which may be absent. Reads past a stream's end, or on an absent stream, fail.

// A bitmap information header and a whole 256-colour table. (A buffer of 1024 bytes would cut
// the table at 246 colours and show the last ten black.)
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
  // Opens fileName in the current directory (case-insensitive fallback); nullptr on failure.
  virtual MediaFile* open(const char* fileName) = 0;
  virtual void release(MediaFile* file) = 0;
};

// ---------------------------------------------------------------------------------------------
// Frame drawing
//
// The stand-in for drawing a compressed frame into the window: decodes it with the state the
// previous frames left (delta frames draw over the last picture) and shows it stretched to the
// client area. format is the video format with its compression code as the game rewrote it.

struct FrameDrawer {
  virtual ~FrameDrawer() = default;
  virtual void drawFrame(const uint8_t* format, int32_t formatSize, const uint8_t* frame,
                         int32_t frameSize) = 0;
};

// ---------------------------------------------------------------------------------------------
// Pictures
//
// A packed device-independent bitmap as stored in the program's resources: a 40-byte
// information header, its colour table and 8-bit pixels, uncompressed or BI_RLE8. Decoded to
// 32-bit 0x00RRGGBB pixels, top row first; pixels the compressed data skip keep colour 0.

struct DecodedPicture {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> pixels;  // width * height
};

constexpr uint32_t kBitmapRgb = 0;   // uncompressed
constexpr uint32_t kBitmapRle8 = 1;  // BI_RLE8
constexpr int kBitmapInfoHeaderSize = 40;

// False (and an empty picture) for anything but an 8-bit picture of sane size whose header and
// colour table are whole; compressed data that end early or run past the edges are cut off.
bool decodeDib(const uint8_t* bytes, size_t size, DecodedPicture* picture);

// The 8-bit pixel data of a width x height picture (kBitmapRle8, or kBitmapRgb rows padded to
// four bytes) as colour indices, one byte a pixel, rows in stored order. Pixels the compressed
// data skip keep the index they had, so a delta frame draws over the picture before it. False
// for damaged data (a jump or a row beyond the picture, pixels beyond the data); what came
// before the damage is decoded.
bool decodeDibIndices(const uint8_t* data, size_t size, uint32_t compression, int width, int height,
                      uint8_t* indices);

// ---------------------------------------------------------------------------------------------
// Stop requests
//
// A game thread is never killed: it is asked to stop, and honours the request at its next safe
// point. Every wait it can be in (a message box, the one-second wait of an open) gives up early
// once its thread has been asked to stop, so a command that joins the thread never deadlocks.

// The flag the calling thread watches (nullptr: never asked to stop, as on the window thread).
extern thread_local const std::atomic<bool>* threadStopRequest;

// Whether the calling thread has been asked to stop.
bool stopRequested();

// Waits ms milliseconds of real time, or less when the calling thread is asked to stop.
// False when the wait was cut short.
bool waitUnlessStopped(uint32_t ms);

// ---------------------------------------------------------------------------------------------
// Wake-ups
//
// The game thread sleeps while nothing can change the outcome of its next pass, and whatever
// can wakes it: the play cursor entering the next frame's sound, a FrameTimer tick, a key, a
// focus change, a stop request, a message box closing. Wake-ups are counted: the thread reads
// the count before a pass and sleeps only while it is unchanged, so a wake-up that comes during
// the pass is never lost. A stop request must wake the thread after it is set.

uint64_t gameWakeCount();
// Any thread, the audio callback included: takes one short lock and never waits otherwise.
void wakeGame();
// Sleeps until the count differs from seen, the calling thread is asked to stop, or timeoutMs
// has passed.
void waitForGameWake(uint64_t seen, uint32_t timeoutMs);
// Whether a thread sleeps in waitForGameWake having seen every wake-up so far, so that only
// another one can wake it (tests: the game thread has run its passes and gone to sleep).
bool gameWakeSleeperUpToDate();

// ---------------------------------------------------------------------------------------------
// Debug print
//
// Diagnostics that the game writes and nobody reads: discarded unless the build turns them on.
void debugPrint(const char* format, ...) __attribute__((format(printf, 1, 2)));

// ---------------------------------------------------------------------------------------------
// Platform
//
// The platform objects in use. Start-up (or a test) sets them before anything else runs; a
// missing object disables its feature.

struct Platform {
  Directories directories;
  Window* window = nullptr;
  Joystick* joystick = nullptr;
  TimerService* timers = nullptr;
  // Creates the sound device (nullptr: no device, timer mode).
  SoundDevice* (*createSoundDevice)() = nullptr;
  MediaLibrary* media = nullptr;
  FrameDrawer* drawer = nullptr;
  // Real waits take real time (waitUnlessStopped); headless ones return at once.
  bool realTimeWaits = false;
  // The longest the game thread sleeps without a wake-up, so that a lost one can never stall a
  // game. Tests make it long, so that a lost wake-up shows.
  uint32_t gameWakeTimeoutMs = 100;
  // Headless, the game thread is virtual: starting it only resets its state, and the caller
  // runs its passes one by one against virtual time.
  bool virtualGameThread = false;
};

// A wait of the game: real time on the desktop, none headless. False when cut short by a stop
// request.
bool platformWait(uint32_t ms);

extern Platform platform;

// ---------------------------------------------------------------------------------------------
// Headless
//
// Stand-ins for tests and qvksim: nothing real happens, everything is recorded, and every clock
// moves only when the caller moves it. Each is safe to use from several threads.

struct RecordedMessage {
  std::string text;
  std::string caption;
  bool warning = false;
};

struct HeadlessWindow : Window {
  void showMessage(const char* text, const char* caption, bool warning) override;
  void showPicture(const uint32_t* pixels, int width, int height) override;
  void invalidate() override;
  void returnToWindowed() override;
  void resetToWindowed() override;
  void runOnWindowThread(void (*task)()) override;

  std::vector<RecordedMessage> messagesSeen();  // a copy, safe while other threads record
  void clear();

  // Called (outside the lock) for every message box, before it "closes".
  void (*onMessage)(const char* text, const char* caption) = nullptr;
  // Called (outside the lock) by both returns to the windowed display; the headless session
  // sets the game's display mode there, as the real window does.
  void (*onWindowed)() = nullptr;

  std::mutex lock;
  std::vector<RecordedMessage> messages;
  std::vector<uint32_t> lastPicture;  // the last picture shown, width * height pixels
  int pictures = 0;
  int invalidations = 0;
  int returnsToWindowed = 0;
  int resetsToWindowed = 0;
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
  void release() override;  // marks it released; the device keeps it for inspection

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
