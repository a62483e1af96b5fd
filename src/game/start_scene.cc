// The start scene: the first word of infile.txt in the current directory, or the first scene.
#include <cstdio>
#include <string>

#include "game/game.h"
#include "game/scan.h"

static constexpr const char* kFirstScene = "seq01.avi";

static void reportNoScene(const char* word) {
  std::string text =
      "infile.txt names " + shownName(word) +
      ", which is not a scene of the game. The game starts with " + kFirstScene + " instead.\n" +
      fileInMessage(resolveInDirectory(platform.directories.current, "infile.txt"), 0);
  if (platform.window) platform.window->showMessage(text.c_str(), "read error", false);
}

void loadStartScene() {
  char scene[kClipNameSize];
  copyText(scene, sizeof scene, kFirstScene);
  if (FILE* file = openInDirectory(platform.directories.current, "infile.txt", "rb")) {
    char line[kLineReadSize];
    char word[kLineReadSize];
    const char* p = line;
    // A first line without a word leaves the first scene. Any other clip as the current scene
    // would be what a Save before New stores, and a game cannot go on in it.
    if (readTextLine(file, line, sizeof line) && scanWord(p, word, sizeof word)) {
      if (isSceneName(word))
        copyText(scene, sizeof scene, word);
      else
        reportNoScene(word);
    }
    std::fclose(file);
  }
  writeName(game.sceneFile, scene);
  loadSceneTables(scene);
}
