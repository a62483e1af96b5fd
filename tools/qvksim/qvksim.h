// qvksim: the headless simulator. Runs the program's real start-up, commands and game thread
// against the headless platform and prints one line per event.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// One line of a script.
struct ScriptCommand {
  enum Kind { kCommand, kAttract, kKey, kJoystick, kFocus, kFrames, kUntil, kEnd } kind;
  int line = 0;
  int commandId = 0;        // kCommand: a menu command (or 0 for "windowed"/"fullscreen")
  std::string name;         // kCommand: the command's word; kUntil: the clip
  uint32_t virtualKey = 0;  // kKey
  bool joystickPresent = false;
  uint32_t x = 0, y = 0, buttons = 0;  // kJoystick
  bool focusGained = false;            // kFocus
  int64_t count = 0;                   // kFrames: frames; kUntil: the frame
};

// Reads a script; false with a message naming the line on a bad one.
bool parseScript(const std::string& path, std::vector<ScriptCommand>* script, std::string* error);

// Prints the game's events and the changes of the state the trace follows.
void startTrace();
void traceStateChanges();
void traceLine(const char* text);

// `until`: whether CLIP is open at FRAME or later (the clip's name in any case), and whether the
// game has such a clip at all.
bool clipIsAt(const std::string& clip, int64_t frame);
bool gameHasClip(const std::string& clip);
// Watching a running `until` for what shows it can never be met: fed every pass and every game
// event; untilCanNeverBeMet() says why, or is empty.
void watchUntil(const std::string& clip, int64_t frame);
void stopWatchingUntil();
void untilSeesPass();
void untilSeesEvent(const char* line);
const std::string& untilCanNeverBeMet();
