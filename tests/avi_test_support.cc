#include "avi_test_support.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>

#include "platform/headless.h"

void RiffBuilder::u16(uint32_t v) {
  bytes += char(v & 0xFF);
  bytes += char((v >> 8) & 0xFF);
}

void RiffBuilder::u32(uint32_t v) {
  u16(v & 0xFFFF);
  u16(v >> 16);
}

void RiffBuilder::u64(uint64_t v) {
  u32(uint32_t(v));
  u32(uint32_t(v >> 32));
}

void RiffBuilder::code(const char* fourCharacters) {
  bytes.append(fourCharacters, 4);
}

void RiffBuilder::begin(const char* id) {
  code(id);
  open.push_back(pos());
  u32(0);
}

void RiffBuilder::beginList(const char* id, const char* type) {
  begin(id);
  code(type);
}

void RiffBuilder::end() {
  size_t at = open.back();
  open.pop_back();
  uint32_t size = uint32_t(pos() - at - 4);
  patch32(at, size);
  if (size & 1) bytes += '\0';
}

void RiffBuilder::patch32(size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) bytes[at + size_t(i)] = char((v >> (8 * i)) & 0xFF);
}

void RiffBuilder::patch64(size_t at, uint64_t v) {
  patch32(at, uint32_t(v));
  patch32(at + 4, uint32_t(v >> 32));
}

std::string bitmapFormat(int width, int height, int bitCount, uint32_t compression, int colours) {
  RiffBuilder f;
  f.u32(40);
  f.u32(uint32_t(width));
  f.u32(uint32_t(height));
  f.u16(1);
  f.u16(uint32_t(bitCount));
  f.u32(compression);
  f.u32(uint32_t(width) * uint32_t(height));
  f.u32(0);
  f.u32(0);
  f.u32(uint32_t(colours));
  f.u32(0);
  for (int i = 0; i < colours; ++i) f.u32(uint32_t(i) * 0x010101u);
  return f.bytes;
}

std::string readFrame(MediaFile* file, int32_t n) {
  std::string out(1 << 17, '\0');
  int32_t size = -1;
  auto* buffer = reinterpret_cast<uint8_t*>(out.data());
  if (!file->readVideoFrame(n, buffer, int32_t(out.size()), &size)) return "<failed>";
  out.resize(size_t(size));
  return out;
}

std::string readSound(MediaFile* file, int32_t first, int32_t count, int32_t bufferSize) {
  std::string out(size_t(bufferSize), '\0');
  int32_t size = -1;
  auto* buffer = reinterpret_cast<uint8_t*>(out.data());
  if (!file->readAudio(first, count, buffer, bufferSize, &size)) return "<failed>";
  out.resize(size_t(size));
  return out;
}

std::string patternBytes(size_t size, int seed) {
  std::string out(size, '\0');
  for (size_t i = 0; i < size; ++i) out[i] = char((i * 7 + size_t(seed) * 31 + i / 251) & 0xFF);
  return out;
}

