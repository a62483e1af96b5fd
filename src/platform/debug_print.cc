// The debug-print routine: the game's diagnostics go here and are discarded unless the build
// turns them on (QVK_DEBUG_PRINT), in which case they go to standard error.
#include <cstdarg>

#include "platform/platform.h"

void debugPrint(const char* format, ...) {
#ifdef QVK_DEBUG_PRINT
  va_list args;
  va_start(args, format);
  std::vfprintf(stderr, format, args);
  va_end(args);
  std::fputc('\n', stderr);
#else
  (void)format;
#endif
}
