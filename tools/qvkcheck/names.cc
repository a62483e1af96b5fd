// Finding the game's files by the names the game gives them.
#include <dirent.h>
#include <strings.h>
#include <sys/stat.h>

#include <set>

#include "qvkcheck.h"

static std::string gameDirectory;
static std::vector<std::string> listing;  // the directory's entries
static std::set<std::string> reported;    // names already reported missing or miscased

void setGameDirectory(const std::string& dir) {
  gameDirectory = dir;
  listing.clear();
  reported.clear();
  if (DIR* d = opendir(dir.c_str())) {
    while (dirent* entry = readdir(d)) listing.push_back(entry->d_name);
    closedir(d);
  }
}

std::vector<std::string> sceneBases() {
  std::vector<std::string> bases;
  for (int n = 1; n <= 8; ++n) bases.push_back("seq0" + std::to_string(n));
  for (int n = 2; n <= 7; ++n) bases.push_back("seq1" + std::to_string(n));
  return bases;
}

std::string mirrorOf(const std::string& base) {
  if (base.size() != 5 || base[4] < '2' || base[4] > '7') return "";
  if (base[3] == '0') return base.substr(0, 3) + "1" + base[4];
  if (base[3] == '1') return base.substr(0, 3) + "0" + base[4];
  return "";
}

bool isPresent(const std::string& name) {
  for (const std::string& entry : listing)
    if (strcasecmp(entry.c_str(), name.c_str()) == 0) return true;
  return false;
}

std::string sceneFileMissing(const std::string& base, const std::string& what) {
  if (base == "seq01")
    return "missing: every game starts with scene seq01, and it needs its " + what;
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
  // The player takes the exact name, else the first name that differs only in case.
  const std::string* found = nullptr;
  for (const std::string& entry : listing) {
    if (entry == name) found = &entry;
    if (!found && strcasecmp(entry.c_str(), name.c_str()) == 0) found = &entry;
  }
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
