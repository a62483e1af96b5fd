// The game on the real sound device's mixer and its output, on a clock of the test's: the
// output's system device is a stand-in that calls the mixer every 46.4 ms (1024 samples, as
// SDL's callback does) while it is open, and can fail to open or go away; the output and the game
// thread run as their threads do (the output stepped every millisecond, the game thread when
// woken or when its timed sleep ends, again at once after a pass that moved something).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/sound_output.h"
#include "scenario_support.h"

constexpr int64_t kMs = 1000000;

// SDL's audio device as the output sees it.
struct StandInAudio : AudioBackend {
  bool open() override;
  bool lost() override { return gone; }
  void close() override { isOpen = false; }

  bool available = true;  // false: opening fails
  bool isOpen = false;
  bool gone = false;  // lost while open: its callback goes on, nothing is heard
  int opens = 0;      // successful ones
  int64_t nextCallback = 0;
};

// Each picture drawn: the frame it shows and when.
struct TimedDraw {
  int32_t frame;
  int64_t time;
};

class DeviceClockTest : public ScenarioTest {
 protected:
  void SetUp() override;
  void TearDown() override;

  // seq01 of 300 frames and its clips; rows as given.
  void addSeq01(const std::vector<std::string>& rows);
  // Starts the program and a new game; the game's sound starts at playStart.
  void startNewGame();
  // Runs the program for ms milliseconds; the keys of pressAt are pressed at their moments
  // (after that millisecond's passes), and each of actions acts on the audio at its moment.
  void play(int64_t ms);
  std::vector<std::pair<int64_t, uint32_t>> pressAt;
  std::vector<std::pair<int64_t, void (*)(StandInAudio&)>> actions;

  // When the picture of frame was first drawn.
  int64_t shownAt(int32_t frame) const;

  // Made anew by every SetUp.
  std::unique_ptr<StandInAudio> audio;
  std::unique_ptr<SoundOutput> output;
  std::vector<TimedDraw> draws;
  // The game's events as qvksim prints them: the currentFrame of the moment, then the event.
  std::vector<std::string> trace;
  int64_t playStart = 0;
  uint64_t seenWakes = 0;
  int64_t sleepEnd = 0;
};
