// infile.txt: the optional file whose first word names the scene the program starts with (and
// whose table the demo plays over), read as the player reads it.
#include "qvkcheck.h"

std::string checkStartScene() {
  const std::string first = baseOf(kFirstScene);
  StartSceneFile start = readStartSceneFile();
  if (!start.read) return first;        // none: the program starts with the first scene
  locateFile("infile.txt", "", 0, "");  // reports a miscased name
  if (start.word.empty()) {
    problem("infile.txt", 1,
            "names no start scene: write the scene's file name (seq01.avi) on the first line, or "
            "delete the file");
    return first;
  }
  const std::string& scene = start.word;
  if (!isSceneName(scene.c_str())) {
    problem("infile.txt", 1,
            "names " + scene + ", which is not a scene of the game, so the player starts with " +
                kFirstScene + "; name a scene, such as seq05.avi");
    return first;
  }
  const std::string base = baseOf(scene.c_str());
  const std::string fix = ", which is missing; make it, or name another scene";
  locateFile(scene, "infile.txt", 1, "names the start scene " + scene + fix);
  locateFile(base + ".txt", "infile.txt", 1,
             "names the start scene's move file " + base + ".txt" + fix);
  locateFile(base + ".hot", "infile.txt", 1,
             "names the start scene's hotspot file " + base + ".hot" + fix);
  return base;
}
