// The chunk index of an AVI file, built once at open: from the OpenDML indexes of a large file,
// from the idx1 index, or, for a file that has neither usable (a recording cut short loses the
// index that closes it), by walking the movie lists chunk by chunk.
//
// Every chunk is checked against the end of the file. The first chunk of a stream that lies
// outside the file ends that stream there, so later frames never slide into its place.
//
// Building the index costs about one read of the file, whatever the file says: every index
// chunk is read once, and a stream holds no more chunks, and no more bytes, than the file could.
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <vector>

#include "media/avi_riff.h"

bool readAt(AviLayout& layout, uint64_t offset, void* buffer, uint64_t size) {
  uint8_t* out = static_cast<uint8_t*>(buffer);
  if (size > layout.mostBytes - layout.bytesRead) return false;
  while (size > 0) {
    if (offset > uint64_t(INT64_MAX) || layout.reads >= layout.mostReads) return false;
    ssize_t got = pread(layout.fd, out, size, off_t(offset));
    ++layout.reads;
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return false;
    layout.bytesRead += uint64_t(got);
    out += got;
    offset += uint64_t(got);
    size -= uint64_t(got);
  }
  return true;
}

bool FileWindow::read(uint64_t offset, void* buffer, uint64_t size) {
  if (offset >= begin && offset - begin <= bytes.size() &&
      size <= bytes.size() - (offset - begin)) {
    std::memcpy(buffer, bytes.data() + (offset - begin), size);
    return true;
  }
  if (size > kLargestWindowed) return readAt(layout, offset, buffer, size);
  if (offset > layout.fileSize || size > layout.fileSize - offset) return false;
  bytes.resize(std::min(kBytes, layout.fileSize - offset));
  begin = offset;
  if (!readAt(layout, offset, bytes.data(), bytes.size())) {
    bytes.clear();
    return false;
  }
  std::memcpy(buffer, bytes.data(), size);
  return true;
}

int chunkStream(uint32_t id) {
  uint8_t tens = id & 0xFF, ones = (id >> 8) & 0xFF;
  if (tens < '0' || tens > '9' || ones < '0' || ones > '9') return -1;
  uint32_t kind = id >> 16;
  if (kind == (uint32_t('p') | 'c' << 8) || kind == (uint32_t('i') | 'x' << 8)) return -1;
  return (tens - '0') * 10 + (ones - '0');
}

namespace {

constexpr uint64_t kChunkHeaderBytes = 8;

// Collects chunks into the streams' lists. A stream's chunks lie in the file one after another,
// each with its 8-byte header after the end of the one before; the first chunk that does not,
// or that lies outside the file, ends the stream there. So however hostile the index, a stream
// holds no more chunks and no more bytes than the file has room for, and no more chunks than a
// frame number can name.
struct IndexBuilder {
  AviLayout& layout;
  std::vector<bool> closed;

  explicit IndexBuilder(AviLayout& l) : layout(l), closed(l.streams.size(), false) {}

  void reset() {
    for (AviStream& stream : layout.streams) {
      stream.chunks.clear();
      stream.totalBytes = 0;
    }
    closed.assign(layout.streams.size(), false);
  }

  bool isClosed(int stream) const {
    return stream < 0 || size_t(stream) >= closed.size() || closed[stream];
  }

  void add(int streamNumber, uint64_t offset, uint32_t size, bool key) {
    if (isClosed(streamNumber)) return;
    AviStream& stream = layout.streams[streamNumber];
    uint64_t earliest = kChunkHeaderBytes;
    if (!stream.chunks.empty()) earliest += stream.chunks.back().offset + stream.chunks.back().size;
    if (offset < earliest || offset > layout.fileSize || size > layout.fileSize - offset ||
        stream.chunks.size() >= size_t(INT32_MAX)) {
      closed[streamNumber] = true;
      return;
    }
    stream.chunks.push_back({offset, stream.totalBytes, size, key});
    stream.totalBytes += size;
  }