namespace {

struct ChunkPlace {
  const char* id;
  uint64_t header;  // position of the chunk header
  uint32_t size;
  bool key;
};

constexpr uint32_t kSuperEntries = 4;

// With an OpenDML index, the stream's super index has room for superEntries entries.
void writeStreamList(RiffBuilder& b, bool video, const HandAvi& layout, uint32_t superEntries,
                     size_t* superIndexAt) {
  b.beginList("LIST", "strl");
  b.begin("strh");
  b.code(video ? "vids" : "auds");
  b.code(video ? "mrle" : "\0\0\0\0");
  for (int i = 0; i < 3; ++i) b.u32(0);  // dwFlags, wPriority and wLanguage, dwInitialFrames
  b.u32(1);                              // dwScale
  b.u32(video ? 12 : 22050);             // dwRate
  b.u32(0);                              // dwStart
  b.u32(video ? uint32_t(layout.frames.size()) : 0);  // dwLength
  b.u32(0);
  b.u32(0xFFFFFFFFu);
  b.u32(video ? 0 : layout.soundBlock);
  b.u64(0);
  b.end();
  if (layout.junkBeforeFormat) {
    b.begin("JUNK");
    b.raw("odd");
    b.end();
  }
  b.begin("strf");
  if (video) {
    b.raw(layout.videoFormat.empty() ? bitmapFormat(320, 240, 8, 1, 16) : layout.videoFormat);
  } else {
    b.u16(1);
    b.u16(2);
    b.u32(22050);
    b.u32(22050u * layout.soundBlock);
    b.u16(layout.soundBlock);
    b.u16(8);
  }
  b.end();
  if (layout.index == HandIndex::openDml) {
    b.begin("indx");
    b.u16(4);
    b.bytes += '\0';  // bIndexSubType
    b.bytes += '\0';  // bIndexType: index of indexes
    *superIndexAt = b.pos();
    b.u32(0);  // nEntriesInUse, patched
    b.code(video ? "00dc" : "01wb");
    // Three reserved fields, then the entries: each four fields, filled in by the indexes.
    for (uint32_t i = 0; i < 3 + superEntries * 4; ++i) b.u32(0);
    b.end();
  }
  b.end();
}

void writeChunk(RiffBuilder& b, const char* id, const std::string& data, bool key,
                std::vector<ChunkPlace>& places) {
  places.push_back({id, b.pos(), uint32_t(data.size()), key});
  b.begin(id);
  b.raw(data);
  b.end();
}

// Frames from..to and their sound; with to == the last frame, the extra sound chunks too.
void writeMovieData(RiffBuilder& b, const HandAvi& layout, size_t from, size_t to,
                    std::vector<ChunkPlace>& places) {
  const bool video = layout.video, audio = layout.audio;
  for (size_t k = from; k < to; ++k) {
    if (layout.recordLists) b.beginList("LIST", "rec ");
    if (video) writeChunk(b, "00dc", layout.frames[k], k == 0, places);
    if (video && k == 0 && layout.paletteChange)
      writeChunk(b, "00pc", "\0\1\0\0rgb0", true, places);
    if (audio && k < layout.sound.size()) writeChunk(b, "01wb", layout.sound[k], true, places);
    if (layout.recordLists) b.end();
  }
  if (to == layout.frames.size() && audio)
    for (size_t k = to; k < layout.sound.size(); ++k)
      writeChunk(b, "01wb", layout.sound[k], true, places);
}

// The 24 bytes that open a standard index (an index of chunks) of the stream's chunks.
void standardIndexHeader(RiffBuilder& b, const char* chunkId, uint32_t entries, uint64_t base) {
  b.u16(2);
  b.bytes += '\0';
  b.bytes += '\1';  // an index of chunks
  b.u32(entries);   // nEntriesInUse
  b.code(chunkId);
  b.u64(base);  // qwBaseOffset
  b.u32(0);
}

// One standard index chunk per stream for the chunks of one movie list, entered in the
// stream's super index.
void writeStandardIndexes(RiffBuilder& b, const std::vector<ChunkPlace>& places, uint64_t base,
                          const size_t superIndexAt[2], int form) {
  const char* ids[2] = {"00dc", "01wb"};  // palette changes are in no standard index
  const char* indexIds[2] = {"ix00", "ix01"};
  for (int s = 0; s < 2; ++s) {
    if (!superIndexAt[s]) continue;
    size_t start = b.pos();
    b.begin(indexIds[s]);
    size_t countAt = b.pos() + 4;
    standardIndexHeader(b, ids[s], 0, base);
    uint32_t count = 0;
    for (const ChunkPlace& place : places) {
      if (std::string(place.id) != ids[s]) continue;
      b.u32(uint32_t(place.header + 8 - base));
      b.u32(place.size | (place.key ? 0 : 0x80000000u));
      ++count;
    }
    b.patch32(countAt, count);
    b.end();
    size_t entry = superIndexAt[s] + 20 + 16 * size_t(form);
    b.patch64(entry, start);
    b.patch32(entry + 8, uint32_t(b.pos() - start));
    b.patch32(entry + 12, count);
    b.patch32(superIndexAt[s], uint32_t(form + 1));
  }
}

void writeOldIndex(RiffBuilder& b, const std::vector<ChunkPlace>& places, uint64_t base) {
  b.begin("idx1");
  for (const ChunkPlace& place : places) {
    b.code(place.id);
    b.u32(place.key ? 0x10 : 0);
    b.u32(uint32_t(place.header - base));
    b.u32(place.size);
  }
  b.end();
}

// The header list, and where each stream's super index counts its entries.
void writeHeaderList(RiffBuilder& b, const HandAvi& layout, uint32_t superEntries,
                     size_t superIndexAt[2]) {
  b.beginList("LIST", "hdrl");
  b.begin("avih");
  b.u32(83333);
  b.u32(0);
  b.u32(0);
  b.u32(0x10);
  b.u32(layout.headerFrames ? layout.headerFrames : uint32_t(layout.frames.size()));
  b.u32(0);
  b.u32(uint32_t(layout.video) + uint32_t(layout.audio));
  b.u32(0);
  b.u32(320);
  b.u32(240);
  for (int i = 0; i < 4; ++i) b.u32(0);
  b.end();
  if (layout.video) writeStreamList(b, true, layout, superEntries, &superIndexAt[0]);
  if (layout.audio) writeStreamList(b, false, layout, superEntries, &superIndexAt[1]);
  b.end();
}

}  // namespace

