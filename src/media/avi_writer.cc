// The AVI writer of the tools: 8-bit pictures over one colour table, MS-RLE compressed or
// uncompressed, and 8-bit stereo PCM sound, interleaved one frame at a time (the video chunk,
// then the sound that plays with it), closed by an idx1 index.
//
// The sound of frame k is the stretch of the track from k * 44100 / 12 bytes on, cut to whole
// samples, so every chunk holds whole samples (3674 and 3676 bytes in turn at 12 frames per
// second) and any player can decode each chunk on its own.
#include <algorithm>
#include <cstdio>
#include <cstring>

#include "media/avi_riff.h"
#include "media/media.h"

namespace {

constexpr uint32_t kCompressionRgb = 0;
constexpr uint32_t kCompressionRle8 = 1;
constexpr uint16_t kPcm = 1;
constexpr uint16_t kSoundChannels = 2;
constexpr uint16_t kSoundBits = 8;
constexpr uint32_t kBitmapHeaderBytes = 40;

// The file's bytes, built in memory: fields in little-endian order, chunks whose size is
// filled in when they close.
struct ByteWriter {
  std::vector<uint8_t> bytes;

  void put16(uint32_t v) { appendLe16(bytes, v); }
  void put32(uint32_t v) { appendLe32(bytes, v); }
  void put(const uint8_t* data, size_t size) { bytes.insert(bytes.end(), data, data + size); }
  size_t begin(uint32_t id) {
    put32(id);
    put32(0);
    return bytes.size();
  }
  size_t beginList(uint32_t id, uint32_t type) {
    size_t start = begin(id);
    put32(type);
    return start;
  }
  // Writes the size of the chunk whose data began at start, and its pad byte.
  void end(size_t start) {
    uint32_t size = uint32_t(bytes.size() - start);
    writeLe32(&bytes[start - 4], size);
    if (size & 1) bytes.push_back(0);
  }
};

struct EncodedVideo {
  std::vector<std::vector<uint8_t>> frames;
  std::vector<bool> key;
  uint32_t largest = 0;
};

// Rows bottom-up, each padded to a multiple of 4 bytes, as device-independent bitmaps are.
std::vector<uint8_t> uncompressedFrame(const uint8_t* picture, int width, int height) {
  size_t stride = (size_t(width) + 3) & ~size_t(3);
  std::vector<uint8_t> out(stride * size_t(height), 0);
  for (int y = 0; y < height; ++y)
    std::memcpy(&out[stride * size_t(height - 1 - y)], picture + size_t(y) * size_t(width),
                size_t(width));
  return out;
}

EncodedVideo encodeVideo(const AviClip& clip) {
  EncodedVideo video;
  const uint8_t* previous = nullptr;
  for (size_t i = 0; i < clip.frames.size(); ++i) {
    const uint8_t* picture = clip.frames[i].data();
    std::vector<uint8_t> frame;
    bool key = true;
    if (!clip.compressRle) {
      frame = uncompressedFrame(picture, clip.width, clip.height);
    } else {
      encodeMsrleFrame(picture, nullptr, clip.width, clip.height, frame);
      bool keyDue = clip.keyFrameInterval > 0 && i % size_t(clip.keyFrameInterval) == 0;
      if (previous && !keyDue) {
        std::vector<uint8_t> delta;
        encodeMsrleFrame(picture, previous, clip.width, clip.height, delta);
        if (delta.size() < frame.size()) {
          frame.swap(delta);
          key = false;
        }
      }
    }
    video.largest = std::max(video.largest, uint32_t(frame.size()));
    video.frames.push_back(std::move(frame));
    video.key.push_back(key);
    previous = picture;
  }
  return video;
}

// Where the sound of frame k starts in the track (whole samples); the last frame takes the rest.
size_t soundStart(const AviClip& clip, size_t frame, size_t soundBytes) {
  if (frame >= clip.frames.size()) return soundBytes;
  uint64_t start = uint64_t(frame) * kSoundBytesPerSecond / uint64_t(clip.framesPerSecond);
  start -= start % kBytesPerSample;
  return std::min<size_t>(size_t(start), soundBytes);
}

void putMainHeader(ByteWriter& out, const AviClip& clip, uint32_t streams, uint32_t largest) {
  size_t avih = out.begin(kMainHeader);
  out.put32(uint32_t(1000000 / clip.framesPerSecond));
  out.put32(uint32_t(largest * uint32_t(clip.framesPerSecond)));  // dwMaxBytesPerSec
  out.put32(0);                                                   // dwPaddingGranularity
  out.put32(kAvihHasIndex | kAvihInterleaved);
  out.put32(uint32_t(clip.frames.size()));
  out.put32(0);  // dwInitialFrames
  out.put32(streams);
  out.put32(largest);  // dwSuggestedBufferSize
  out.put32(uint32_t(clip.width));
  out.put32(uint32_t(clip.height));
  for (int i = 0; i < 4; ++i) out.put32(0);
  out.end(avih);
}

void putStreamHeader(ByteWriter& out, uint32_t type, uint32_t handler, uint32_t rate,
                     uint32_t length, uint32_t largest, uint32_t sampleSize, int width,
                     int height) {
  size_t strh = out.begin(kStreamHeader);
  out.put32(type);
  out.put32(handler);
  out.put32(0);  // dwFlags
  out.put32(0);  // wPriority, wLanguage
  out.put32(0);  // dwInitialFrames
  out.put32(1);  // dwScale
  out.put32(rate);
  out.put32(0);  // dwStart
  out.put32(length);
  out.put32(largest);
  out.put32(0xFFFFFFFFu);  // dwQuality: default
  out.put32(sampleSize);
  out.put16(0);
  out.put16(0);
  out.put16(uint32_t(width));
  out.put16(uint32_t(height));
  out.end(strh);
}

void putVideoStream(ByteWriter& out, const AviClip& clip, const EncodedVideo& video) {
  size_t strl = out.beginList(kList, kStreamList);
  putStreamHeader(out, kVideoStream, clip.compressRle ? fourCc("mrle") : fourCc("DIB "),
                  uint32_t(clip.framesPerSecond), uint32_t(clip.frames.size()), video.largest, 0,
                  clip.width, clip.height);
  size_t strf = out.begin(kStreamFormat);
  out.put32(kBitmapHeaderBytes);
  out.put32(uint32_t(clip.width));
  out.put32(uint32_t(clip.height));  // positive: bottom-up rows
  out.put16(1);                      // biPlanes
  out.put16(8);                      // biBitCount
  out.put32(clip.compressRle ? kCompressionRle8 : kCompressionRgb);
  out.put32(clip.compressRle ? video.largest : uint32_t(video.frames[0].size()));
  out.put32(0);
  out.put32(0);
  out.put32(uint32_t(clip.paletteEntries));  // biClrUsed
  out.put32(0);                              // biClrImportant
  for (int i = 0; i < clip.paletteEntries; ++i) {
    uint32_t rgb = clip.palette[i];
    out.bytes.insert(out.bytes.end(),
                     {uint8_t(rgb), uint8_t(rgb >> 8), uint8_t(rgb >> 16), uint8_t(0)});
  }
  out.end(strf);
  out.end(strl);
}

void putAudioStream(ByteWriter& out, size_t soundBytes, uint32_t largest) {
  size_t strl = out.beginList(kList, kStreamList);
  putStreamHeader(out, kAudioStream, 0, kSoundBytesPerSecond / kBytesPerSample,
                  uint32_t(soundBytes / kBytesPerSample), largest, kBytesPerSample, 0, 0);
  size_t strf = out.begin(kStreamFormat);
  out.put16(kPcm);
  out.put16(kSoundChannels);
  out.put32(kSoundBytesPerSecond / kBytesPerSample);
  out.put32(kSoundBytesPerSecond);
  out.put16(kBytesPerSample);
  out.put16(kSoundBits);
  out.end(strf);
  out.end(strl);
}

bool clipIsWritable(const AviClip& clip) {
  if (clip.width <= 0 || clip.height <= 0 || clip.width > 0xFFFF || clip.height > 0xFFFF)
    return false;
  if (clip.framesPerSecond <= 0 || clip.frames.empty()) return false;
  if (clip.paletteEntries < 1 || clip.paletteEntries > 256) return false;
  for (const std::vector<uint8_t>& frame : clip.frames)
    if (frame.size() != size_t(clip.width) * size_t(clip.height)) return false;
  return true;
}

bool writeWholeFile(const char* path, const std::vector<uint8_t>& bytes) {
  FILE* file = std::fopen(path, "wb");
  if (!file) return false;
  bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  if (std::fclose(file) != 0) written = false;
  if (!written) std::remove(path);
  return written;
}

}  // namespace

