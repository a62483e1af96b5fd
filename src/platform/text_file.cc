// Line reads as the game's text files were always read: the runtime's text mode turned CR LF
// into LF before a read counted its characters, so a line of 126 characters and its CR LF is
// still one read of 127.
#include <cstring>

#include "platform/platform.h"

bool readTextLine(FILE* file, char* buffer, int size) {
  if (size <= 0) return false;
  int stored = 0;
  while (stored < size - 1) {
    int c = std::getc(file);
    if (c == EOF) break;
    if (c == '\r') {
      int next = std::getc(file);
      if (next == '\n') {
        c = '\n';
      } else if (next != EOF) {
        std::ungetc(next, file);
      }
    }
    buffer[stored++] = static_cast<char>(c);
    if (c == '\n') break;
  }
  buffer[stored] = '\0';
  return stored > 0;
}

WaveFormat waveFormatFromRecord(const uint8_t* record, size_t size) {
  WaveFormat format;
  format.formatTag = readLe16(record);
  format.channels = readLe16(record + 2);
  format.samplesPerSec = readLe32(record + 4);
  format.avgBytesPerSec = readLe32(record + 8);
  format.blockAlign = readLe16(record + 12);
  format.bitsPerSample = size >= 16 ? readLe16(record + 14) : 0;
  return format;
}
