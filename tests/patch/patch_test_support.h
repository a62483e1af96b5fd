// Helpers of the patch tests: archives in memory, fields patched in place.
#pragma once

#include <zlib.h>

#include <cstdint>
#include <string>
#include <vector>

#include "../temp_dir.h"
#include "patch/patch.h"

inline ZipMember member(const std::string& name, const std::string& text) {
  return {name, std::vector<uint8_t>(text.begin(), text.end())};
}

// An archive of members as the build writes it, behind stub.
std::vector<uint8_t> zipOf(const std::vector<ZipMember>& members, const std::string& stub = "");

// A hand-made archive of stored (method 0) members. An entry with local false gets no local
// header of its own: its directory entry points at headerOffset instead.
struct RawEntry {
  std::string name;
  std::string data;
  bool local = true;
  uint32_t headerOffset = 0;
};
std::vector<uint8_t> storedZipOf(const std::vector<RawEntry>& entries);

// Hands an archive a test made to the ZIP reader's fuzz target as a seed: written into the
// directory $QVK_ZIP_FUZZ_SEEDS, when that is set, under a name made from its bytes.
void keepAsFuzzSeed(const std::vector<uint8_t>& zip);

uint32_t get32(const std::vector<uint8_t>& bytes, size_t at);
void put16(std::vector<uint8_t>* bytes, size_t at, uint32_t value);
void put32(std::vector<uint8_t>* bytes, size_t at, uint32_t value);

// Positions in an archive without a comment: the end record, directory entry i, local header i.
size_t endRecordAt(const std::vector<uint8_t>& zip);
size_t centralEntryAt(const std::vector<uint8_t>& zip, int index);
size_t localHeaderAt(const std::vector<uint8_t>& zip, int index);