std::string buildHandAvi(const HandAvi& layout) {
  RiffBuilder b;
  b.beginList("RIFF", "AVI ");
  size_t superIndexAt[2] = {0, 0};
  writeHeaderList(b, layout, kSuperEntries, superIndexAt);

  std::vector<ChunkPlace> places;
  size_t firstFrames = std::min(layout.framesInFirstForm, layout.frames.size());
  b.beginList("LIST", "movi");
  uint64_t moviCode = b.pos() - 4;
  writeMovieData(b, layout, 0, firstFrames, places);
  if (layout.index == HandIndex::openDml)
    writeStandardIndexes(b, places, moviCode, superIndexAt, 0);
  b.end();
  if (layout.index == HandIndex::idx1) writeOldIndex(b, places, moviCode);
  if (layout.index == HandIndex::idx1Absolute) writeOldIndex(b, places, 0);
  b.end();

  if (firstFrames < layout.frames.size()) {
    std::vector<ChunkPlace> more;
    b.beginList("RIFF", "AVIX");
    b.beginList("LIST", "movi");
    uint64_t base = b.pos() - 4;
    writeMovieData(b, layout, firstFrames, layout.frames.size(), more);
    if (layout.index == HandIndex::openDml) writeStandardIndexes(b, more, base, superIndexAt, 1);
    b.end();
    b.end();
  }
  return b.bytes;
}

// A standard index of the video stream, size bytes long, that lists no chunk.
static std::string emptyStandardIndex(uint32_t size) {
  RiffBuilder index;
  index.code("ix00");
  index.u32(size - 8);
  standardIndexHeader(index, "00dc", 0, 0);
  return index.bytes;
}

