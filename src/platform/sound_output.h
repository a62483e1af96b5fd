// What drives a sound device's mixer. While a buffer plays, the system's audio output (SDL's)
// calls the mixer from its own thread, a block at a time. While there is no such output (none
// at start-up, or it could not be opened, or it went away: a sound server restarted, a headset
// switched), the output takes the same blocks at the same pace by its own clock and throws them
// away: the play cursors, and the game clock with them, go on as if the sound were heard. It
// tries the system's output again at the next play and every few seconds while playing, and
// the sound comes back without a jump of the clock. After the last buffer stops, the system's
// output stays open a few seconds, so the one-second pause between two clips does not open it
// again; then it closes, since an open output costs a wake-up of its thread 22 times a second.
//
// Nothing here waits for the system's output on a caller's behalf: play and stop only note
// what is wanted, and one thread of the output's own opens, checks and closes it.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>

struct SoundDevice;

// The system's audio output for one device.
struct AudioBackend {
  virtual ~AudioBackend() = default;
  // Starts the output, which from then on mixes the device's sound a block at a time on a
  // thread of its own. False when there is no output now.
  virtual bool open() = 0;
  // Whether the open output has gone away.
  virtual bool lost() = 0;
  // Stops the output; its last call of the mixer has returned.
  virtual void close() = 0;
};

constexpr uint32_t kOutputBlockBytes = 2048;  // 1024 samples of 8-bit stereo, 46 ms
constexpr int64_t kOutputLingerNs = 3000000000;
constexpr int64_t kOutputRetryNs = 3000000000;
constexpr int64_t kOutputCheckNs = 500000000;  // how often an open output is checked

enum class OutputState {
  kClosed,  // nothing plays
  kOpen,    // the system's output mixes
  kSilent,  // something plays without the system's output: the output's own clock mixes
};

struct SoundOutput {
  SoundDevice* device = nullptr;
  AudioBackend* backend = nullptr;  // nullptr: there is no system output to try
  // Tells the player (one line) that the sound is off or back; nullptr: nobody is told.
  void (*report)(const char* line) = nullptr;

  // Set by the buffers' play and stop, under lock.
  std::mutex lock;
  std::condition_variable changed;
  bool wanted = false;  // a buffer plays
  int64_t idleSince = 0;
  bool quit = false;
  uint64_t changes = 0;  // counts the changes of wanted and quit, so that none is missed

  // The output's own, written by its thread alone.
  std::atomic<OutputState> state{OutputState::kClosed};
  int64_t silentSince = 0;  // when the output's own clock started
  uint64_t silentBlocks = 0;
  int64_t nextAttempt = 0;
  int64_t nextCheck = 0;
  std::atomic<bool> silenceReported{false};  // read by soundOutputSilent on any thread
  std::thread thread;
};

// A buffer started or stopped: whether any plays now, at time now (nanoseconds). Never waits
// for the output.
void noteOutputWanted(SoundOutput& output, bool wanted, int64_t now);
// Does what is due at now (nanoseconds of the device's clock): opens, checks and closes the
// system's output, and in silence mixes the blocks that are due. Returns when it next has
// something to do (INT64_MAX: not before what is wanted changes).
int64_t stepSoundOutput(SoundOutput& output, int64_t now);
// The output's thread: steps it when due or when what is wanted changes, until stopped.
void startSoundOutput(SoundOutput& output, int64_t (*clock)());
// Ends the thread and closes the system's output.
void stopSoundOutput(SoundOutput& output);
// Whether the sound is off: from the first block played without the system's output until the
// output is back (the pauses between clips included), as the report lines tell it.
bool soundOutputSilent(SoundOutput& output);
