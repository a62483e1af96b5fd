// Whole files in and out, for the extractor and the build tools of the patch.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "patch/patch.h"

bool writeAllBytes(int fd, const void* data, size_t size) {
  const char* bytes = static_cast<const char*>(data);
  size_t done = 0;
  while (done < size) {
    ssize_t n = write(fd, bytes + done, size - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

bool readFileBytes(const char* path, std::vector<uint8_t>* bytes) {
  FILE* file = std::fopen(path, "rb");
  if (!file) return false;
  bytes->clear();
  uint8_t block[65536];
  size_t n = 0;
  while ((n = std::fread(block, 1, sizeof block, file)) > 0)
    bytes->insert(bytes->end(), block, block + n);
  bool complete = !std::ferror(file);
  std::fclose(file);
  return complete;
}

bool writeFileAtomically(const std::string& path, const std::vector<uint8_t>& bytes,
                         unsigned mode) {
  // A temporary name of this writer's own: two builds writing the same file never share one.
  std::string temporary = path + ".XXXXXX";
  int fd = mkostemp(temporary.data(), O_CLOEXEC);
  if (fd < 0) return false;
  bool written = writeAllBytes(fd, bytes.data(), bytes.size()) && fchmod(fd, mode) == 0;
  written = close(fd) == 0 && written;
  if (written && std::rename(temporary.c_str(), path.c_str()) == 0) return true;
  unlink(temporary.c_str());
  return false;
}
