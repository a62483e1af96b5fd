// Where the game is. The program plays the game of its current directory; started with no game
// directory in a place that holds no game (the first thing a player tries after installing it),
// it plays the installed sample game instead and says so on standard error. With no game at all,
// start-up says once where it looked and how to name a game, instead of a message for every
// file the game lacks.
#include <cstdio>
#include <string>
#include <vector>

#include "game/game.h"

static const char* const kGameClips[] = {"demo.avi", "seq01.avi"};

bool gameInCurrentDirectory() {
  if (!platform.media) return false;
  for (const char* clip : kGameClips) {
    if (MediaFile* file = platform.media->open(clip)) {
      platform.media->release(file);
      return true;
    }
  }
  return false;
}

void findGame(const std::vector<std::string>& samplePlaces) {
  if (gameInCurrentDirectory()) return;
  platform.directories.samplesTried = samplePlaces;
  std::string current = platform.directories.current;
  for (const std::string& place : samplePlaces) {
    platform.directories.current = place;
    if (gameInCurrentDirectory()) {
      std::fprintf(stderr, "qvkavi: no game in %s: playing the sample game in %s\n",
                   fileInMessage(current, 0).c_str(), place.c_str());
      return;
    }
  }
  platform.directories.current = current;
}

void reportNoGame() {
  std::string text = "No game was found in " + fileInMessage(platform.directories.current, 0) +
                     ": neither demo.avi nor seq01.avi opens there.\n";
  const std::vector<std::string>& tried = platform.directories.samplesTried;
  if (!tried.empty()) {
    text += "The sample game is not installed either (looked in";
    for (size_t i = 0; i < tried.size(); ++i) text += (i ? ", " : " ") + tried[i];
    text += ").\n";
  }
  text += "To play a game, start the program with the game's directory: qvkavi GAME_DIR";
  if (platform.window) platform.window->showMessage(text.c_str(), "No game", false);
}
