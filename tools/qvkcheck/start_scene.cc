// infile.txt: the optional file whose first word names the scene the program starts with (and
// whose table the demo plays over).
#include <cstdio>

#include "qvkcheck.h"

std::string checkStartScene() {
  const std::string kDefault = "seq01";
  FILE* probe = openInDirectory(platform.directories.current, "infile.txt", "rb");
  if (!probe) return kDefault;  // none: the program starts with seq01
  std::fclose(probe);
  std::string path = locateFile("infile.txt", "", 0, "");  // reports a miscased name
  FILE* file = openDataFile(path);
  if (!file) return kDefault;
  char line[kLineReadSize] = {};
  readTextLine(file, line, sizeof line);
  std::fclose(file);

  char word[kLineReadSize] = {};
  if (std::sscanf(line, "%127s", word) != 1) {
    problem("infile.txt", 1,
            "names no start scene: write the scene's file name (seq01.avi) on the first line, or "
            "delete the file");
    return kDefault;
  }
  std::string scene = word, base = scene.substr(0, 5);
  if (!isSceneName(word)) {
    problem("infile.txt", 1,
            "names " + scene + ", which is not a scene of the game, so the player starts with " +
                kDefault + ".avi; name a scene, such as seq05.avi");
    return kDefault;
  }
  const std::string fix = ", which is missing; make it, or name another scene";
  locateFile(scene, "infile.txt", 1, "names the start scene " + scene + fix);
  locateFile(base + ".txt", "infile.txt", 1,
             "names the start scene's move file " + base + ".txt" + fix);
  locateFile(base + ".hot", "infile.txt", 1,
             "names the start scene's hotspot file " + base + ".hot" + fix);
  return base;
}
