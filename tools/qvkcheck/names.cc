// Finding the game's files by the names the game gives them.
#include <sys/stat.h>

#include <set>

#include "qvkcheck.h"

static std::string gameDirectory;
static std::vector<std::string> listing;  // the directory's entries
static std::set<std::string> reported;    // names already reported missing or miscased

void setGameDirectory(const std::string& dir) {
  gameDirectory = dir;
  listing = listDirectory(dir);
  reported.clear();
}

std::string baseOf(const char* scene) {
  return std::string(scene).substr(0, kSceneBaseLength);
}

std::vector<std::string> sceneBases() {
  std::vector<std::string> bases;
  for (const SceneStep& step : kSceneOrder) bases.push_back(baseOf(step.scene));
  for (const SceneStep& step : kSceneOrder)
    if (step.mirror) bases.push_back(baseOf(step.mirror));
  return bases;
}

std::string mirrorOf(const std::string& base) {
  for (const SceneStep& step : kSceneOrder) {
    if (!step.mirror) continue;
    if (baseOf(step.scene) == base) return baseOf(step.mirror);
    if (baseOf(step.mirror) == base) return baseOf(step.scene);
  }
  return "";
}

bool isPresent(const std::string& name) {
  return findFileName(listing, name.c_str()) >= 0;
}

std::string sceneFileMissing(const std::string& base, const std::string& what) {
  if (base == baseOf(kFirstScene))
    return "missing: every game starts with scene " + base + ", and it needs its " + what;
  return "missing: scene " + base + " is begun but has no " + what +
         "; make it, or remove the scene's other files to leave it unmade";
}

// What stands under a name when it is no plain file, or "" for a plain file (through links).
static std::string notAFile(const std::string& path) {
  struct stat link, target;
  bool linked = lstat(path.c_str(), &link) == 0 && S_ISLNK(link.st_mode);
  if (stat(path.c_str(), &target) != 0) return linked ? "a link that leads nowhere" : "unreadable";
  std::string kind = S_ISREG(target.st_mode)    ? ""
                     : S_ISDIR(target.st_mode)  ? "a directory"
                     : S_ISFIFO(target.st_mode) ? "a named pipe"
                     : S_ISSOCK(target.st_mode) ? "a socket"
                                                : "a device";
  return linked && !kind.empty() ? "a link to " + kind : kind;
}

std::string locateFile(const std::string& name, const std::string& namedBy, int line,
                       const std::string& whenMissing) {
  // The file the player takes for the name.
  int index = findFileName(listing, name.c_str());
  const std::string* found = index < 0 ? nullptr : &listing[index];
  bool first = reported.insert(name).second;
  if (!found) {
    if (first) problem(namedBy.empty() ? name : namedBy, line, whenMissing);
    return "";
  }
  std::string path = gameDirectory + "/" + *found;
  // It reads plain files alone: anything else under the name is a missing file to it.
  std::string kind = notAFile(path);
  if (!kind.empty()) {
    if (first)
      problem(*found, 0,
              "is " + kind +
                  ", not a plain file: the player reads only plain files and takes it for "
                  "missing; put the file itself there");
    return "";
  }
  if (*found != name && first)
    problem(*found, 0, "differs from " + name + ", as the game names it, only in case; rename it");
  return path;
}
