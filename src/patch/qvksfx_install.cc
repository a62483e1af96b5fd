// Writing the checked members into the install directory. Every member is written out to a
// temporary file of its own first; only when all of them are complete do they replace the old
// files, one rename each, so the game never reads half a file and a failed write leaves the
// old install as it was.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <unordered_map>

#include "patch/patch.h"

namespace {

constexpr mode_t kProgramMode = 0755;
constexpr mode_t kFileMode = 0644;
constexpr const char* kPartly = " (the update is only partly installed)";

std::string joinPath(const std::string& dir, const std::string& name) {
  return dir.empty() || dir.back() == '/' ? dir + name : dir + "/" + name;
}

bool fail(std::string* error, const std::string& what) {
  *error = what + ": " + std::strerror(errno);
  return false;
}

// Programs keep their MS-DOS name; on this system the name no longer makes them runnable.
bool isProgramName(const std::string& name) {
  return name.size() > 4 && foldedName(name).ends_with(".exe");
}

mode_t currentUmask() {
  mode_t mask = umask(0);
  umask(mask);
  return mask;
}

// Writes one member to a new temporary file in target; its path goes to *temporary.
bool writeTemporary(const std::string& target, const ZipMember& member, mode_t mode,
                    std::string* temporary, std::string* error) {
  std::string path = joinPath(target, ".qvksfx-XXXXXX");
  int fd = mkstemp(path.data());
  if (fd < 0) return fail(error, "cannot create a file in " + target);
  *temporary = path;
  bool written = writeAllBytes(fd, member.data.data(), member.data.size()) && fchmod(fd, mode) == 0;
  if (close(fd) != 0) written = false;
  return written || fail(error, "cannot write " + joinPath(target, member.name));
}

// The names in target by their folded names, from one reading of the directory: every member
// then finds the files it replaces by a lookup.
using NamesByFold = std::unordered_map<std::string, std::vector<std::string>>;

bool listDirectory(const std::string& target, NamesByFold* names, std::string* error) {
  DIR* listing = opendir(target.c_str());
  if (!listing) return fail(error, "cannot read " + target);
  for (;;) {
    errno = 0;  // the only way to tell the end of the listing from a failed read
    const dirent* entry = readdir(listing);
    if (!entry) break;
    (*names)[foldedName(entry->d_name)].push_back(entry->d_name);
  }
  bool complete = errno == 0;
  closedir(listing);
  return complete || fail(error, "cannot read " + target);
}

// The names in target that are the member's file to the game: its own and its case variants.
const std::vector<std::string>& filesOf(const NamesByFold& names, const ZipMember& member) {
  static const std::vector<std::string> none;
  auto found = names.find(foldedName(member.name));
  return found == names.end() ? none : found->second;
}

// Before anything is written: nothing that a member replaces may be a directory or the running
// extractor (kept, when there is one).
bool checkReplaceable(const std::string& target, const ZipMember& member, const NamesByFold& names,
                      const struct stat* kept, std::string* error) {
  for (const std::string& name : filesOf(names, member)) {
    const std::string path = joinPath(target, name);
    struct stat info;
    if (lstat(path.c_str(), &info) != 0) continue;
    if (S_ISDIR(info.st_mode)) {
      *error = path + " is a directory";
      return false;
    }
    if (kept && info.st_dev == kept->st_dev && info.st_ino == kept->st_ino) {
      *error = "member " + shownName(member.name) + " would replace the running extractor " + path;
      return false;
    }
  }
  return true;
}

void removeAll(const std::vector<std::string>& paths, size_t from) {
  for (size_t i = from; i < paths.size(); ++i) unlink(paths[i].c_str());
}

// Every member in a temporary file of target, in the members' order, and all of them on the
// disk: one flush of the file system for all, where a flush per file would cost a disk commit
// per member. On failure none is left.
bool writeTemporaries(const std::string& target, int targetFd,
                      const std::vector<ZipMember>& members, std::vector<std::string>* temporaries,
                      std::string* error) {
  mode_t mask = currentUmask();
  for (const ZipMember& member : members) {
    mode_t mode = (isProgramName(member.name) ? kProgramMode : kFileMode) & ~mask;
    std::string temporary;
    bool written = writeTemporary(target, member, mode, &temporary, error);
    if (!temporary.empty()) temporaries->push_back(temporary);
    if (!written) {
      removeAll(*temporaries, 0);
      return false;
    }
  }
  if (syncfs(targetFd) != 0) {
    fail(error, "cannot write the update into " + target);
    removeAll(*temporaries, 0);
    return false;
  }
  return true;
}

}  // namespace

bool leavesSavedGameAlone(const std::vector<ZipMember>& members, std::string* error) {
  for (const ZipMember& member : members) {
    if (isSaveFileName(member.name)) {
      *error = "member " + shownName(member.name) + " would replace the player's saved game";
      return false;
    }
  }
  return true;
}

bool installMembers(const std::string& target, const std::vector<ZipMember>& members,
                    const std::string& keptPath, std::string* error) {
  if (!leavesSavedGameAlone(members, error)) return false;
  struct stat info;
  if (stat(target.c_str(), &info) != 0) return fail(error, "cannot use " + target);
  if (!S_ISDIR(info.st_mode)) {
    *error = target + " is not a directory";
    return false;
  }
  struct stat kept;
  if (!keptPath.empty() && stat(keptPath.c_str(), &kept) != 0)
    return fail(error, "cannot use " + keptPath);
  NamesByFold names;
  if (!listDirectory(target, &names, error)) return false;
  for (const ZipMember& member : members) {
    if (!checkReplaceable(target, member, names, keptPath.empty() ? nullptr : &kept, error))
      return false;
  }

  int targetFd = open(target.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (targetFd < 0) return fail(error, "cannot use " + target);
  std::vector<std::string> temporaries;
  bool written = writeTemporaries(target, targetFd, members, &temporaries, error);
  for (size_t i = 0; written && i < members.size(); ++i) {
    if (rename(temporaries[i].c_str(), joinPath(target, members[i].name).c_str()) != 0) {
      fail(error, "cannot replace " + joinPath(target, members[i].name));
      *error += kPartly;
      removeAll(temporaries, i);
      written = false;
    }
  }
  // The game looks for the exact name first: an old file under another case would hide the
  // new one.
  for (size_t i = 0; written && i < members.size(); ++i) {
    for (const std::string& variant : filesOf(names, members[i])) {
      if (variant != members[i].name && unlink(joinPath(target, variant).c_str()) != 0) {
        fail(error, "cannot remove the old " + joinPath(target, variant));
        *error += kPartly;
        written = false;
        break;
      }
    }
  }
  if (written) fsync(targetFd);  // the renames reach the disk before we report success
  close(targetFd);
  return written;
}
