// qvkprobe: what the player sees of an AVI file.
//
//   qvkprobe FILE.avi                               streams, formats, codec, frames, index, sound
//   qvkprobe FILE.avi --frame N --out PICTURE.ppm   frame N as the player draws it
//
// The picture is made the way the player makes it: the format as the game reads it (at most
// 1024 bytes), frames 0 to N read into a 30000-byte slot and decoded in order, so delta frames
// draw over the pictures before them. A frame too large for the slot is drawn from zero bytes,
// which leaves the picture before it.
//
// Exit status: 0 done, 1 the file cannot be read (or has no such frame), 2 bad usage.
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "media/media.h"
#include "platform/headless.h"

namespace {

constexpr int kExitUnreadable = 1;

constexpr char kUsage[] =
    "Usage: qvkprobe FILE.avi\n"
    "       qvkprobe FILE.avi --frame N --out PICTURE.ppm\n"
    "Prints what the player sees of an AVI file: its streams, picture and sound formats, codec,\n"
    "frames, index and sound; with --frame and --out, writes frame N as the player draws it.\n"
    "Exit status: 0 done, 1 the file cannot be read (or has no such frame), 2 bad usage.\n"
    "\n"
    "  --frame N        the frame to draw, from 0\n"
    "  --out PICTURE    where to write it, a PPM picture (P6)\n"
    "  -h, --help       print this help and exit\n"
    "  --version        print the version and exit\n";

int usage(const std::string& text) {
  return badUsage("qvkprobe", text);
}

// A four-character code as text, or its number when it is not printable (0, 1, 2 ...).
std::string codeText(uint32_t code) {
  char text[5] = {char(code), char(code >> 8), char(code >> 16), char(code >> 24), 0};
  for (int i = 0; i < 4; ++i)
    if (!std::isprint(static_cast<unsigned char>(text[i]))) return std::to_string(code);
  return std::string("'") + text + "'";
}

const char* compressionName(uint32_t code) {
  switch (code) {
    case 0: return " (uncompressed; the game draws it as \"None\")";
    case 1: return " (MS-RLE 8-bit; the game draws it as \"Rle8\")";
    case 2: return " (MS-RLE 4-bit)";
  }
  return "";
}

void printVideo(MediaFile* file, const AviFileFacts& facts) {
  std::vector<uint8_t> format(65536);
  int32_t size = 0;
  if (!file->readVideoFormat(format.data(), int32_t(format.size()), &size) || size < 40) {
    std::printf("video: stream %d, no usable format\n", facts.videoStream);
    return;
  }
  PictureFormat picture;
  readPictureFormat(format.data(), size, &picture);
  uint32_t bits = picture.bitCount, compression = picture.compression;
  const char* decoder = decoderNameForFormat(format.data(), size);
  std::printf("video: stream %d, %dx%u%s, %u bits, compression %s%s, handler %s\n",
              facts.videoStream, picture.width, picture.rows, picture.topDown ? " (top-down)" : "",
              bits, codeText(compression).c_str(), compressionName(compression),
              codeText(facts.videoHandler).c_str());
  std::printf("codec: %s\n", decoder ? decoder : "none (the player cannot draw these frames)");
  if (bits <= 8) {
    uint32_t colours = picture.coloursUsed;
    if (colours == 0) colours = 1u << bits;
    uint32_t stored = (uint32_t(size) - 40) / 4, read = (kVideoFormatSize - 40) / 4;
    std::printf("colours: %u used, %u in the table%s\n", colours, stored,
                stored > read ? ", more than the player reads" : "");
  }
  if (facts.videoScale)
    std::printf("rate: %.3f frames per second (%u/%u)\n",
                double(facts.videoRate) / facts.videoScale, facts.videoRate, facts.videoScale);
}

void printSound(MediaFile* file, const AviFileFacts& facts) {
  WaveFormat wave;
  if (!file->readAudioFormat(&wave)) {
    std::printf("audio: stream %d, no usable format\n", facts.audioStream);
    return;
  }
  std::printf("audio: stream %d, %s, %u channels, %u Hz, %u bits, %u bytes a sample, %u bytes/s\n",
              facts.audioStream, wave.formatTag == 1 ? "PCM" : codeText(wave.formatTag).c_str(),
              wave.channels, wave.samplesPerSec, wave.bitsPerSample, wave.blockAlign,
              wave.avgBytesPerSec);
  int block = wave.blockAlign ? wave.blockAlign : 1;
  std::printf("sound: %lld bytes (%lld samples", static_cast<long long>(facts.soundBytes),
              static_cast<long long>(facts.soundBytes / block));
  if (wave.avgBytesPerSec)
    std::printf(", %.3f s", double(facts.soundBytes) / double(wave.avgBytesPerSec));
  std::printf("; %.1f frames of %d bytes)\n", double(facts.soundBytes) / kSoundBytesPerFrame,
              kSoundBytesPerFrame);
}

// Frames the player cannot hold in a cache slot.
void printOversizedFrames(MediaFile* file) {
  std::vector<uint8_t> frame(kSlotBytes);
  int32_t count = 0, first = -1, size = 0;
  for (int32_t n = 0; n < file->frameCount(); ++n)
    if (!file->readVideoFrame(n, frame.data(), kSlotBytes, &size)) {
      if (first < 0) first = n;
      ++count;
    }
  if (count)
    std::printf(
        "warning: %d frames (the first is frame %d) do not fit the player's %d-byte "
        "frame slot; the player shows the picture before them instead\n",
        count, first, kSlotBytes);
}

int probe(MediaFile* file) {
  AviFileFacts facts;
  describeAviFile(file, &facts);
  std::printf("streams: %d\n", facts.streams);
  if (file->hasVideo())
    printVideo(file, facts);
  else
    std::printf("video: none\n");
  std::printf("frames: %d (the main header says %u), %d key frames, largest %d bytes\n",
              file->frameCount(), facts.headerFrames, facts.keyFrames, facts.largestFrame);
  std::printf("index: %s%s\n", facts.indexKind,
              std::strcmp(facts.indexKind, "rebuilt") == 0
                  ? " (the file has no usable index; its chunks were found by a scan)"
                  : "");
  if (file->hasAudio())
    printSound(file, facts);
  else
    std::printf("audio: none\n");
  printOversizedFrames(file);
  return 0;
}

bool writePpm(const char* path, const std::vector<uint32_t>& pixels) {
  FILE* out = std::fopen(path, "wb");
  if (!out) return false;
  std::fprintf(out, "P6\n%d %d\n255\n", kPictureWidth, kPictureHeight);
  std::vector<uint8_t> rgb;
  rgb.reserve(pixels.size() * 3);
  for (uint32_t p : pixels) rgb.insert(rgb.end(), {uint8_t(p >> 16), uint8_t(p >> 8), uint8_t(p)});
  bool written = std::fwrite(rgb.data(), 1, rgb.size(), out) == rgb.size();
  return std::fclose(out) == 0 && written;
}

int drawFrame(MediaFile* file, const char* name, int32_t target, const char* outPath) {
  if (target >= file->frameCount()) {
    std::fprintf(stderr, "qvkprobe: %s has %d frames; there is no frame %d\n", name,
                 file->frameCount(), target);
    return kExitUnreadable;
  }
  uint8_t format[kVideoFormatSize];
  int32_t formatSize = 0;
  if (!file->readVideoFormat(format, kVideoFormatSize, &formatSize)) {
    std::fprintf(stderr, "qvkprobe: %s: the video format cannot be read\n", name);
    return kExitUnreadable;
  }
  HeadlessWindow window;
  platform.window = &window;
  std::unique_ptr<FrameDrawer> drawer(makeDecodingFrameDrawer());
  std::vector<uint8_t> slot(kSlotBytes);
  bool targetShown = false;
  for (int32_t n = 0; n <= target; ++n) {
    std::fill(slot.begin(), slot.end(), 0);
    int32_t size = kSlotBytes;
    if (!file->readVideoFrame(n, slot.data(), kSlotBytes, &size)) size = kSlotBytes;
    int before = window.pictures;
    drawer->drawFrame(format, formatSize, slot.data(), size);
    targetShown = window.pictures > before;
  }
  platform.window = nullptr;
  if (window.pictures == 0) {
    std::fprintf(stderr, "qvkprobe: %s: no picture could be decoded up to frame %d\n", name,
                 target);
    return kExitUnreadable;
  }
  if (!targetShown)
    std::fprintf(stderr, "qvkprobe: frame %d gave no picture; the picture before it is kept\n",
                 target);
  if (!writePpm(outPath, window.lastPicture)) {
    std::fprintf(stderr, "qvkprobe: cannot write %s\n", outPath);
    return kExitUnreadable;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (answersHelpOrVersion(argc, argv, "qvkprobe", kUsage)) return 0;
  const char* path = nullptr;
  const char* outPath = nullptr;
  int32_t frame = -1;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if ((arg == "--frame" || arg == "--out") && i + 1 == argc) return usage(arg + " needs a value");
    if (arg == "--frame") {
      uint64_t number = 0;
      if (!parseWholeNumber(argv[++i], 0, INT32_MAX, &number))
        return usage("--frame takes a frame number from 0 to " + std::to_string(INT32_MAX) +
                     ", not " + argv[i]);
      frame = int32_t(number);
    } else if (arg == "--out") {
      outPath = argv[++i];
    } else if (arg[0] == '-') {
      return usage("no option " + arg);
    } else if (path) {
      return usage("one file at most");
    } else {
      path = argv[i];
    }
  }
  if (!path) return usage("no file");
  if ((frame >= 0) != (outPath != nullptr)) return usage("--frame and --out go together");

  std::unique_ptr<MediaFile> file(openAviFile(path));
  if (!file) {
    std::fprintf(stderr, "qvkprobe: %s: not a readable AVI file\n", path);
    return kExitUnreadable;
  }
  if (frame < 0) {
    std::printf("file: %s\n", path);
    return probe(file.get());
  }
  return drawFrame(file.get(), path, frame, outPath);
}
