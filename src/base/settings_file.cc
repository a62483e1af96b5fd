// The settings file: the desktop program's display choices as "name=value" lines, read leniently
// and replaced whole.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "base/base.h"

namespace {

// The file the program writes is some 80 bytes; anything far larger is not ours.
constexpr size_t kLargestSettingsFile = 4096;

constexpr const char* kScaleName = "size";
constexpr const char* kKeepAspectName = "keep-4:3";
constexpr const char* kFullScreenName = "full-screen";
constexpr const char* kMoveGuideName = "move-guide";

const char* yesNo(bool choice) {
  return choice ? "yes" : "no";
}

// One line: a known name with a value it takes changes that choice (a choice is on only when it
// says "yes"); anything else changes none.
void readLine(const std::string& line, Settings* settings) {
  size_t equals = line.find('=');
  if (equals == std::string::npos) return;
  std::string name = line.substr(0, equals);
  std::string value = line.substr(equals + 1);
  if (name == kScaleName) {
    uint64_t scale = 0;
    if (parseWholeNumber(value.c_str(), 1, kLargestScale, &scale))
      settings->scale = static_cast<int>(scale);
  } else if (name == kKeepAspectName) {
    settings->keepAspect = value == "yes";
  } else if (name == kFullScreenName) {
    settings->fullScreen = value == "yes";
  } else if (name == kMoveGuideName) {
    settings->moveGuide = value == "yes";
  }
}

bool writeAll(int fd, const std::string& text) {
  size_t done = 0;
  while (done < text.size()) {
    ssize_t n = write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

}  // namespace

std::string defaultSettingsPath() {
  return xdgDirectory("XDG_CONFIG_HOME", ".config") + "/qvkavi/settings";
}

Settings parseSettings(const std::string& text) {
  Settings settings;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    readLine(line, &settings);
    start = end + 1;
  }
  return settings;
}

std::string formatSettings(const Settings& settings) {
  return std::string("# The display choices of qvkavi, written by the program.\n") + kScaleName +
         "=" + std::to_string(settings.scale) + "\n" + kKeepAspectName + "=" +
         yesNo(settings.keepAspect) + "\n" + kFullScreenName + "=" + yesNo(settings.fullScreen) +
         "\n" + kMoveGuideName + "=" + yesNo(settings.moveGuide) + "\n";
}

Settings readSettings(const std::string& path) {
  // Non-blocking, so a named pipe in its place is never waited on.
  int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return Settings{};
  struct stat info;
  std::string text;
  if (fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) {
    char bytes[kLargestSettingsFile + 1];
    size_t length = 0;
    ssize_t n = 0;
    while (length < sizeof bytes &&
           ((n = read(fd, bytes + length, sizeof bytes - length)) > 0 || (n < 0 && errno == EINTR)))
      if (n > 0) length += static_cast<size_t>(n);
    if (n >= 0 && length <= kLargestSettingsFile) text.assign(bytes, length);
  }
  close(fd);
  return parseSettings(text);
}

bool writeSettings(const std::string& path, const Settings& settings, std::string* reason) {
  size_t slash = path.rfind('/');
  if (slash != std::string::npos && !makeDirectories(path.substr(0, slash))) {
    *reason = std::strerror(errno == EEXIST ? ENOTDIR : errno);  // a file where it should be
    return false;
  }
  std::string temporary = path + ".XXXXXX";
  int fd = mkostemp(temporary.data(), O_CLOEXEC);
  if (fd < 0) {
    *reason = std::strerror(errno);
    return false;
  }
  bool written = writeAll(fd, formatSettings(settings)) && fsync(fd) == 0;
  int error = errno;
  if (close(fd) != 0 && written) {
    written = false;
    error = errno;
  }
  if (written && std::rename(temporary.c_str(), path.c_str()) == 0) return true;
  if (written) error = errno;
  unlink(temporary.c_str());
  *reason = std::strerror(error);
  return false;
}
