// Preloaded into a program under measurement: every fwrite reaches its file at once. SDL's disk
// audio driver writes each block of sound through stdio as its callback mixes it; with stdio's
// buffer the file would grow only every few blocks, and its growth would no longer tell when
// each block was mixed.
#include <dlfcn.h>

#include <cstdio>

extern "C" size_t fwrite(const void* bytes, size_t size, size_t count, FILE* file) {
  using Fwrite = size_t (*)(const void*, size_t, size_t, FILE*);
  static Fwrite next = reinterpret_cast<Fwrite>(dlsym(RTLD_NEXT, "fwrite"));
  size_t written = next(bytes, size, count, file);
  std::fflush(file);
  return written;
}
