// Shared set-up of the file-reader fuzz targets: the headless platform over a private
// directory in memory-backed storage, and a way to put the input there as a file.
#pragma once

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "game/game.h"
#include "platform/dib_picture.h"
#include "platform/headless.h"

inline HeadlessWindow fuzzWindow;

inline const std::string& fuzzDirectory() {
  static const std::string dir = [] {
    char pattern[] = "/dev/shm/qvk-fuzz-XXXXXX";
    char* made = mkdtemp(pattern);
    if (!made) std::abort();
    platform.directories.install = made;
    platform.directories.current = made;
    platform.window = &fuzzWindow;
    return std::string(made);
  }();
  return dir;
}

inline void writeFuzzFile(const char* name, const uint8_t* data, size_t size) {
  std::string path = fuzzDirectory() + "/" + name;
  FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) std::abort();
  if (size) std::fwrite(data, 1, size, file);
  std::fclose(file);
}

// Traps when an invariant does not hold, so the fuzzer reports the input.
inline void fuzzCheck(bool condition) {
  if (!condition) __builtin_trap();
}
