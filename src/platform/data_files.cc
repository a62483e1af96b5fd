// Where the game's files are found: the install directory and the current directory, each with
// a fallback to a name that differs only in case (the game's data comes from a case-insensitive
// file system).
#include <dirent.h>
#include <strings.h>
#include <sys/stat.h>

#include <cstring>
#include <string>

#include "platform/platform.h"

Platform platform;

static std::string joinPath(const std::string& dir, const char* name) {
  if (dir.empty()) return name;
  if (dir.back() == '/') return dir + name;
  return dir + "/" + name;
}

static bool fileExists(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0;
}

std::string resolveInDirectory(const std::string& dir, const char* name) {
  std::string exact = joinPath(dir, name);
  if (fileExists(exact)) return exact;
  // A name with a directory part is not ours to search for.
  for (const char* c = name; *c; ++c)
    if (*c == '/') return exact;
  DIR* listing = opendir(dir.empty() ? "." : dir.c_str());
  if (!listing) return exact;
  std::string found = exact;
  while (dirent* entry = readdir(listing)) {
    if (strcasecmp(entry->d_name, name) == 0) {
      found = joinPath(dir, entry->d_name);
      break;
    }
  }
  closedir(listing);
  return found;
}

FILE* openInDirectory(const std::string& dir, const char* name, const char* mode) {
  // Game data names plain files of its directory; a name that climbs out of it (from a damaged
  // save or move file) is no data file of ours.
  if (std::strchr(name, '/')) return nullptr;
  return std::fopen(resolveInDirectory(dir, name).c_str(), mode);
}
