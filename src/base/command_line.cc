// The command line that every program answers alike: --help, --version, bad usage, numbers.
#include <cstdio>
#include <cstring>

#include "base/base.h"

const char* programVersion() {
  return QVK_VERSION;
}

bool answersHelpOrVersion(int argc, char** argv, const char* name, const char* usage) {
  for (int i = 1; i < argc; ++i) {
    if (!std::strcmp(argv[i], "--help") || !std::strcmp(argv[i], "-h")) {
      std::fputs(usage, stdout);
      return true;
    }
    if (!std::strcmp(argv[i], "--version")) {
      std::printf("%s %s\n", name, programVersion());
      return true;
    }
  }
  return false;
}

int badUsage(const char* name, const std::string& text) {
  std::fprintf(stderr, "%s: %s\nTry '%s --help'.\n", name, text.c_str(), name);
  return kStatusBadUsage;
}

bool parseWholeNumber(const char* text, uint64_t low, uint64_t high, uint64_t* value) {
  if (!*text) return false;
  uint64_t number = 0;
  for (const char* c = text; *c; ++c) {
    if (*c < '0' || *c > '9') return false;
    uint64_t digit = uint64_t(*c - '0');
    if (number > (UINT64_MAX - digit) / 10) return false;  // beyond any range
    number = number * 10 + digit;
  }
  if (number < low || number > high) return false;
  *value = number;
  return true;
}
