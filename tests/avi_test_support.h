// Helpers of the media tests: hand-made AVI files with any index and layout, the ffmpeg programs,
// pictures as the window receives them, and sound formats.
#pragma once

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "media/media.h"

// A RIFF file under construction: little-endian fields, nested chunks closed with their pad.
struct RiffBuilder {
  std::string bytes;
  std::vector<size_t> open;  // where each open chunk's size field is

  size_t pos() const { return bytes.size(); }
  void u16(uint32_t v);
  void u32(uint32_t v);
  void u64(uint64_t v);
  void code(const char* fourCharacters);
  void raw(const std::string& data) { bytes += data; }
  void begin(const char* id);
  void beginList(const char* id, const char* type);
  void end();  // closes the newest open chunk
  void patch32(size_t at, uint32_t v);
  void patch64(size_t at, uint64_t v);
};

enum class HandIndex { none, idx1, idx1Absolute, openDml };

// What a hand-made file holds. Sound chunk k follows frame k (there may be fewer sound chunks
// than frames, or more: the extra ones come after the last frame).
struct HandAvi {
  bool video = true;
  bool audio = true;
  std::vector<std::string> frames;
  std::vector<std::string> sound;
  HandIndex index = HandIndex::idx1;
  bool recordLists = false;  // each frame and its sound in a LIST 'rec '
  size_t framesInFirstForm = std::numeric_limits<size_t>::max();  // OpenDML: the rest in AVIX
  uint32_t headerFrames = 0;  // avih dwTotalFrames; 0: the number of frames
  std::string videoFormat;    // strf of the video stream; empty: an 8-bit MS-RLE header
  uint16_t soundBlock = 2;
  bool paletteChange = false;     // a "00pc" chunk after frame 0 (no frame of its own)
  bool junkBeforeFormat = false;  // an odd-sized chunk between each stream header and format
};

std::string buildHandAvi(const HandAvi& layout);

// A file whose video stream's OpenDML super index names two standard indexes in turn, `entries`
// times in all, neither of which lists a chunk. The movie list holds `frames` frames, the first
// index, `zeroBytes` of zeros (empty chunks of no stream, as a walk reads them), and the second
// index, `indexBytes` long. Written sparse at path, so the zeros take no room on disk. False
// when it cannot be written.
bool writeHostileOpenDmlAvi(const std::string& path, const std::vector<std::string>& frames,
                            uint32_t entries, uint64_t zeroBytes, uint32_t indexBytes);

// A 40-byte bitmap information header and colours colour-table entries (entry i = i * 0x010101).
std::string bitmapFormat(int width, int height, int bitCount, uint32_t compression, int colours);

// Frame n as the file reads it, and count samples from sample first on as a buffer of bufferSize
// bytes takes them: "<failed>" when the read fails.
std::string readFrame(MediaFile* file, int32_t n);
std::string readSound(MediaFile* file, int32_t first, int32_t count, int32_t bufferSize = 1 << 20);

// A stretch of distinct bytes, so that misplaced reads show.
std::string patternBytes(size_t size, int seed);

// The ffmpeg programs: whether they are installed, and a command's standard output.
bool haveFfmpeg();
std::string commandOutput(const std::string& command, int* status = nullptr);

// The pictures ffmpeg decodes from the file's first video stream, as the window shows them (none
// when ffmpeg fails), and its first sound stream as 8-bit samples.
std::vector<std::vector<uint32_t>> ffmpegPictures(const std::string& path);
std::string ffmpegSound(const std::string& path);

// Every frame of file decoded in order by a fresh drawer: the window's picture after each
// frame. The format is read whole (formatBytes: at most this much, as the game reads it).
std::vector<std::vector<uint32_t>> decodeAllFrames(MediaFile* file, int32_t formatBytes = 65536);

// A sound format as "tag channels rate bytes-a-second block bits".
std::string formatText(const WaveFormat& format);
