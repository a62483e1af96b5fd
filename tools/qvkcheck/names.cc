// Finding the game's files by the names the game gives them.
#include <dirent.h>
#include <strings.h>

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

std::string locateFile(const std::string& name, const std::string& namedBy, int line,
                       const std::string& whenMissing) {
  const std::string* caseOnly = nullptr;
  for (const std::string& entry : listing) {
    if (entry == name) return gameDirectory + "/" + entry;
    if (!caseOnly && strcasecmp(entry.c_str(), name.c_str()) == 0) caseOnly = &entry;
  }
  bool first = reported.insert(name).second;
  if (caseOnly) {
    if (first)
      problem(*caseOnly, 0,
              "differs from " + name + ", as the game names it, only in case; rename it");
    return gameDirectory + "/" + *caseOnly;
  }
  if (first) problem(namedBy.empty() ? name : namedBy, line, whenMissing);
  return "";
}
