#include "patch_test_support.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <initializer_list>
#include <stdexcept>

std::vector<uint8_t> zipOf(const std::vector<ZipMember>& members, const std::string& stub) {
  std::vector<uint8_t> out(stub.begin(), stub.end());
  std::string error;
  if (!appendZipArchive(members, &out, &error)) throw std::runtime_error(error);
  return out;
}

void keepAsFuzzSeed(const std::vector<uint8_t>& zip) {
  const char* dir = std::getenv("QVK_ZIP_FUZZ_SEEDS");
  if (!dir || !dir[0]) return;
  char name[64];
  std::snprintf(name, sizeof name, "/test-%08lx-%zu.zip", crc32(0L, zip.data(), zip.size()),
                zip.size());
  std::ofstream out(dir + std::string(name), std::ios::binary);
  out.write(reinterpret_cast<const char*>(zip.data()), static_cast<std::streamsize>(zip.size()));
  if (!out) throw std::runtime_error(std::string("cannot write a seed into ") + dir);
}

uint32_t get32(const std::vector<uint8_t>& bytes, size_t at) {
  return bytes.at(at) | bytes.at(at + 1) << 8 | bytes.at(at + 2) << 16 |
         static_cast<uint32_t>(bytes.at(at + 3)) << 24;
}

void put16(std::vector<uint8_t>* bytes, size_t at, uint32_t value) {
  bytes->at(at) = static_cast<uint8_t>(value);
  bytes->at(at + 1) = static_cast<uint8_t>(value >> 8);
}

void put32(std::vector<uint8_t>* bytes, size_t at, uint32_t value) {
  put16(bytes, at, value & 0xffff);
  put16(bytes, at + 2, value >> 16);
}

// Appends little-endian fields: value i takes widths[i] bytes (a digit).
static void appendFields(std::vector<uint8_t>* out, const char* widths,
                         std::initializer_list<uint32_t> values) {
  for (uint32_t value : values) {
    const int width = *widths++ - '0';
    for (int i = 0; i < width; ++i) out->push_back(static_cast<uint8_t>(value >> (8 * i)));
  }
}

static void appendText(std::vector<uint8_t>* out, const std::string& text) {
  out->insert(out->end(), text.begin(), text.end());
}

std::vector<uint8_t> storedZipOf(const std::vector<RawEntry>& entries) {
  std::vector<uint8_t> out;
  std::vector<uint32_t> offsets;
  std::vector<uint32_t> crcs;
  for (const RawEntry& entry : entries) {
    crcs.push_back(static_cast<uint32_t>(
        crc32(0L, reinterpret_cast<const Bytef*>(entry.data.data()), entry.data.size())));
    offsets.push_back(entry.local ? static_cast<uint32_t>(out.size()) : entry.headerOffset);
    if (!entry.local) continue;
    const auto size = static_cast<uint32_t>(entry.data.size());
    // The local header: signature, version needed, flags, method, time and date, CRC, sizes,
    // lengths of the name and the extra field.
    appendFields(&out, "4222444422",
                 {0x04034b50, 10, 0, 0, 0, crcs.back(), size, size,
                  static_cast<uint32_t>(entry.name.size()), 0});
    appendText(&out, entry.name);
    appendText(&out, entry.data);
  }
  const auto directory = static_cast<uint32_t>(out.size());
  for (size_t i = 0; i < entries.size(); ++i) {
    const auto size = static_cast<uint32_t>(entries[i].data.size());
    // The directory entry: signature, versions made by and needed, flags, method, time and
    // date, CRC, sizes, lengths of the name, extra field and comment, disk, internal and
    // external attributes, offset of the local header.
    appendFields(&out, "4222244442222244",
                 {0x02014b50, 10, 10, 0, 0, 0, crcs[i], size, size,
                  static_cast<uint32_t>(entries[i].name.size()), 0, 0, 0, 0, 0x20, offsets[i]});
    appendText(&out, entries[i].name);
  }
  // The end record: signature, disk numbers, entries on this disk and in all, the directory's
  // size and offset, comment length.
  const auto count = static_cast<uint32_t>(entries.size());
  const auto directorySize = static_cast<uint32_t>(out.size()) - directory;
  appendFields(&out, "4422442", {0x06054b50, 0, count, count, directorySize, directory, 0});
  return out;
}

size_t endRecordAt(const std::vector<uint8_t>& zip) {
  return zip.size() - 22;
}

size_t centralEntryAt(const std::vector<uint8_t>& zip, int index) {
  size_t at = get32(zip, endRecordAt(zip) + 16);
  for (int i = 0; i < index; ++i) {
    at += 46 + (zip.at(at + 28) | zip.at(at + 29) << 8) + (zip.at(at + 30) | zip.at(at + 31) << 8) +
          (zip.at(at + 32) | zip.at(at + 33) << 8);
  }
  return at;
}

size_t localHeaderAt(const std::vector<uint8_t>& zip, int index) {
  return get32(zip, centralEntryAt(zip, index) + 42);
}
