// Reading the patch archive. Everything is checked before anything is handed on: a damaged or
// hostile patch is refused whole and never half installed.
#define ZLIB_CONST
#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <utility>

#include "patch/patch.h"
#include "patch/zip_format.h"

namespace {

// Deflate packs at most 1032 bytes into one; a member that claims more was not made by
// deflate, and its claim must not decide how much memory the check takes.
constexpr uint64_t kMaxDeflateRatio = 1032;
// Every member is held in memory, inflated, until all are checked.
constexpr uint64_t kMaxArchiveBytes = uint64_t{1} << 30;
constexpr size_t kMaxNameBytes = 255;  // the longest file name of the file system

struct Entry {
  std::string name;
  uint16_t flags = 0;
  uint16_t method = 0;
  uint32_t crc = 0;
  uint32_t compressedSize = 0;
  uint32_t size = 0;
  uint64_t headerOffset = 0;  // local header
  uint64_t dataOffset = 0;    // compressed data, behind the local header
};

bool fail(std::string* error, std::string text) {
  *error = std::move(text);
  return false;
}

// The end record is the last 22 bytes of the file, or sits before a comment that runs exactly
// to the end of the file.
bool findEndRecord(const uint8_t* data, size_t size, size_t* at) {
  if (size < kEndRecordBytes) return false;
  size_t last = size - kEndRecordBytes;
  size_t first = last > kMaxCommentBytes ? last - kMaxCommentBytes : 0;
  for (size_t pos = last + 1; pos-- > first;) {
    if (readLe32(data + pos) == kEndRecordSignature &&
        pos + kEndRecordBytes + readLe16(data + pos + 20) == size) {
      *at = pos;
      return true;
    }
  }
  return false;
}

// A member that is not a plain file: a directory or volume label (MS-DOS attributes), or a link,
// directory or device (Unix file type).
bool isPlainFileEntry(uint16_t madeBy, uint32_t attributes) {
  if (attributes & (kDosAttributeDirectory | kDosAttributeVolume)) return false;
  if (madeBy >> 8 == kHostUnix) {
    uint32_t type = (attributes >> 16) & 0170000;
    if (type != 0 && type != 0100000) return false;
  }
  return true;
}

// One central directory entry at *pos (which moves past it), with the checks that need only it.
bool readCentralEntry(const uint8_t* data, uint64_t* pos, uint64_t end, Entry* entry,
                      std::string* error) {
  const uint8_t* p = data + *pos;
  if (end - *pos < kCentralHeaderBytes || readLe32(p) != kCentralHeaderSignature)
    return fail(error, "the central directory is damaged");
  uint64_t nameBytes = readLe16(p + 28);
  uint64_t entryBytes = kCentralHeaderBytes + nameBytes + readLe16(p + 30) + readLe16(p + 32);
  if (end - *pos < entryBytes) return fail(error, "the central directory is damaged");
  entry->name.assign(reinterpret_cast<const char*>(p + kCentralHeaderBytes), nameBytes);
  entry->flags = readLe16(p + 8);
  entry->method = readLe16(p + 10);
  entry->crc = readLe32(p + 16);
  entry->compressedSize = readLe32(p + 20);
  entry->size = readLe32(p + 24);
  entry->headerOffset = readLe32(p + 42);
  *pos += entryBytes;

  const std::string name = shownName(entry->name);
  if (!isPlainMemberName(entry->name))
    return fail(error, "member " + name + " would not be a plain file of the target directory");
  if (!isPlainFileEntry(readLe16(p + 4), readLe32(p + 38)))
    return fail(error, "member " + name + " is not a plain file");
  if (readLe16(p + 34) != 0) return fail(error, "member " + name + " lies on another disk");
  if (entry->flags & (kFlagEncrypted | kFlagStrongEncryption | kFlagMaskedHeaders))
    return fail(error, "member " + name + " is encrypted");
  if (entry->method != kMethodDeflated && entry->method != kMethodStored)
    return fail(error, "member " + name + " uses an unknown compression method");
  if (entry->size == 0xffffffff || entry->compressedSize == 0xffffffff ||
      entry->headerOffset == 0xffffffff)
    return fail(error, "member " + name + " needs ZIP64, which a patch never uses");
  if (entry->method == kMethodStored
          ? entry->size != entry->compressedSize
          : entry->size > (uint64_t{entry->compressedSize} + 1) * kMaxDeflateRatio)
    return fail(error, "member " + name + " claims a size its data cannot have");
  return true;
}

// The local header of an entry must agree with the central directory: a reader that trusts
// either one alone would unpack something else than it checked.
bool checkLocalHeader(const uint8_t* data, uint64_t directoryOffset, Entry* entry,
                      std::string* error) {
  const std::string name = shownName(entry->name);
  if (entry->headerOffset > directoryOffset ||
      directoryOffset - entry->headerOffset < kLocalHeaderBytes)
    return fail(error, "member " + name + " lies outside the archive");
  const uint8_t* p = data + entry->headerOffset;
  uint64_t nameBytes = readLe16(p + 26);
  uint64_t dataOffset = entry->headerOffset + kLocalHeaderBytes + nameBytes + readLe16(p + 28);
  if (readLe32(p) != kLocalHeaderSignature || dataOffset > directoryOffset ||
      directoryOffset - dataOffset < entry->compressedSize)
    return fail(error, "member " + name + " lies outside the archive");
  std::string localName(reinterpret_cast<const char*>(p + kLocalHeaderBytes), nameBytes);
  if (localName != entry->name || readLe16(p + 6) != entry->flags ||
      readLe16(p + 8) != entry->method)
    return fail(error, "member " + name + ": its local header differs from the directory");
  // Without a data descriptor the local header carries the CRC and sizes too.
  if (!(entry->flags & kFlagDataDescriptor) &&
      (readLe32(p + 14) != entry->crc || readLe32(p + 18) != entry->compressedSize ||
       readLe32(p + 22) != entry->size))
    return fail(error, "member " + name + ": its local header differs from the directory");
  entry->dataOffset = dataOffset;
  return true;
}

bool inflateData(const uint8_t* in, uint32_t inBytes, std::vector<uint8_t>* out) {
  z_stream stream{};
  if (inflateInit2(&stream, -MAX_WBITS) != Z_OK) return false;
  uint8_t spare = 0;  // zlib wants somewhere to point at, even for nothing
  stream.next_in = in;
  stream.avail_in = inBytes;
  stream.next_out = out->empty() ? &spare : out->data();
  stream.avail_out = static_cast<uInt>(out->size());
  int status = inflate(&stream, Z_FINISH);
  // The stream must end exactly where the data ends and fill exactly the size given.
  bool whole = status == Z_STREAM_END && stream.avail_in == 0 && stream.avail_out == 0;
  inflateEnd(&stream);
  return whole;
}

bool unpackEntry(const uint8_t* data, const Entry& entry, ZipMember* member, std::string* error) {
  member->name = entry.name;
  member->data.assign(entry.size, 0);
  const uint8_t* in = data + entry.dataOffset;
  if (entry.method == kMethodStored) {
    std::copy(in, in + entry.size, member->data.begin());
  } else if (!inflateData(in, entry.compressedSize, &member->data)) {
    return fail(error, "member " + shownName(entry.name) + ": its compressed data is damaged");
  }
  uint32_t crc = static_cast<uint32_t>(crc32(0L, member->data.data(), entry.size));
  if (crc != entry.crc)
    return fail(error, "member " + shownName(entry.name) + ": its CRC does not match its contents");
  return true;
}

// No two members may share bytes: each is read once, and the sizes claimed stay within the file.
bool checkNoOverlap(std::vector<const Entry*> entries, std::string* error) {
  std::sort(entries.begin(), entries.end(),
            [](const Entry* a, const Entry* b) { return a->headerOffset < b->headerOffset; });
  for (size_t i = 1; i < entries.size(); ++i) {
    const Entry* before = entries[i - 1];
    if (before->dataOffset + before->compressedSize > entries[i]->headerOffset)
      return fail(error, "members " + shownName(before->name) + " and " +
                             shownName(entries[i]->name) + " overlap");
  }
  return true;
}

bool readEntries(const uint8_t* data, size_t size, std::vector<Entry>* entries,
                 uint64_t* directoryOffset, std::string* error) {
  size_t end = 0;
  if (!findEndRecord(data, size, &end)) return fail(error, "no ZIP archive found");
  const uint8_t* record = data + end;
  uint16_t count = readLe16(record + 10);
  uint64_t directoryBytes = readLe32(record + 12);
  *directoryOffset = readLe32(record + 16);
  if (readLe16(record + 4) != 0 || readLe16(record + 6) != 0 || readLe16(record + 8) != count)
    return fail(error, "the archive spans several disks");
  if (count == 0xffff || *directoryOffset == 0xffffffff)
    return fail(error, "the archive needs ZIP64, which a patch never uses");
  if (count == 0) return fail(error, "the archive holds no files");
  if (*directoryOffset > end || end - *directoryOffset != directoryBytes)
    return fail(error, "the central directory does not end where the archive's end record is");
  // The count claimed must fit the directory before it decides how much memory the entries take.
  if (directoryBytes / kCentralHeaderBytes < count)
    return fail(error, "the central directory is damaged");

  entries->resize(count);
  uint64_t pos = *directoryOffset;
  uint64_t total = 0;
  for (Entry& entry : *entries) {
    if (!readCentralEntry(data, &pos, end, &entry, error)) return false;
    if (!checkLocalHeader(data, *directoryOffset, &entry, error)) return false;
    total += entry.size;
  }
  if (pos != end) return fail(error, "the central directory holds more than its entries");
  if (total > kMaxArchiveBytes) return fail(error, "the archive is too large for a patch");
  return true;
}

}  // namespace

