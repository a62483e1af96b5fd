// Whole games played through the real code: the headless session with virtual clips, a virtual
// clock in either mode, and a record of the game's events.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "test_support.h"

// The text of a name the game shares between its threads.
std::string textOf(const SharedName& name);

// A line of a move file as the player reads it: its trigger frame, the key of its correct move
// (the token "00") and of its object move (a token that begins with t; 0 for none). The row's
// window is open while currentFrame runs from 12 to 24 frames after the trigger frame, both
// included (trigger 290: 302 to 314), and its verdict is taken at the last of them.
struct MoveLine {
  int trigger = 0;
  uint32_t correctKey = 0;
  uint32_t objectKey = 0;
  int opens() const { return trigger + 12; }
  int closes() const { return trigger + 24; }
};
std::vector<MoveLine> readMoves(const std::string& moveFileText);

class ScenarioTest : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override;
  void TearDown() override;

  // A scene: its move file lines (trigger frame and six tokens), its checkpoints, its length.
  void addScene(const std::string& base, const std::vector<std::string>& moves,
                const std::vector<int>& checkpoints, int frames);
  void addClip(const std::string& name, int frames) { session->virtualMedia.addClip(name, frames); }
  void removeClip(const std::string& name);
  // The clips every game needs: lives, continue, game over, missed, credits, demo.
  void addStandardClips();
  void start();  // the program's start-up

  void pass();
  void runFrames(int frames);
  void runUntil(const std::string& clip, int frame);  // clip open and currentFrame >= frame
  void runUntilOpened(const std::string& clip);
  void runToTheEnd();  // until the game thread has ended
  // A key event of the window: it reaches the game only while the window has the focus.
  void press(uint32_t virtualKey) { keyEvent(virtualKey); }
  // Plays on, making the correct move at the first frame of every window of the scene's move
  // file (and taking every object first, unless takeObjects is cleared), until done() holds or
  // the game thread ends. A scene opened at a frame plays the windows that open after it.
  void playPerfectly(const std::function<bool()>& done);
  bool takeObjects = true;
  bool at(const std::string& name, int frame) const {
    return playback.aviFile && clip() == name && playback.currentFrame >= frame;
  }
  bool opened(const std::string& event) const;  // "seq01d6.avi 0" has been opened
  // The lives when the last clip of that name was opened (before the opener's own changes).
  int livesAtOpen(const std::string& name) const;

  std::string clip() const { return playback.openClipName; }
  std::string scene() const { return textOf(game.sceneFile); }
  std::string missed() const { return textOf(game.missedScene); }
  // The events so far, "open seq01.avi 0", "verdict 8 3", "beep good", ...
  const std::vector<std::string>& events() const;
  std::vector<std::string> opens() const;  // just the "open ..." events
  bool sawEvent(const std::string& line) const;
  void clearEvents();
  // Message boxes shown so far, as "caption|text".
  std::vector<std::string> messages() { return messagesOf(session->window); }

  bool soundClock() const { return GetParam(); }

  TempDir gameDir;
  TempDir installDir;
  std::unique_ptr<HeadlessSession> session;

 private:
  std::map<std::string, std::vector<MoveLine>> movesOf;  // by scene file, as addScene wrote them
  std::set<std::string> objectsTaken;                    // "seq01.avi 290": scene and trigger
  int pressedOpen = -1, pressedTrigger = -1;             // the window played last, in which open
};

std::string clockName(const ::testing::TestParamInfo<bool>& info);
