#include "game/scan.h"

#include <cctype>
#include <cstdint>

static bool isSpace(char c) {
  return std::isspace(static_cast<unsigned char>(c)) != 0;
}

bool scanInteger(const char*& p, int32_t* value) {
  const char* q = p;
  while (isSpace(*q)) ++q;
  bool negative = false;
  if (*q == '+' || *q == '-') negative = *q++ == '-';
  if (!std::isdigit(static_cast<unsigned char>(*q))) return false;
  int64_t magnitude = 0;
  while (std::isdigit(static_cast<unsigned char>(*q))) {
    if (magnitude <= INT32_MAX) magnitude = magnitude * 10 + (*q - '0');
    ++q;
  }
  int64_t result = negative ? -magnitude : magnitude;
  if (result > INT32_MAX) result = INT32_MAX;
  if (result < INT32_MIN) result = INT32_MIN;
  *value = static_cast<int32_t>(result);
  p = q;
  return true;
}

bool scanWord(const char*& p, char* word, int size) {
  const char* q = p;
  while (isSpace(*q)) ++q;
  if (*q == '\0') return false;
  int length = 0;
  while (*q != '\0' && !isSpace(*q)) {
    if (length < size - 1) word[length++] = *q;
    ++q;
  }
  word[length] = '\0';
  p = q;
  return true;
}
