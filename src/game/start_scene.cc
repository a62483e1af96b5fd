// The start scene: the first word of infile.txt in the current directory, or the first scene.
#include <cstdio>
#include <string>

#include "game/game.h"
#include "game/scan.h"

StartSceneFile readStartSceneFile() {
  StartSceneFile start;
  FILE* file = openInDirectory(platform.directories.current, "infile.txt", "rb");
  if (!file) return start;
  start.read = true;
  char line[kLineReadSize];
  char word[kLineReadSize];
  const char* p = line;
  if (readTextLine(file, line, sizeof line) && scanWord(p, word, sizeof word)) start.word = word;
  std::fclose(file);
  return start;
}

static void reportNoScene(const std::string& word) {
  std::string text =
      "infile.txt names " + shownName(word) +
      ", which is not a scene of the game. The game starts with " + kFirstScene + " instead.\n" +
      fileInMessage(resolveInDirectory(platform.directories.current, "infile.txt"), 0);
  if (platform.window) platform.window->showMessage(text.c_str(), "read error", false);
}

void loadStartScene() {
  char scene[kClipNameSize];
  copyText(scene, sizeof scene, kFirstScene);
  // A first line without a word leaves the first scene. Any other clip as the current scene
  // would be what a Save before New stores, and a game cannot go on in it.
  StartSceneFile start = readStartSceneFile();
  if (!start.word.empty()) {
    if (isSceneName(start.word.c_str()))
      copyText(scene, sizeof scene, start.word.c_str());
    else
      reportNoScene(start.word);
  }
  writeName(game.sceneFile, scene);
  loadSceneTables(scene);
}
