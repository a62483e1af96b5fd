// The reads the player makes of a move or hotspot file: a line of up to 126 characters and its
// end is one read, a longer line comes in pieces of 127. The checker counts the file's own lines
// beside them, so a finding names the line an author sees in an editor.
#include <cctype>
#include <cstdio>
#include <cstring>

#include "qvkcheck.h"

// The bytes one read stored. NUL bytes are data to the read, so the length is where its
// terminator lies: the buffer is filled with a mark first, and the last byte that is no longer
// the mark is the terminator.
static size_t storedLength(const char* buffer, size_t size) {
  size_t end = size - 1;
  while (end > 0 && buffer[end] == '\x7f') --end;
  return end;
}

// Whether a NUL byte hides something of the read from the player: anything but spaces after it.
static bool nulHidesText(const char* text, size_t length) {
  const char* nul = static_cast<const char*>(std::memchr(text, '\0', length));
  if (!nul) return false;
  for (const char* c = nul; c < text + length; ++c)
    if (*c && !std::isspace(static_cast<unsigned char>(*c))) return true;
  return false;
}

std::vector<TextRead> readAsThePlayerDoes(const std::string& path, const std::string& file,
                                          size_t limit, const char* each) {
  std::vector<TextRead> reads;
  FILE* in = openDataFile(path);
  if (!in) return reads;
  char buffer[kLineReadSize];
  int line = 1;
  bool nulReported = false, lengthReported = false;  // each once for a line
  while (reads.size() < limit) {
    std::memset(buffer, '\x7f', sizeof buffer);
    if (!readTextLine(in, buffer, sizeof buffer)) break;
    size_t length = storedLength(buffer, sizeof buffer);
    bool hidden = nulHidesText(buffer, length);
    reads.push_back({line, std::string(buffer, length), hidden, lengthReported});
    if (hidden && !nulReported) {
      problem(file, line,
              "holds a NUL byte (character 0): the player reads nothing of the line after it; "
              "delete it");
      nulReported = true;
    }
    bool ended = buffer[length - 1] == '\n';
    if (!ended && length == sizeof buffer - 1 && !lengthReported) {
      problem(file, line,
              std::string("longer than 126 characters: the player reads it in pieces and makes ") +
                  each + " of each; shorten it");
      lengthReported = true;
    }
    if (ended) {
      ++line;
      nulReported = lengthReported = false;
    }
  }
  std::fclose(in);
  return reads;
}
