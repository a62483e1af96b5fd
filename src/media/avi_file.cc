// The AVI reader behind MediaLibrary: parses the RIFF structure once at open (main header,
// stream headers and formats, movie lists, indexes) and then reads frames and sound straight
// from the file into the caller's buffer, without allocating.
//
// A video read of frame n gives that frame's stored bytes; a sound read of n samples gives
// n blocks of the sound track from any sample position, across chunk boundaries. Damaged,
// cut-short and hostile files either fail to open or open with what can be read of them.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "media/avi_riff.h"
#include "media/media.h"

namespace {

constexpr uint32_t kMaxHeaderListBytes = 16u << 20;  // hdrl is a few kilobytes in real files
constexpr uint32_t kStreamHeaderBytes = 48;          // strh up to dwSampleSize
constexpr uint32_t kMainHeaderBytes = 40;            // avih up to dwHeight

// What opening a file may cost at most. The walks over the file at open move forward, each
// about one read of the file in windows (FileWindow): the RIFF forms, two streams' indexes, the
// idx1 index and the movie lists. A file that costs more is cut off where the reads stop.
constexpr uint64_t kOpenPasses = 16;
constexpr uint64_t kOpenBytesSpare = kMaxHeaderListBytes + (1u << 20);
constexpr uint64_t kOpenBytesPerRead = 2048;
constexpr uint64_t kOpenReadsSpare = 64;

// Calls visit(id, data, size) for each whole chunk in data; a chunk cut short ends the walk.
template <typename Visit>
void forEachChunk(const uint8_t* data, uint64_t size, Visit visit) {
  uint64_t pos = 0;
  while (pos < size && size - pos >= 8) {
    uint32_t id = readLe32(data + pos);
    uint64_t chunkSize = readLe32(data + pos + 4);
    if (chunkSize > size - pos - 8) return;
    visit(id, data + pos + 8, chunkSize);
    pos += 8 + chunkSize + (chunkSize & 1);
  }
}

bool isList(uint32_t id, const uint8_t* data, uint64_t size, uint32_t listType) {
  return id == kList && size >= 4 && readLe32(data) == listType;
}

// One "strl" list: the stream header, its format and, in large files, its OpenDML index.
AviStream parseStreamList(const uint8_t* data, uint64_t size, uint64_t filePos) {
  AviStream stream;
  forEachChunk(data, size, [&](uint32_t id, const uint8_t* body, uint64_t bodySize) {
    if (id == kStreamHeader && bodySize >= kStreamHeaderBytes) {
      stream.type = readLe32(body);
      stream.handler = readLe32(body + 4);
      stream.scale = readLe32(body + 20);
      stream.rate = readLe32(body + 24);
      stream.start = readLe32(body + 28);
      stream.length = readLe32(body + 32);
      stream.sampleSize = readLe32(body + 44);
    } else if (id == kStreamFormat) {
      stream.format.assign(body, body + std::min<uint64_t>(bodySize, kMaxFormatBytes));
    } else if (id == kSuperIndex) {
      stream.superIndex = {filePos + uint64_t(body - data), uint32_t(bodySize)};
    }
  });
  return stream;
}

// "hdrl": the main header and one "strl" list per stream. filePos is where data lies.
void parseHeaderList(AviLayout& layout, const uint8_t* data, uint64_t size, uint64_t filePos) {
  forEachChunk(data, size, [&](uint32_t id, const uint8_t* body, uint64_t bodySize) {
    if (id == kMainHeader && bodySize >= kMainHeaderBytes) {
      layout.microSecPerFrame = readLe32(body);
      layout.mainFlags = readLe32(body + 12);
      layout.headerFrames = readLe32(body + 16);
    } else if (isList(id, body, bodySize, kStreamList) && layout.streams.size() < kMaxStreams) {
      layout.streams.push_back(
          parseStreamList(body + 4, bodySize - 4, filePos + uint64_t(body + 4 - data)));
    }
  });
}

// One RIFF form from begin to end: "AVI " (headers, movie list, idx1) or "AVIX" (a further
// movie list of a large file). A movie list cut short by the end of the file is kept as far
// as it goes.
bool parseForm(AviLayout& layout, FileWindow& window, uint64_t begin, uint64_t end, bool first) {
  bool headerSeen = false;
  uint64_t pos = begin;
  uint8_t header[12];
  while (pos < end && end - pos >= 8) {
    if (!window.read(pos, header, std::min<uint64_t>(12, end - pos))) break;
    uint32_t id = readLe32(header);
    uint64_t size = readLe32(header + 4);
    uint32_t listType = end - pos >= 12 ? readLe32(header + 8) : 0;
    // A movie list of size 0 was left by a writer that could not seek back: it runs to the end.
    if (id == kList && listType == kMovieList && size < 4) size = end - pos - 8;
    uint64_t dataEnd = pos + 8 + size;
    bool cutShort = dataEnd > end;
    if (id == kList && listType == kMovieList) {
      if (first && layout.movieLists.empty()) layout.moviFourCc = pos + 8;
      layout.movieLists.push_back({pos + 12, std::min(dataEnd, end)});
    } else if (cutShort) {
      break;
    } else if (first && id == kList && listType == kHeaderList && !headerSeen) {
      if (size > kMaxHeaderListBytes || size < 4) return false;
      std::vector<uint8_t> body(size - 4);
      if (!readAt(layout, pos + 12, body.data(), body.size())) return false;
      parseHeaderList(layout, body.data(), body.size(), pos + 12);
      headerSeen = true;
    } else if (first && id == kOldIndex) {
      layout.oldIndex = {pos + 8, dataEnd};
    }
    if (cutShort) break;
    pos = dataEnd + (size & 1);
  }
  return headerSeen;
}

// The whole file: the first RIFF form "AVI " and the "AVIX" forms after it.
bool parseFile(AviLayout& layout) {
  FileWindow window(layout);
  uint8_t header[12];
  if (layout.fileSize < 12 || !window.read(0, header, 12)) return false;
  if (readLe32(header) != kRiff || readLe32(header + 8) != kAviForm) return false;
  uint64_t size = readLe32(header + 4);
  // Writers that could not seek back leave the size 0; the form then runs to the end.
  uint64_t end = size < 4 ? layout.fileSize : std::min(layout.fileSize, 8 + size);
  if (!parseForm(layout, window, 12, end, true)) return false;
  uint64_t pos = 8 + size + (size & 1);
  while (size >= 4 && pos < layout.fileSize && layout.fileSize - pos >= 12) {
    if (!window.read(pos, header, 12)) break;
    if (readLe32(header) != kRiff || readLe32(header + 8) != kAviExtension) break;
    size = readLe32(header + 4);
    parseForm(layout, window, pos + 12, std::min(layout.fileSize, pos + 8 + size), false);
    pos += 8 + size + (size & 1);
  }
  return true;
}

struct AviFile final : MediaFile {
  AviLayout layout;
  AviStream* video = nullptr;
  AviStream* audio = nullptr;
  uint32_t soundBlock = 1;                    // bytes per sound sample (WAVEFORMATEX nBlockAlign)
  uint64_t openReads = 0, openBytesRead = 0;  // what opening the file cost

