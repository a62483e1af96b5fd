// Diagnostics: the debug-print routine, whose texts are discarded unless the build turns them
// on (QVK_DEBUG_PRINT, then they go to standard error), and the event trace that qvksim prints.
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

void (*traceHook)(const char* line) = nullptr;

void traceEvent(const char* format, ...) {
  if (!traceHook) return;
  char line[160];
  va_list args;
  va_start(args, format);
  std::vsnprintf(line, sizeof line, format, args);
  va_end(args);
  traceHook(line);
}

void traceState() {
  if (traceHook) traceHook(nullptr);
}
