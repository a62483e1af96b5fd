// qvkpatch: the patch installer. Its file carries a payload behind its own program image, the
// self-extracting update. It writes the payload into the install directory as the program
// "qvp", runs it there so that it unpacks the update into that directory, and deletes it again.
// Before it writes anything it checks the payload's archive with the extractor's own reader, so
// a patch that the extractor would refuse leaves no trace, not even a new install directory.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "base/base.h"
#include "patch/patch.h"

extern char** environ;

// Where the payload lies in this file. The build writes the numbers into the file after
// linking, so they must be read from memory every time, never assumed.
static volatile PayloadPlace payloadPlace;

static constexpr int kStatusFailed = 1;
// The file of this program when /proc cannot tell: the installer is started in its directory.
static constexpr const char* kOwnName = "qvkpatch";
static constexpr const char* kExtractorName = "qvp";
static constexpr mode_t kExtractorMode = 0755;

static int failWith(const std::string& text) {
  std::fprintf(stderr, "qvkpatch: %s\n", text.c_str());
  return kStatusFailed;
}

static std::string errorText(const std::string& what) {
  return what + ": " + std::strerror(errno);
}

static FILE* openOwnFile() {
  FILE* file = std::fopen("/proc/self/exe", "rb");
  return file ? file : std::fopen(kOwnName, "rb");
}

// Reads the payload from the position the file is at. False when the file ends before it:
// an incomplete download must not become an incomplete program.
static bool readPayload(FILE* own, uint64_t offset, uint64_t length,
                        std::vector<uint8_t>* payload) {
  struct stat info;
  if (fstat(fileno(own), &info) != 0 || static_cast<uint64_t>(info.st_size) < offset ||
      static_cast<uint64_t>(info.st_size) - offset < length)
    return false;
  payload->resize(length);
  return std::fread(payload->data(), 1, length, own) == length;
}

// The payload is an archive the extractor will install whole: sound, leaving the saved game
// alone, and without a member that is qvp's own file to the game (in any case), which the
// clean-up would delete again or which would delete qvp.
static bool checkPayload(const std::vector<uint8_t>& payload, std::string* error) {
  std::vector<ZipMember> members;
  if (!readZipArchive(payload.data(), payload.size(), &members, error) ||
      !leavesSavedGameAlone(members, error))
    return false;
  for (const ZipMember& member : members) {
    if (foldedName(member.name) == foldedName(kExtractorName)) {
      *error =
          "member " + shownName(member.name) + " would replace the extractor " + kExtractorName;
      return false;
    }
  }
  return true;
}

// A new file: whatever an earlier run left under the name goes first, and a link planted there
// is never followed.
static int createExtractor(const std::string& path) {
  unlink(path.c_str());
  int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0700);
  if (fd >= 0 && fchmod(fd, kExtractorMode) != 0) {
    close(fd);
    unlink(path.c_str());
    return -1;
  }
  return fd;
}

// Starts the extractor with the install directory as its one argument, no shell between. An
// interrupt or quit from the terminal while it runs must end qvp, not the installer, which then
// reports it and still deletes qvp: as the standard library's system does, the installer
// ignores the two signals until restoreTerminalSignals, and qvp gets them as the installer did.
static struct sigaction savedInterrupt, savedQuit;

static int spawnExtractor(const std::string& path, const std::string& install, pid_t* child) {
  struct sigaction ignore {};
  ignore.sa_handler = SIG_IGN;
  sigemptyset(&ignore.sa_mask);
  sigaction(SIGINT, &ignore, &savedInterrupt);
  sigaction(SIGQUIT, &ignore, &savedQuit);
  sigset_t defaults;
  sigemptyset(&defaults);
  if (savedInterrupt.sa_handler != SIG_IGN) sigaddset(&defaults, SIGINT);
  if (savedQuit.sa_handler != SIG_IGN) sigaddset(&defaults, SIGQUIT);
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  posix_spawnattr_setsigdefault(&attributes, &defaults);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF);
  char* argv[] = {const_cast<char*>(path.c_str()), const_cast<char*>(install.c_str()), nullptr};
  int error = posix_spawn(child, path.c_str(), nullptr, &attributes, argv, environ);
  posix_spawnattr_destroy(&attributes);
  return error;
}