  ~AviFile() override {
    if (layout.fd >= 0) close(layout.fd);
  }

  int32_t frameCount() override {
    if (!video) return 0;
    return int32_t(std::min<size_t>(video->chunks.size(), INT32_MAX));
  }
  bool hasVideo() override { return video != nullptr; }
  bool hasAudio() override { return audio != nullptr; }

  bool readVideoFormat(uint8_t* buffer, int32_t bufferSize, int32_t* size) override {
    if (!video || video->format.empty() || bufferSize <= 0) return false;
    int32_t count = int32_t(std::min<size_t>(video->format.size(), size_t(bufferSize)));
    std::memcpy(buffer, video->format.data(), size_t(count));
    if (size) *size = count;
    return true;
  }

  bool readAudioFormat(WaveFormat* format) override {
    if (!audio || audio->format.size() < 14) return false;
    *format = waveFormatFromRecord(audio->format.data(), audio->format.size());
    return true;
  }

  bool readVideoFrame(int32_t frame, uint8_t* buffer, int32_t bufferSize,
                      int32_t* bytesRead) override {
    if (!video || frame < 0 || size_t(frame) >= video->chunks.size()) return false;
    const AviChunk& chunk = video->chunks[size_t(frame)];
    if (bufferSize < 0 || chunk.size > uint32_t(bufferSize)) return false;
    if (!readAt(layout, chunk.offset, buffer, chunk.size)) return false;
    if (bytesRead) *bytesRead = int32_t(chunk.size);
    return true;
  }

