// Whole games played through the real code: the headless session with virtual clips, a virtual
// clock in either mode, and a record of the game's events.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "test_support.h"

// The text of a name the game shares between its threads.
std::string textOf(const SharedName& name);

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
  // Plays on, making the correct move in every window (and taking every object first, unless
  // takeObjects is cleared), until done() holds or the game thread ends.
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
};

std::string clockName(const ::testing::TestParamInfo<bool>& info);

// The key of the row's correct move.
uint32_t correctKey(const MoveRow& row);