static void restoreTerminalSignals() {
  sigaction(SIGINT, &savedInterrupt, nullptr);
  sigaction(SIGQUIT, &savedQuit, nullptr);
}

// Runs the extractor and waits for it. Its failure is ours: the update did not arrive.
static int runExtractor(const std::string& path, const std::string& install) {
  pid_t child = 0;
  int error = spawnExtractor(path, install, &child);
  if (error != 0) {
    restoreTerminalSignals();
    errno = error;
    return failWith(errorText("cannot run " + path));
  }
  int status = 0;
  pid_t waited = 0;
  do {
    waited = waitpid(child, &status, 0);
  } while (waited < 0 && errno == EINTR);
  restoreTerminalSignals();
  if (waited < 0) return failWith(errorText("lost " + path));
  if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return 0;
  if (WIFEXITED(status)) {
    failWith("the update failed: " + path + " ended with status " +
             std::to_string(WEXITSTATUS(status)));
    return WEXITSTATUS(status);
  }
  failWith("the update failed: " + path + " was ended by signal " +
           std::to_string(WTERMSIG(status)));
  return 128 + WTERMSIG(status);
}

static const char kUsage[] =
    "Usage: qvkpatch\n"
    "Installs the update it carries into the install directory ($XDG_DATA_HOME/qvk, by default\n"
    "~/.local/share/qvk), which it creates when it is missing.\n"
    "\n"
    "  -h, --help   print this help and exit\n"
    "  --version    print the version and exit\n";

int main(int argc, char** argv) {
  // An argument never starts the update: the installer takes none.
  if (answersHelpOrVersion(argc, argv, "qvkpatch", kUsage)) return 0;
  if (argc > 1) return badUsage("qvkpatch", "no arguments are taken");
  // An ignored child signal, handed on by whoever started us, would let the system reap qvp
  // unseen and lose its status.
  signal(SIGCHLD, SIG_DFL);
  FILE* own = openOwnFile();
  if (!own) {
    std::fputs("file not opened", stdout);
    return kStatusFailed;
  }
  const uint64_t offset = payloadPlace.offset;
  const uint64_t length = payloadPlace.length;
  if (length == 0) {
    std::fclose(own);
    return failWith("this program carries no update");
  }
  if (fseeko(own, static_cast<off_t>(offset), SEEK_SET) != 0) {
    // Reading from anywhere else would install the wrong bytes.
    std::fputs("fseek failed", stdout);
    std::fclose(own);
    return kStatusFailed;
  }
  std::vector<uint8_t> payload;
  if (!readPayload(own, offset, length, &payload)) {
    std::fclose(own);
    return failWith("this file is incomplete or damaged; nothing was installed");
  }
  std::string refusal;
  if (!checkPayload(payload, &refusal)) {
    std::fclose(own);
    return failWith("the patch is damaged or unsafe, nothing was installed: " + refusal);
  }

  const std::string install = defaultInstallDirectory();
  if (!makeDirectories(install)) {
    std::fclose(own);
    return failWith(errorText("cannot create " + install));
  }

  // One installer at a time in an install directory: another one waits here until this one has
  // deleted its qvp, so neither replaces, runs or deletes the other's. The lock goes with the
  // process.
  int lock = open(install.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (lock < 0 || flock(lock, LOCK_EX) != 0) {
    std::fclose(own);
    return failWith(errorText("cannot lock " + install));
  }

  const std::string extractor = install + "/" + kExtractorName;
  int out = createExtractor(extractor);
  if (out < 0) {
    std::fclose(own);
    return failWith(errorText("cannot create " + extractor));
  }
  bool written = writeAllBytes(out, payload.data(), payload.size());
  std::fclose(own);
  if (close(out) != 0) written = false;
  if (!written) {
    int failed = failWith(errorText("cannot write " + extractor));
    unlink(extractor.c_str());
    return failed;
  }

  int status = runExtractor(extractor, install);
  if (unlink(extractor.c_str()) != 0) {
    // The update may be in place, but qvp is left in the install directory.
    int failed = failWith(errorText("cannot delete " + extractor));
    if (status == 0) status = failed;
  }
  return status;
}
