// Where the game's files are found: the install directory and the current directory, each with
// a fallback to a name that differs only in case (the game's data comes from a case-insensitive
// file system).
#include <dirent.h>
#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

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

std::vector<std::string> listDirectory(const std::string& dir) {
  std::vector<std::string> entries;
  if (DIR* listing = opendir(dir.empty() ? "." : dir.c_str())) {
    while (dirent* entry = readdir(listing)) entries.push_back(entry->d_name);
    closedir(listing);
  }
  return entries;
}

int findFileName(const std::vector<std::string>& entries, const char* name) {
  int found = -1;
  for (size_t i = 0; i < entries.size(); ++i) {
    if (entries[i] == name) return static_cast<int>(i);
    if (found < 0 && strcasecmp(entries[i].c_str(), name) == 0) found = static_cast<int>(i);
  }
  return found;
}

std::string resolveInDirectory(const std::string& dir, const char* name) {
  std::string exact = joinPath(dir, name);
  if (fileExists(exact)) return exact;
  // A name with a directory part is not ours to search for.
  if (std::strchr(name, '/')) return exact;
  std::vector<std::string> entries = listDirectory(dir);
  int found = findFileName(entries, name);
  return found < 0 ? exact : joinPath(dir, entries[found].c_str());
}

int openRegularFile(const char* path) {
  // The kind of file is known before the open, which would wait for a named pipe's writer, and
  // checked again after it, in case the name was given to something else in between.
  struct stat info;
  if (stat(path, &info) != 0 || !S_ISREG(info.st_mode)) return -1;
  int fd = open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) return -1;
  int flags = fcntl(fd, F_GETFL);
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || flags < 0 ||
      fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
    close(fd);
    return -1;
  }
  return fd;
}

static FILE* openStream(const std::string& path, const char* mode) {
  int fd = openRegularFile(path.c_str());
  if (fd < 0) return nullptr;
  FILE* file = fdopen(fd, mode);
  if (!file) close(fd);
  return file;
}

FILE* openDataFile(const std::string& path) {
  return openStream(path, "rb");
}

FILE* openInDirectory(const std::string& dir, const char* name, const char* mode) {
  // Game data names plain files of its directory; a name that climbs out of it (from a damaged
  // save or move file) is no data file of ours.
  if (std::strchr(name, '/')) return nullptr;
  return openStream(resolveInDirectory(dir, name), mode);
}