bool writeAviFile(const char* path, const AviClip& clip) {
  if (!clipIsWritable(clip)) return false;
  EncodedVideo video = encodeVideo(clip);
  std::vector<uint8_t> sound = clip.sound;
  if (sound.size() % kBytesPerSample) sound.push_back(kSilence);
  bool hasSound = !sound.empty();
  size_t frames = clip.frames.size();
  uint32_t largestSound = 0;
  for (size_t k = 0; k < frames; ++k)
    largestSound = std::max(largestSound, uint32_t(soundStart(clip, k + 1, sound.size()) -
                                                   soundStart(clip, k, sound.size())));

  ByteWriter out;
  size_t riff = out.beginList(kRiff, kAviForm);
  size_t hdrl = out.beginList(kList, kHeaderList);
  putMainHeader(out, clip, hasSound ? 2 : 1, std::max(video.largest, largestSound));
  putVideoStream(out, clip, video);
  if (hasSound) putAudioStream(out, sound.size(), largestSound);
  out.end(hdrl);

  struct IndexEntry {
    uint32_t id, flags, offset, size;
  };
  std::vector<IndexEntry> index;
  size_t movi = out.beginList(kList, kMovieList);
  size_t moviFourCc = movi;
  uint32_t videoId = clip.compressRle ? fourCc("00dc") : fourCc("00db");
  for (size_t k = 0; k < frames; ++k) {
    index.push_back({videoId, video.key[k] ? kIndexKeyFrame : 0,
                     uint32_t(out.bytes.size() - moviFourCc), uint32_t(video.frames[k].size())});
    size_t chunk = out.begin(videoId);
    out.put(video.frames[k].data(), video.frames[k].size());
    out.end(chunk);
    size_t from = soundStart(clip, k, sound.size()), to = soundStart(clip, k + 1, sound.size());
    if (to > from) {
      index.push_back({fourCc("01wb"), kIndexKeyFrame, uint32_t(out.bytes.size() - moviFourCc),
                       uint32_t(to - from)});
      chunk = out.begin(fourCc("01wb"));
      out.put(sound.data() + from, to - from);
      out.end(chunk);
    }
  }
  out.end(movi);

  size_t idx1 = out.begin(kOldIndex);
  for (const IndexEntry& entry : index) {
    out.put32(entry.id);
    out.put32(entry.flags);
    out.put32(entry.offset);
    out.put32(entry.size);
  }
  out.end(idx1);
  out.end(riff);
  if (out.bytes.size() > 0xFFFFFFF0u) return false;  // a RIFF form holds at most 4 GiB
  return writeWholeFile(path, out.bytes);
}
