// Fixed-size text: copies that never run past their array and always leave a terminator.
#include <cstdio>
#include <cstring>

#include "base/base.h"

void copyText(char* dest, size_t destSize, const char* source) {
  if (destSize == 0) return;
  size_t length = strnlen(source, destSize - 1);
  std::memcpy(dest, source, length);
  dest[length] = '\0';
}

void appendText(char* dest, size_t destSize, const char* source) {
  size_t used = strnlen(dest, destSize);
  if (used < destSize) copyText(dest + used, destSize - used, source);
}

std::string shownName(const std::string& name) {
  std::string text = "\"";
  for (unsigned char c : name) {
    if (c >= 0x20 && c < 0x7f) {
      text += static_cast<char>(c);
    } else {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\x%02x", c);
      text += escaped;
    }
  }
  return text + "\"";
}
