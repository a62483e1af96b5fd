// The start scene: the first word of infile.txt in the current directory, or the first scene.
#include <cstdio>

#include "game/game.h"
#include "game/scan.h"

void loadStartScene() {
  char scene[kClipNameSize] = "seq01.avi";
  if (FILE* file = openInDirectory(platform.directories.current, "infile.txt", "rb")) {
    char line[kLineReadSize];
    char word[kLineReadSize];
    const char* p = line;
    // A first line without a word leaves the first scene.
    if (readTextLine(file, line, sizeof line) && scanWord(p, word, sizeof word))
      copyText(scene, sizeof scene, word);
    std::fclose(file);
  }
  writeName(game.sceneFile, scene);
  loadSceneTables(scene);
}
