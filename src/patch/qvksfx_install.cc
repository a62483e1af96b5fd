// Writing the checked members into the install directory. Every member is written out to a
// temporary file of its own first; only when all of them are complete do they replace the old
// files, one rename each, so the game never reads half a file and a failed write leaves the
// old install as it was.
#include <dirent.h>
#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

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
  return name.size() > 4 && strcasecmp(name.c_str() + name.size() - 4, ".exe") == 0;
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
  bool written = writeAllBytes(fd, member.data.data(), member.data.size()) &&
                 fchmod(fd, mode) == 0 && fsync(fd) == 0;
  if (close(fd) != 0) written = false;
  return written || fail(error, "cannot write " + joinPath(target, member.name));
}

// The names in target that differ from name only in case: to the game they are the same file.
bool findCaseVariants(const std::string& target, const std::string& name,
                      std::vector<std::string>* variants, std::string* error) {
  DIR* listing = opendir(target.c_str());
  if (!listing) return fail(error, "cannot read " + target);
  while (dirent* entry = readdir(listing)) {
    if (strcasecmp(entry->d_name, name.c_str()) == 0 && name != entry->d_name)
      variants->push_back(entry->d_name);
  }
  closedir(listing);
  return true;
}

// Before anything is written: nothing that a member replaces may be a directory.
bool checkReplaceable(const std::string& target, const ZipMember& member, std::string* error) {
  std::vector<std::string> names{member.name};
  if (!findCaseVariants(target, member.name, &names, error)) return false;
  for (const std::string& name : names) {
    struct stat info;
    if (lstat(joinPath(target, name).c_str(), &info) == 0 && S_ISDIR(info.st_mode)) {
      *error = joinPath(target, name) + " is a directory";
      return false;
    }
  }
  return true;
}

void removeAll(const std::vector<std::string>& paths, size_t from) {
  for (size_t i = from; i < paths.size(); ++i) unlink(paths[i].c_str());
}

}  // namespace

bool installMembers(const std::string& target, const std::vector<ZipMember>& members,
                    std::string* error) {
  struct stat info;
  if (stat(target.c_str(), &info) != 0) return fail(error, "cannot use " + target);
  if (!S_ISDIR(info.st_mode)) {
    *error = target + " is not a directory";
    return false;
  }
  for (const ZipMember& member : members) {
    if (!checkReplaceable(target, member, error)) return false;
  }

  mode_t mask = currentUmask();
  std::vector<std::string> temporaries;
  for (const ZipMember& member : members) {
    mode_t mode = (isProgramName(member.name) ? kProgramMode : kFileMode) & ~mask;
    std::string temporary;
    bool written = writeTemporary(target, member, mode, &temporary, error);
    if (!temporary.empty()) temporaries.push_back(temporary);
    if (!written) {
      removeAll(temporaries, 0);
      return false;
    }
  }

  for (size_t i = 0; i < members.size(); ++i) {
    if (rename(temporaries[i].c_str(), joinPath(target, members[i].name).c_str()) != 0) {
      fail(error, "cannot replace " + joinPath(target, members[i].name));
      *error += kPartly;
      removeAll(temporaries, i);
      return false;
    }
  }
  // The game looks for the exact name first: an old file under another case would hide the
  // new one.
  for (const ZipMember& member : members) {
    std::vector<std::string> variants;
    if (!findCaseVariants(target, member.name, &variants, error)) return false;
    for (const std::string& variant : variants) {
      if (unlink(joinPath(target, variant).c_str()) != 0) {
        fail(error, "cannot remove the old " + joinPath(target, variant));
        *error += kPartly;
        return false;
      }
    }
  }
  int dir = open(target.c_str(), O_RDONLY | O_DIRECTORY);
  if (dir >= 0) {
    fsync(dir);  // the renames reach the disk before we report success
    close(dir);
  }
  return true;
}
