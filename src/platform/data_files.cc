// Where the game's files are found: the install directory and the current directory, each with
// a fallback to a name that differs only in case (the game's data comes from a case-insensitive
// file system).
#include <dirent.h>
#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
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

static int notPlainFile(const struct stat& info) {
  errno = S_ISDIR(info.st_mode) ? EISDIR : kNotPlainFile;
  return -1;
}

int openRegularFile(const char* path) {
  // The kind of file is known before the open, which would wait for a named pipe's writer, and
  // checked again after it, in case the name was given to something else in between.
  struct stat info;
  if (stat(path, &info) != 0) return -1;
  if (!S_ISREG(info.st_mode)) return notPlainFile(info);
  int fd = open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) return -1;
  int flags = fcntl(fd, F_GETFL);
  if (fstat(fd, &info) != 0 || flags < 0 || fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
    int error = errno;
    close(fd);
    errno = error;
    return -1;
  }
  if (!S_ISREG(info.st_mode)) {
    close(fd);
    return notPlainFile(info);
  }
  return fd;
}

static FILE* openStream(const std::string& path, const char* mode) {
  int fd = openRegularFile(path.c_str());
  if (fd < 0) return nullptr;
  FILE* file = fdopen(fd, mode);
  if (!file) {
    int error = errno;
    close(fd);
    errno = error;
  }
  return file;
}

FILE* openDataFile(const std::string& path) {
  return openStream(path, "rb");
}

FILE* openInDirectory(const std::string& dir, const char* name, const char* mode) {
  // Game data names plain files of its directory; a name that climbs out of it (from a damaged
  // save or move file) is no data file of ours.
  if (std::strchr(name, '/')) {
    errno = kNotPlainFile;
    return nullptr;
  }
  return openStream(resolveInDirectory(dir, name), mode);
}

std::string fileInMessage(const std::string& path, int error) {
  std::string shown = path;
  if (shown == ".") shown.clear();
  if (shown.compare(0, 2, "./") == 0) shown.erase(0, 2);
  if (shown.empty() || shown[0] != '/') {
    char* here = getcwd(nullptr, 0);
    if (here) shown = shown.empty() ? std::string(here) : joinPath(here, shown.c_str());
    free(here);
  }
  if (error == 0) return shown;
  const char* reason = error == kNotPlainFile  ? "not a plain file"
                       : error == kDamagedFile ? "damaged, or not in the form the game reads"
                                               : std::strerror(error);
  return shown + ": " + reason;
}
