// A broken invariant of the code itself: said on standard error, and the program stops.
#include <cstdio>
#include <cstdlib>

#include "base/base.h"

void assertionFailed(const char* condition, const char* file, int line) {
  std::fprintf(stderr, "%s:%d: assertion failed: %s\n", file, line, condition);
  std::abort();
}
