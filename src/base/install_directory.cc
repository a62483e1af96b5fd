// The install directory: where this user's copy of the game lives, making it, and the saved game's
// names in it.
#include <strings.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>

#include "base/base.h"

std::string xdgDirectory(const char* variable, const char* underHome) {
  const char* dir = std::getenv(variable);
  if (dir && dir[0] == '/') return dir;
  const char* home = std::getenv("HOME");
  return std::string(home && home[0] ? home : ".") + "/" + underHome;
}

std::string defaultInstallDirectory() {
  return xdgDirectory("XDG_DATA_HOME", ".local/share") + "/qvk";
}

bool makeDirectories(const std::string& dir) {
  if (dir.empty()) return true;
  std::string partial;
  size_t start = 0;
  while (start <= dir.size()) {
    size_t slash = dir.find('/', start);
    if (slash == std::string::npos) slash = dir.size();
    partial = dir.substr(0, slash);
    if (!partial.empty() && mkdir(partial.c_str(), 0755) != 0 && errno != EEXIST) return false;
    start = slash + 1;
  }
  struct stat info;
  return stat(dir.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool isSaveFileName(const std::string& name) {
  const size_t length = std::char_traits<char>::length(kSaveFileName);
  return strncasecmp(name.c_str(), kSaveFileName, length) == 0 &&
         (name.size() == length || name[length] == '.');
}