  size_t chunkCount() const {
    size_t count = 0;
    for (const AviStream& stream : layout.streams) count += stream.chunks.size();
    return count;
  }
};

constexpr uint8_t kIndexOfIndexes = 0x00;  // bIndexType of a super index
constexpr uint8_t kIndexOfChunks = 0x01;   // bIndexType of a standard index
constexpr uint32_t kIndexHeaderBytes = 24;
constexpr uint32_t kOpenDmlNotKey = 0x80000000u;  // size bit: not a key frame

// A standard index: entries of dwOffset (from qwBaseOffset to the chunk's data) and dwSize.
bool readStandardIndex(IndexBuilder& builder, int stream, const uint8_t* data, uint64_t size) {
  if (size < kIndexHeaderBytes) return false;
  uint16_t longsPerEntry = readLe16(data);
  if (data[3] != kIndexOfChunks || longsPerEntry < 2) return false;
  uint64_t stride = 4 * uint64_t(longsPerEntry);
  uint64_t entries = readLe32(data + 4);
  if (entries > (size - kIndexHeaderBytes) / stride) entries = (size - kIndexHeaderBytes) / stride;
  uint64_t base = readLe64(data + 12);
  const uint8_t* entry = data + kIndexHeaderBytes;
  for (uint64_t i = 0; i < entries && !builder.isClosed(stream); ++i, entry += stride) {
    uint64_t offset = base + readLe32(entry);
    if (offset < base) offset = UINT64_MAX;
    uint32_t sizeField = readLe32(entry + 4);
    builder.add(stream, offset, sizeField & ~kOpenDmlNotKey, !(sizeField & kOpenDmlNotKey));
  }
  return true;
}

// Reads the chunk at offset (an "ix##" standard index) and takes its entries. A stream's
// standard indexes follow one another through the file, one for each RIFF form; one that does
// not begin after the end of the one before (*next) is no index of the stream's, and ends it.
// So each is read once, however often a damaged super index names it.
bool readIndexChunk(IndexBuilder& builder, int stream, uint64_t offset, uint64_t* next,
                    FileWindow& window, std::vector<uint8_t>& scratch) {
  const AviLayout& layout = builder.layout;
  uint8_t header[8];
  if (offset < *next || offset > layout.fileSize || layout.fileSize - offset < 8) return false;
  if (!window.read(offset, header, 8)) return false;
  uint64_t size = readLe32(header + 4);
  if (size > layout.fileSize - offset - 8 || size < kIndexHeaderBytes) return false;
  *next = offset + 8 + size;
  // The index header, then only as many entries as it says are in use.
  scratch.resize(kIndexHeaderBytes);
  if (!window.read(offset + 8, scratch.data(), kIndexHeaderBytes)) return false;
  uint64_t stride = 4 * uint64_t(readLe16(scratch.data()));
  uint64_t used = kIndexHeaderBytes + std::min(size - kIndexHeaderBytes,
                                               stride * uint64_t(readLe32(scratch.data() + 4)));
  scratch.resize(used);
  if (!window.read(offset + 8 + kIndexHeaderBytes, scratch.data() + kIndexHeaderBytes,
                   used - kIndexHeaderBytes))
    return false;
  return readStandardIndex(builder, stream, scratch.data(), used);
}

// The stream's "indx" chunk: a super index of standard indexes, or a standard index itself.
bool readOpenDmlIndex(IndexBuilder& builder, int stream) {
  AviLayout& layout = builder.layout;
  const AviSuperIndex& super = layout.streams[stream].superIndex;
  if (super.size < kIndexHeaderBytes) return false;
  std::vector<uint8_t> data(super.size);
  if (!readAt(layout, super.offset, data.data(), data.size())) return false;
  if (data[3] == kIndexOfChunks)
    return readStandardIndex(builder, stream, data.data(), data.size());
  if (data[3] != kIndexOfIndexes || readLe16(data.data()) != 4) return false;
  uint64_t entries = readLe32(data.data() + 4);
  uint64_t room = (data.size() - kIndexHeaderBytes) / 16;
  if (entries > room) entries = room;
  FileWindow window(layout);
  std::vector<uint8_t> scratch;
  uint64_t next = 0;
  for (uint64_t i = 0; i < entries && !builder.isClosed(stream); ++i) {
    const uint8_t* entry = data.data() + kIndexHeaderBytes + 16 * i;
    // A standard index beyond the end of a cut-short file ends the stream there.
    if (!readIndexChunk(builder, stream, readLe64(entry), &next, window, scratch)) break;
  }
  return true;
}

// OpenDML counts when the streams the reader serves, the first video stream and the first sound
// stream, carry an index and the indexes name some chunk. The indexes of other streams are
// not read: nothing reads those streams.
bool readOpenDmlIndexes(IndexBuilder& builder) {
  bool any = false;
  for (uint32_t type : {kVideoStream, kAudioStream}) {
    const std::vector<AviStream>& streams = builder.layout.streams;
    for (size_t s = 0; s < streams.size(); ++s) {
      if (streams[s].type != type) continue;
      if (!readOpenDmlIndex(builder, int(s))) return false;
      any = true;
      break;
    }
  }
  return any && builder.chunkCount() > 0;
}

// idx1: 16-byte entries of chunk id, flags, offset of the chunk header, and size. The offsets
// count from the 'movi' code in most files and from the start of the file in some; the first
// entry that names a stream tells which.
bool readOldIndex(IndexBuilder& builder) {
  AviLayout& layout = builder.layout;
  uint64_t entries = (layout.oldIndex.end - layout.oldIndex.begin) / 16;
  if (entries == 0) return false;
  std::vector<uint8_t> data(entries * 16);
  if (!readAt(layout, layout.oldIndex.begin, data.data(), data.size())) return false;

  const uint8_t* first = nullptr;
  for (uint64_t i = 0; i < entries && !first; ++i)
    if (chunkStream(readLe32(&data[16 * i])) >= 0) first = &data[16 * i];
  if (!first) return false;
  uint64_t base = UINT64_MAX;
  for (uint64_t candidate : {layout.moviFourCc, uint64_t(0)}) {
    uint8_t header[4];
    if (readAt(layout, candidate + readLe32(first + 8), header, 4) &&
        readLe32(header) == readLe32(first)) {
      base = candidate;
      break;
    }
  }
  if (base == UINT64_MAX) return false;

  for (uint64_t i = 0; i < entries; ++i) {
    const uint8_t* entry = &data[16 * i];
    int stream = chunkStream(readLe32(entry));
    if (stream < 0) continue;
    builder.add(stream, base + readLe32(entry + 8) + 8, readLe32(entry + 12),
                (readLe32(entry + 4) & kIndexKeyFrame) != 0);
  }
  return builder.chunkCount() > 0;
}

// Walks one movie list (and the 'rec ' groups in it) and takes every stream chunk whose data
// are all in the file. Odd-sized chunks are followed by a pad byte.
void walkMovieList(IndexBuilder& builder, FileWindow& window, uint64_t begin, uint64_t end,
                   int depth) {
  uint64_t pos = begin;
  uint8_t header[12];
  while (pos < end && end - pos >= 8) {
    if (!window.read(pos, header, 8)) return;
    uint32_t id = readLe32(header);
    uint64_t size = readLe32(header + 4);
    uint64_t dataEnd = pos + 8 + size;
    if (dataEnd > end) return;
    if (id == kList) {
      if (size >= 4 && depth < 2 && window.read(pos + 8, header + 8, 4) &&
          readLe32(header + 8) == kRecordList)
        walkMovieList(builder, window, pos + 12, dataEnd, depth + 1);
    } else {
      builder.add(chunkStream(id), pos + 8, uint32_t(size), true);
    }
    pos = dataEnd + (size & 1);
  }
}

}  // namespace

void buildAviIndex(AviLayout& layout) {
  IndexBuilder builder(layout);
  if (readOpenDmlIndexes(builder)) {
    layout.indexKind = AviIndexKind::openDml;
    return;
  }
  builder.reset();
  if (readOldIndex(builder)) {
    layout.indexKind = AviIndexKind::idx1;
    return;
  }
  builder.reset();
  FileWindow window(layout);
  for (const AviLayout::Range& list : layout.movieLists)
    walkMovieList(builder, window, list.begin, list.end, 0);
  layout.indexKind = AviIndexKind::rebuilt;
}