std::string foldedName(const std::string& name) {
  std::string folded = name;
  for (char& c : folded) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return folded;
}

bool isPlainMemberName(const std::string& name) {
  if (name.empty() || name.size() > kMaxNameBytes || name == "." || name == "..") return false;
  for (unsigned char c : name) {
    // Slashes and backslashes are paths, a colon a drive letter; control characters (NUL
    // among them) make names that no one can type or trust.
    if (c < 0x20 || c == 0x7f || c == '/' || c == '\\' || c == ':') return false;
  }
  return true;
}

bool readZipArchive(const uint8_t* data, size_t size, std::vector<ZipMember>* members,
                    std::string* error) {
  members->clear();
  std::vector<Entry> entries;
  uint64_t directoryOffset = 0;
  if (!readEntries(data, size, &entries, &directoryOffset, error)) return false;

  std::vector<std::pair<std::string, const Entry*>> byName;
  std::vector<const Entry*> all;
  for (const Entry& entry : entries) {
    byName.emplace_back(foldedName(entry.name), &entry);
    all.push_back(&entry);
  }
  std::sort(byName.begin(), byName.end());
  for (size_t i = 1; i < byName.size(); ++i) {
    if (byName[i - 1].first == byName[i].first)
      return fail(error, "members " + shownName(byName[i - 1].second->name) + " and " +
                             shownName(byName[i].second->name) + " name the same file");
  }
  if (!checkNoOverlap(all, error)) return false;

  std::vector<ZipMember> unpacked(entries.size());
  for (size_t i = 0; i < entries.size(); ++i) {
    if (!unpackEntry(data, entries[i], &unpacked[i], error)) return false;
  }
  *members = std::move(unpacked);
  return true;
}
