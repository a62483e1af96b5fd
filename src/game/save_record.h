// The saved game's 50-byte record and its file form (every LF stored as CR LF), for the saved
// game and the tests.
#pragma once

#include <cstddef>
#include <cstdint>

#include "game/game.h"

constexpr int kSaveRecordSize = 50;

struct SaveRecord {
  char missedScene[kSaveNameSize];
  int32_t lives;
  char scene[kSaveNameSize];
  int32_t restartFrame;
  int32_t moveIndex;
  int32_t hotspotIndex;
  int32_t resumeMoveIndex;
};
void encodeSaveRecord(const SaveRecord& record, uint8_t (&bytes)[kSaveRecordSize]);
// Decodes a file's bytes; returns how many bytes of the record they held (up to 50).
int decodeSaveFile(const uint8_t* fileBytes, size_t fileSize, uint8_t (&bytes)[kSaveRecordSize]);
