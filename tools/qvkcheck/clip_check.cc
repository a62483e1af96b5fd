// The AVI files: readable, with a picture and a sound track in the format of demo.avi (whose
// sound format the stream buffer takes), at least a frame cache long, every frame small enough
// for a cache slot. What is wrong with a clip's format is mended by making the clip again.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "qvkcheck.h"

struct ClipFormat {
  int64_t width = kPictureWidth;
  int64_t height = kPictureHeight;
  uint32_t rate = kFramesPerSecond, scale = 1;
  WaveFormat sound;  // its defaults are the game's: PCM, stereo, 22050 Hz, 8 bits
};

static ClipFormat reference;                      // demo.avi's once read
static std::string referenceName = "the game's";  // whose format reference is

static const char kMakeAgain[] = "; make it again as the authoring guide shows";

static std::string soundText(const WaveFormat& f) {
  std::string text = f.formatTag == 1 ? "PCM" : "format " + std::to_string(f.formatTag);
  text += f.channels == 2 ? " stereo" : " " + std::to_string(f.channels) + " channels";
  return text + " " + std::to_string(f.bitsPerSample) + "-bit " + std::to_string(f.samplesPerSec) +
         " Hz";
}

static std::string rateText(uint32_t rate, uint32_t scale) {
  if (scale != 0 && rate % scale == 0) return std::to_string(rate / scale);
  return std::to_string(rate) + "/" + std::to_string(scale);
}

static bool sameSound(const WaveFormat& a, const WaveFormat& b) {
  return a.formatTag == b.formatTag && a.channels == b.channels &&
         a.samplesPerSec == b.samplesPerSec && a.bitsPerSample == b.bitsPerSample &&
         a.blockAlign == b.blockAlign;
}

// The format of an open file; false for a part it lacks.
static bool readFormat(MediaFile* file, const AviFileFacts& facts, ClipFormat* format,
                       bool* hasSound) {
  uint8_t header[kVideoFormatSize];
  int32_t size = 0;
  PictureFormat picture;
  if (!file->hasVideo() || !file->readVideoFormat(header, sizeof header, &size) ||
      !readPictureFormat(header, size, &picture))
    return false;
  format->width = picture.width;
  format->height = picture.rows;
  format->rate = facts.videoRate;
  format->scale = facts.videoScale;
  *hasSound = file->hasAudio() && file->readAudioFormat(&format->sound);
  return true;
}

static void compareFormat(const std::string& name, const ClipFormat& f, bool hasSound) {
  const ClipFormat& r = reference;
  if (f.width != r.width || f.height != r.height)
    problem(name, 0,
            "picture is " + std::to_string(f.width) + "x" + std::to_string(f.height) + ", " +
                referenceName + " " + std::to_string(r.width) + "x" + std::to_string(r.height) +
                kMakeAgain);
  if (uint64_t(f.rate) * r.scale != uint64_t(r.rate) * f.scale || f.scale == 0)
    problem(name, 0,
            "runs at " + rateText(f.rate, f.scale) + " frames a second, " + referenceName + " at " +
                rateText(r.rate, r.scale) + kMakeAgain);
  if (!hasSound)
    problem(name, 0,
            std::string("has no sound track, and the game's clock runs on the sound") + kMakeAgain +
                " (silence will do)");
  else if (!sameSound(f.sound, r.sound))
    problem(name, 0,
            "sound is " + soundText(f.sound) + ", " + referenceName + " " + soundText(r.sound) +
                kMakeAgain);
}

// Frames a cache slot cannot hold, by their number.
static void checkFrameSizes(const std::string& name, MediaFile* file, int frames) {
  constexpr int32_t kLargest = 4 << 20;
  std::unique_ptr<uint8_t[]> buffer(new uint8_t[kLargest]);
  int over = 0, first = -1;
  int32_t firstSize = 0;
  for (int i = 0; i < frames; ++i) {
    int32_t size = 0;
    if (!file->readVideoFrame(i, buffer.get(), kLargest, &size) || size <= kSlotBytes) continue;
    if (over++ == 0) first = i, firstSize = size;
  }
  if (over > 0)
    problem(name, 0,
            std::to_string(over) + (over == 1 ? " frame" : " frames") + " over " +
                std::to_string(kSlotBytes) + " bytes, the first frame " + std::to_string(first) +
                " (" + std::to_string(firstSize) +
                " bytes): the player cannot show such a frame; make the clip again with less "
                "detail (a blur) or with Cinepak, as the authoring guide shows");
}

void readReferenceClip() {
  if (!isPresent(kDemoClip)) return;  // reported with the game's other clips
  std::string path = locateFile(kDemoClip, "", 0, "");
  std::unique_ptr<MediaFile> file(openAviFile(path.c_str()));
  AviFileFacts facts;
  ClipFormat format;
  bool hasSound = false;
  if (!file || !describeAviFile(file.get(), &facts) ||
      !readFormat(file.get(), facts, &format, &hasSound))
    return;  // checkClip reports it
  // demo.avi must itself be in the game's format; the others are compared with it.
  compareFormat(kDemoClip, format, hasSound);
  if (!hasSound) return;
  reference = format;
  referenceName = std::string(kDemoClip) + "'s";
}

ClipInfo checkClip(const std::string& name, const std::string& namedBy, int line,
                   const std::string& whenMissing, bool isScene) {
  ClipInfo info;
  std::string path = locateFile(name, namedBy, line, whenMissing);
  if (path.empty()) return info;
  std::unique_ptr<MediaFile> file(openAviFile(path.c_str()));
  AviFileFacts facts;
  if (!file || !describeAviFile(file.get(), &facts)) {
    problem(name, 0, std::string("not an AVI file the player can read") + kMakeAgain);
    return info;
  }
  ClipFormat format;
  bool hasSound = false;
  if (!readFormat(file.get(), facts, &format, &hasSound)) {
    problem(name, 0, std::string("has no picture (no video stream)") + kMakeAgain);
    return info;
  }
  if (name != kDemoClip) compareFormat(name, format, hasSound);

  info.frames = file->frameCount();
  if (std::strcmp(facts.indexKind, "rebuilt") == 0)
    problem(name, 0,
            "has no usable index (damaged or cut short?): the player finds " +
                std::to_string(info.frames) + " frames by a scan, its header counts " +
                std::to_string(facts.headerFrames) + kMakeAgain);
  if (info.frames < kCacheSlots)
    problem(name, 0,
            "only " + std::to_string(info.frames) + " frames: every clip needs at least " +
                std::to_string(kCacheSlots) + " (one second); make it longer");
  if (facts.largestFrame > kSlotBytes) checkFrameSizes(name, file.get(), info.frames);
  if (hasSound && sameSound(format.sound, reference.sound)) {
    int64_t soundFrames = facts.soundBytes / kSoundBytesPerFrame;
    if (std::llabs(soundFrames - info.frames) > 1)
      warning(name, 0,
              "its sound lasts " + std::to_string(soundFrames) + " frames, its picture " +
                  std::to_string(info.frames) +
                  ": the clip lasts as long as the longer of the two (short sound is carried on in "
                  "silence, a short picture stands still); make both equally long");
  }
  if (isScene && facts.keyFrames < info.frames)
    warning(name, 0,
            "only " + std::to_string(facts.keyFrames) + " of its " + std::to_string(info.frames) +
                " frames are key frames: a replay from a checkpoint that is none shows traces of "
                "the clip before; make it again with every frame a key frame, as the authoring "
                "guide shows");
  return info;
}