bool writeHostileOpenDmlAvi(const std::string& path, const std::vector<std::string>& frames,
                            uint32_t entries, uint64_t zeroBytes, uint32_t indexBytes) {
  constexpr uint32_t kIndexHeader = 8 + 24;  // chunk header, standard index header
  if (indexBytes < kIndexHeader) return false;
  HandAvi layout;
  layout.audio = false;
  layout.index = HandIndex::openDml;
  layout.frames = frames;
  RiffBuilder b;
  b.beginList("RIFF", "AVI ");
  size_t superIndexAt[2] = {0, 0};
  writeHeaderList(b, layout, entries, superIndexAt);
  b.patch32(superIndexAt[0], entries);
  // The movie list: the frames, a small index, the zeros, the index. Its size counts them all.
  size_t moviStart = b.pos();
  b.beginList("LIST", "movi");
  for (const std::string& frame : frames) {
    b.begin("00dc");
    b.raw(frame);
    b.end();
  }
  uint64_t smallIndexAt = b.pos(), indexAt = b.pos() + kIndexHeader + zeroBytes;
  b.raw(emptyStandardIndex(kIndexHeader));
  for (uint32_t i = 0; i < entries; ++i) {
    size_t entry = superIndexAt[0] + 20 + 16 * size_t(i);
    b.patch64(entry, i % 2 ? indexAt : smallIndexAt);
    b.patch32(entry + 8, indexBytes);
  }
  uint64_t total = indexAt + indexBytes;
  b.patch32(moviStart + 4, uint32_t(total - moviStart - 8));
  b.patch32(4, uint32_t(total - 8));

  // The seek past the end leaves a hole; the index ends the file.
  std::ofstream file(path, std::ios::binary);
  file << b.bytes;
  file.seekp(std::streamoff(indexAt));
  file << emptyStandardIndex(indexBytes);
  file.close();
  std::error_code error;
  std::filesystem::resize_file(path, total, error);
  return file && !error;
}

bool haveFfmpeg() {
  return std::system("ffmpeg -version >/dev/null 2>&1") == 0 &&
         std::system("ffprobe -version >/dev/null 2>&1") == 0;
}

std::string commandOutput(const std::string& command, int* status) {
  std::string out;
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) {
    if (status) *status = -1;
    return out;
  }
  char buffer[65536];
  size_t got;
  while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, got);
  int result = pclose(pipe);
  if (status) *status = result;
  return out;
}

std::vector<std::vector<uint32_t>> ffmpegPictures(const std::string& path) {
  int status = 0;
  std::string rgb = commandOutput("ffmpeg -v error -i '" + path +
                                      "' -map 0:v:0 -fps_mode passthrough -f rawvideo "
                                      "-pix_fmt rgb24 -",
                                  &status);
  std::vector<std::vector<uint32_t>> pictures;
  if (status != 0) return pictures;
  constexpr size_t kPixels = size_t(kPictureWidth) * kPictureHeight;
  for (size_t at = 0; at + 3 * kPixels <= rgb.size(); at += 3 * kPixels) {
    std::vector<uint32_t> picture(kPixels);
    for (size_t i = 0; i < kPixels; ++i) {
      const auto* p = reinterpret_cast<const uint8_t*>(&rgb[at + 3 * i]);
      picture[i] = uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2];
    }
    pictures.push_back(std::move(picture));
  }
  return pictures;
}

std::string ffmpegSound(const std::string& path) {
  return commandOutput("ffmpeg -v error -i '" + path + "' -map 0:a:0 -f u8 -");
}

std::vector<std::vector<uint32_t>> decodeAllFrames(MediaFile* file, int32_t formatBytes) {
  HeadlessWindow window;
  Window* before = platform.window;
  platform.window = &window;
  std::unique_ptr<FrameDrawer> drawer(makeDecodingFrameDrawer());
  std::vector<uint8_t> format(static_cast<size_t>(formatBytes));
  std::vector<uint8_t> frame(4u << 20);
  int32_t formatSize = 0;
  std::vector<std::vector<uint32_t>> pictures;
  if (file->readVideoFormat(format.data(), formatBytes, &formatSize)) {
    for (int32_t n = 0; n < file->frameCount(); ++n) {
      int32_t size = 0;
      if (file->readVideoFrame(n, frame.data(), int32_t(frame.size()), &size))
        drawer->drawFrame(format.data(), formatSize, frame.data(), size);
      pictures.push_back(window.lastPicture);
    }
  }
  platform.window = before;
  return pictures;
}

std::string formatText(const WaveFormat& format) {
  return std::to_string(format.formatTag) + " " + std::to_string(format.channels) + " " +
         std::to_string(format.samplesPerSec) + " " + std::to_string(format.avgBytesPerSec) + " " +
         std::to_string(format.blockAlign) + " " + std::to_string(format.bitsPerSample);
}
