// What the AVI reader and writer share inside media/: the chunk codes and flags, and the
// layout of an open AVI file (its streams and their chunk indexes).
#pragma once

#include <cstdint>
#include <vector>

#include "platform/platform.h"

constexpr uint32_t kRiff = fourCc("RIFF");
constexpr uint32_t kList = fourCc("LIST");
constexpr uint32_t kAviForm = fourCc("AVI ");
constexpr uint32_t kAviExtension = fourCc("AVIX");  // the further RIFF forms of large files
constexpr uint32_t kHeaderList = fourCc("hdrl");
constexpr uint32_t kStreamList = fourCc("strl");
constexpr uint32_t kMovieList = fourCc("movi");
constexpr uint32_t kRecordList = fourCc("rec ");
constexpr uint32_t kMainHeader = fourCc("avih");
constexpr uint32_t kStreamHeader = fourCc("strh");
constexpr uint32_t kStreamFormat = fourCc("strf");
constexpr uint32_t kSuperIndex = fourCc("indx");
constexpr uint32_t kOldIndex = fourCc("idx1");
constexpr uint32_t kVideoStream = fourCc("vids");
constexpr uint32_t kAudioStream = fourCc("auds");

constexpr uint32_t kIndexKeyFrame = 0x10;     // idx1 flag AVIIF_KEYFRAME
constexpr uint32_t kIndexList = 0x01;         // idx1 flag AVIIF_LIST
constexpr uint32_t kAvihHasIndex = 0x10;      // avih flag AVIF_HASINDEX
constexpr uint32_t kAvihInterleaved = 0x100;  // avih flag AVIF_ISINTERLEAVED

// One stored chunk of a stream: where its data lie and how many bytes of the stream come
// before it (for sample-exact sound reads).
struct AviChunk {
  uint64_t offset = 0;       // file position of the data, after the 8-byte chunk header
  uint64_t streamBytes = 0;  // bytes of this stream stored before this chunk
  uint32_t size = 0;
  bool key = true;
};

// Where an OpenDML super index or standard index of a stream lies in the file.
struct AviSuperIndex {
  uint64_t offset = 0;  // position of the index data (after the chunk header)
  uint32_t size = 0;
};

struct AviStream {
  uint32_t type = 0;  // 'vids', 'auds', ...
  uint32_t handler = 0;
  uint32_t scale = 0, rate = 0, start = 0, length = 0, sampleSize = 0;
  std::vector<uint8_t> format;  // the strf chunk, cut to kMaxFormatBytes
  AviSuperIndex superIndex;
  std::vector<AviChunk> chunks;
  uint64_t totalBytes = 0;
};

enum class AviIndexKind { none, idx1, openDml, rebuilt };

// Everything the reader takes from a file at open.
struct AviLayout {
  int fd = -1;
  uint64_t fileSize = 0;
  uint32_t mainFlags = 0;
  uint32_t headerFrames = 0;  // avih dwTotalFrames
  uint32_t microSecPerFrame = 0;
  std::vector<AviStream> streams;  // in header order; a chunk id "NNxx" names stream NN
  uint64_t moviFourCc = 0;         // position of the first 'movi' code (idx1 offsets count here)
  struct Range {
    uint64_t begin, end;
  };
  std::vector<Range> movieLists;  // data of every 'movi' list, the AVIX ones included
  Range oldIndex{0, 0};           // data of the idx1 chunk, if any
  AviIndexKind indexKind = AviIndexKind::none;
  uint64_t reads = 0, bytesRead = 0;  // what the file has cost so far
  // Reads stop here: opening costs about one read of the file, and a file that would cost many
  // times more is damaged past use.
  uint64_t mostReads = UINT64_MAX, mostBytes = UINT64_MAX;
};

constexpr uint32_t kMaxFormatBytes = 65536;  // longer strf chunks are cut
constexpr int kMaxStreams = 100;             // chunk ids carry two decimal digits

// Reads exactly size bytes at offset, counted in layout; false on a short read.
bool readAt(AviLayout& layout, uint64_t offset, void* buffer, uint64_t size);

// A stretch of the file that moves only forward: the walks over the file's chunks at open read
// their small headers through it, so a file of many small chunks costs one read per window, not
// one per chunk. A larger read goes to the file itself. Every walk moves forward through the
// file, so each costs about one read of every byte it passes.
struct FileWindow {
  static constexpr uint64_t kBytes = 64 << 10;
  static constexpr uint64_t kLargestWindowed = kBytes / 4;

  explicit FileWindow(AviLayout& l) : layout(l) {}
  bool read(uint64_t offset, void* buffer, uint64_t size);

  AviLayout& layout;
  std::vector<uint8_t> bytes;  // the file from begin on
  uint64_t begin = 0;
};

// Fills every stream's chunk list from the file's OpenDML indexes, its idx1 index, or by walking
// the movie lists, in that order of preference, and sets layout.indexKind.
void buildAviIndex(AviLayout& layout);

// The stream a data chunk id "NNdc", "NNwb" belongs to; -1 for every other chunk (palette
// changes "NNpc" and index chunks "ixNN" included).
int chunkStream(uint32_t id);