  bool readAudio(int32_t firstSample, int32_t sampleCount, uint8_t* buffer, int32_t bufferSize,
                 int32_t* bytesRead) override {
    if (!audio || firstSample < 0 || sampleCount <= 0 || bufferSize <= 0) return false;
    uint64_t totalSamples = audio->totalBytes / soundBlock;
    if (uint64_t(firstSample) >= totalSamples) return false;
    uint64_t samples = std::min<uint64_t>({uint64_t(sampleCount), uint64_t(bufferSize) / soundBlock,
                                           totalSamples - uint64_t(firstSample)});
    if (samples == 0) return false;
    uint64_t pos = uint64_t(firstSample) * soundBlock;
    uint64_t left = samples * soundBlock;
    // The last chunk that starts at or before pos holds it (empty chunks share its start).
    auto chunk = std::upper_bound(audio->chunks.begin(), audio->chunks.end(), pos,
                                  [](uint64_t p, const AviChunk& c) { return p < c.streamBytes; });
    --chunk;
    uint8_t* out = buffer;
    while (left > 0 && chunk != audio->chunks.end()) {
      uint64_t skip = pos - chunk->streamBytes;
      uint64_t take = std::min<uint64_t>(left, chunk->size - skip);
      if (!readAt(layout, chunk->offset + skip, out, take)) return false;
      out += take;
      pos += take;
      left -= take;
      ++chunk;
    }
    if (bytesRead) *bytesRead = int32_t(out - buffer);
    return true;
  }
};

// The first stream of the given type, nullptr when there is none.
AviStream* firstStream(AviLayout& layout, uint32_t type) {
  for (AviStream& stream : layout.streams)
    if (stream.type == type) return &stream;
  return nullptr;
}

}  // namespace

MediaFile* openAviFile(const char* path) {
  int fd = openRegularFile(path);
  if (fd < 0) return nullptr;
  auto* file = new AviFile;
  file->layout.fd = fd;
  struct stat info;
  if (fstat(fd, &info) != 0) {
    int error = errno;
    delete file;
    errno = error;
    return nullptr;
  }
  file->layout.fileSize = uint64_t(info.st_size);
  file->layout.mostReads = kOpenReadsSpare + file->layout.fileSize / kOpenBytesPerRead;
  file->layout.mostBytes = kOpenBytesSpare + kOpenPasses * file->layout.fileSize;
  if (!parseFile(file->layout)) {
    delete file;
    errno = kDamagedFile;
    return nullptr;
  }
  buildAviIndex(file->layout);
  file->video = firstStream(file->layout, kVideoStream);
  file->audio = firstStream(file->layout, kAudioStream);
  if (file->audio && file->audio->format.size() >= 14)
    file->soundBlock = std::max<uint32_t>(1, readLe16(file->audio->format.data() + 12));
  file->openReads = file->layout.reads;
  file->openBytesRead = file->layout.bytesRead;
  file->layout.mostReads = file->layout.mostBytes = UINT64_MAX;
  return file;
}

bool describeAviFile(MediaFile* media, AviFileFacts* facts) {
  auto* file = dynamic_cast<AviFile*>(media);
  if (!file) return false;
  const AviLayout& layout = file->layout;
  static const char* const kIndexNames[] = {"none", "idx1", "OpenDML", "rebuilt"};
  *facts = AviFileFacts{};
  facts->indexKind = kIndexNames[int(layout.indexKind)];
  facts->streams = int(layout.streams.size());
  facts->headerFrames = layout.headerFrames;
  facts->openReads = file->openReads;
  facts->openBytesRead = file->openBytesRead;
  if (file->video) {
    facts->videoStream = int(file->video - layout.streams.data());
    facts->videoHandler = file->video->handler;
    facts->videoRate = file->video->rate;
    facts->videoScale = file->video->scale;
    for (const AviChunk& chunk : file->video->chunks) {
      facts->keyFrames += chunk.key;
      facts->largestFrame =
          std::max(facts->largestFrame, int32_t(std::min<uint32_t>(chunk.size, INT32_MAX)));
    }
  }
  if (file->audio) {
    facts->audioStream = int(file->audio - layout.streams.data());
    facts->soundBytes = int64_t(file->audio->totalBytes);
  }
  return true;
}

namespace {

struct AviMediaLibrary final : MediaLibrary {
  MediaFile* open(const char* fileName) override {
    // Clip names are plain names of the current directory.
    if (!fileName || !fileName[0] || std::strchr(fileName, '/')) {
      errno = kNotPlainFile;
      return nullptr;
    }
    return openAviFile(resolveInDirectory(platform.directories.current, fileName).c_str());
  }
  void release(MediaFile* file) override { delete file; }
};

}  // namespace

MediaLibrary* aviMediaLibrary() {
  static AviMediaLibrary library;
  return &library;
}
