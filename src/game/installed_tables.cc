// Move and hotspot files in the install directory: the loaders look there first, so a file
// there (the patch installer puts the sample game's there) stands in for a game's own in every
// game this user plays.
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <set>

#include "game/game.h"

static std::string lowerCase(std::string name) {
  for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return name;
}

// Whether a lower-case name is a move or hotspot file's, seqNN.txt or seqNN.hot.
static bool isTableFileName(const std::string& name) {
  return name.size() == 9 && name.compare(0, 3, "seq") == 0 &&
         std::isdigit(static_cast<unsigned char>(name[3])) &&
         std::isdigit(static_cast<unsigned char>(name[4])) &&
         (name.compare(5, 4, ".txt") == 0 || name.compare(5, 4, ".hot") == 0);
}

static bool sameDirectory(const std::string& a, const std::string& b) {
  struct stat first, second;
  return stat(a.c_str(), &first) == 0 && stat(b.c_str(), &second) == 0 &&
         first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

std::vector<std::string> playersInstalledTables(const std::string& except) {
  const std::string installDir = defaultInstallDirectory();
  if (sameDirectory(installDir, except)) return {};
  std::set<std::string> names;  // as the game asks for them
  for (const std::string& entry : listDirectory(installDir)) {
    std::string name = lowerCase(entry);
    if (isTableFileName(name)) names.insert(name);
  }
  // The file the loaders would open for each name: only a plain file counts.
  std::vector<std::string> paths;
  for (const std::string& name : names) {
    std::string path = resolveInDirectory(installDir, name.c_str());
    int fd = openRegularFile(path.c_str());
    if (fd < 0) continue;
    close(fd);
    paths.push_back(path);
  }
  return paths;
}

FILE* openSceneTable(const char* fileName, std::string* tried) {
  tried->clear();
  for (const std::string* dir : {&platform.directories.install, &platform.directories.current}) {
    if (FILE* file = openInDirectory(*dir, fileName, "rb")) return file;
    *tried += "\n" + fileInMessage(resolveInDirectory(*dir, fileName), errno);
  }
  return nullptr;
}
