// The AVI writer and its MS-RLE encoder: what goes in comes back out, through our reader and
// decoder and through FFmpeg.
#include <cstring>
#include <memory>
#include <random>

#include "avi_test_support.h"
#include "media/media.h"
#include "test_support.h"

namespace {

void setPalette(AviClip& clip) {
  for (uint32_t i = 0; i < 256; ++i)
    clip.palette[i] = ((i * 37) & 0xFF) << 16 | ((i * 91 + 7) & 0xFF) << 8 | ((i * 53 + 3) & 0xFF);
}

// Pictures as the sample game draws them: colour bands, a box that moves, a block of fine
// detail that changes now and then.
AviClip movingClip(int frames, bool rle) {
  AviClip clip;
  clip.compressRle = rle;
  setPalette(clip);
  for (int f = 0; f < frames; ++f) {
    std::vector<uint8_t> picture(size_t(kPictureWidth) * kPictureHeight);
    for (int y = 0; y < kPictureHeight; ++y)
      for (int x = 0; x < kPictureWidth; ++x) {
        uint8_t colour = uint8_t(10 + y / 16);
        if (x >= 20 + 9 * f && x < 60 + 9 * f && y >= 100 && y < 150) colour = 200;
        if (x >= 250 && x < 300 && y >= 10 && y < 40)
          colour = uint8_t((x * 7 + y * 3 + f / 3) % 40);
        picture[size_t(y) * kPictureWidth + size_t(x)] = colour;
      }
    clip.frames.push_back(std::move(picture));
  }
  for (int i = 0; i < frames * kSoundBytesPerFrame; ++i) clip.sound.push_back(uint8_t(i * 13 / 7));
  return clip;
}

struct StoredChunk {
  std::string id;
  uint32_t size;
};

// The chunks of the movie list, in file order.
std::vector<StoredChunk> movieChunks(const std::string& bytes) {
  std::vector<StoredChunk> chunks;
  const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
  size_t movi = bytes.find("movi");
  for (size_t pos = movi + 4; pos + 8 <= movi + readLe32(data + movi - 4);) {
    uint32_t size = readLe32(data + pos + 4);
    chunks.push_back({bytes.substr(pos, 4), size});
    pos += 8 + size + (size & 1);
  }
  return chunks;
}

class AviWriterTest : public HeadlessTest {
 protected:
  std::unique_ptr<MediaFile> writeAndOpen(const AviClip& clip, const char* name = "clip.avi") {
    EXPECT_TRUE(writeAviFile(current.file(name).c_str(), clip));
    return std::unique_ptr<MediaFile>(openAviFile(current.file(name).c_str()));
  }

  // The pictures are the clip's frames as the window shows them (0x00RRGGBB), one for each.
  static void expectPicturesOf(const AviClip& clip,
                               const std::vector<std::vector<uint32_t>>& pictures) {
    ASSERT_EQ(pictures.size(), clip.frames.size());
    for (size_t k = 0; k < pictures.size(); ++k) {
      std::vector<uint32_t> expected(clip.frames[k].size());
      for (size_t i = 0; i < expected.size(); ++i)
        expected[i] = clip.palette[clip.frames[k][i]] & 0xFFFFFFu;
      ASSERT_EQ(pictures[k], expected) << "frame " << k;
    }
  }
};

TEST_F(AviWriterTest, RleClipReadsBackPictureForPictureAndSoundByteForByte) {
  AviClip clip = movingClip(30, true);
  auto file = writeAndOpen(clip);
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(file->frameCount(), 30);
  EXPECT_EQ(readSound(file.get(), 0, 1 << 20), std::string(clip.sound.begin(), clip.sound.end()));
  expectPicturesOf(clip, decodeAllFrames(file.get()));

  WaveFormat wave;
  ASSERT_TRUE(file->readAudioFormat(&wave));
  EXPECT_EQ(formatText(wave), "1 2 22050 44100 2 8");
  uint8_t format[2048];
  int32_t size = 0;
  ASSERT_TRUE(file->readVideoFormat(format, sizeof format, &size));
  EXPECT_EQ(size, 40 + 1024);
  EXPECT_EQ(std::memcmp(format + 16, "\1\0\0\0", 4), 0);  // BI_RLE8
  EXPECT_STREQ(decoderNameForFormat(format, size), "msrle");
  // Simple pictures fit the frame cache's slots.
  AviFileFacts facts;
  ASSERT_TRUE(describeAviFile(file.get(), &facts));
  EXPECT_LE(facts.largestFrame, kSlotBytes);
}

TEST_F(AviWriterTest, EachFrameIsFollowedByItsSoundInWholeSamples) {
  AviClip clip = movingClip(6, true);
  ASSERT_TRUE(writeAviFile(current.file("clip.avi").c_str(), clip));
  std::vector<StoredChunk> chunks = movieChunks(current.read("clip.avi"));
  ASSERT_EQ(chunks.size(), 12u);
  for (size_t k = 0; k < 6; ++k) {
    EXPECT_EQ(chunks[2 * k].id, "00dc");
    EXPECT_EQ(chunks[2 * k + 1].id, "01wb");
    // 3675 bytes a frame on average, never half a sample in a chunk.
    EXPECT_EQ(chunks[2 * k + 1].size, k % 2 ? 3676u : 3674u);
  }
}

TEST_F(AviWriterTest, DeltaFramesWhereTheyPayKeyFramesWhereAsked) {
  AviClip clip = movingClip(12, true);
  auto file = writeAndOpen(clip);
  AviFileFacts facts;
  ASSERT_TRUE(describeAviFile(file.get(), &facts));
  EXPECT_EQ(facts.keyFrames, 1);
  EXPECT_STREQ(facts.indexKind, "idx1");
  std::vector<uint8_t> buffer(kSlotBytes);
  int32_t keySize = 0, deltaSize = 0;
  ASSERT_TRUE(file->readVideoFrame(0, buffer.data(), kSlotBytes, &keySize));
  ASSERT_TRUE(file->readVideoFrame(1, buffer.data(), kSlotBytes, &deltaSize));
  EXPECT_LT(deltaSize * 4, keySize);

  clip.keyFrameInterval = 5;
  clip.paletteEntries = 246;  // a short colour table is written as it is
  file = writeAndOpen(clip, "keyed.avi");
  ASSERT_TRUE(describeAviFile(file.get(), &facts));
  EXPECT_EQ(facts.keyFrames, 3);  // frames 0, 5 and 10
  uint8_t format[kVideoFormatSize];
  int32_t size = 0;
  ASSERT_TRUE(file->readVideoFormat(format, sizeof format, &size));
  EXPECT_EQ(size, 40 + 246 * 4);
  expectPicturesOf(clip, decodeAllFrames(file.get()));

  // A picture that changes everywhere is stored whole.
  for (size_t k = 1; k < clip.frames.size(); k += 2)
    for (uint8_t& pixel : clip.frames[k]) pixel = uint8_t(pixel ^ 0x80);
  clip.keyFrameInterval = 0;
  file = writeAndOpen(clip, "flicker.avi");
  ASSERT_TRUE(describeAviFile(file.get(), &facts));
  EXPECT_EQ(facts.keyFrames, 12);
  expectPicturesOf(clip, decodeAllFrames(file.get()));
}

// Random changes of every shape: single pixels, short and long stretches, whole rows, the
// first and last pixels of rows and of the picture, and pictures that do not change at all.
TEST_F(AviWriterTest, DeltaFramesRebuildEveryPicture) {
  std::mt19937 random(12345);
  AviClip clip;
  setPalette(clip);
  std::vector<uint8_t> picture(size_t(kPictureWidth) * kPictureHeight);
  for (size_t i = 0; i < picture.size(); ++i) picture[i] = uint8_t((i / 97) % 7);
  for (int f = 0; f < 40; ++f) {
    int changes = f % 9 == 4 ? 0 : int(random() % 60);
    for (int c = 0; c < changes; ++c) {
      int y = int(random() % kPictureHeight), x = int(random() % kPictureWidth);
      int length = std::min(kPictureWidth - x, int(random() % (c % 3 ? 4 : 300)) + 1);
      if (c % 7 == 0) x = kPictureWidth - length;  // up to the end of the row
      bool noise = c % 2;
      uint8_t colour = uint8_t(random());
      for (int i = 0; i < length; ++i)
        picture[size_t(y) * kPictureWidth + size_t(x + i)] = noise ? uint8_t(random()) : colour;
    }
    if (f == 10) picture.front() = uint8_t(picture.front() + 1);
    if (f == 11) picture.back() = uint8_t(picture.back() + 1);
    clip.frames.push_back(picture);
  }
  auto file = writeAndOpen(clip);
  AviFileFacts facts;
  ASSERT_TRUE(describeAviFile(file.get(), &facts));
  EXPECT_LT(facts.keyFrames, 5);
  expectPicturesOf(clip, decodeAllFrames(file.get()));
}

TEST_F(AviWriterTest, OddSoundIsPaddedWithSilenceAndSilentClipsHaveNoSoundStream) {
  AviClip clip = movingClip(2, true);
  clip.sound.resize(101);
  auto file = writeAndOpen(clip);
  std::string expected(clip.sound.begin(), clip.sound.end());
  EXPECT_EQ(readSound(file.get(), 0, 1 << 20), expected + '\x80');

  clip.sound.clear();
  file = writeAndOpen(clip, "silent.avi");
  ASSERT_NE(file, nullptr);
  EXPECT_FALSE(file->hasAudio());
  EXPECT_EQ(readSound(file.get(), 0, 1 << 20), "<failed>");
  EXPECT_EQ(file->frameCount(), 2);
}

TEST_F(AviWriterTest, RefusesClipsItCannotWrite) {
  AviClip clip = movingClip(2, true);
  AviClip noFrames = clip;
  noFrames.frames.clear();
  AviClip wrongSize = clip;
  wrongSize.frames[1].pop_back();
  AviClip noRate = clip;
  noRate.framesPerSecond = 0;
  for (const AviClip* bad : {&noFrames, &wrongSize, &noRate}) {
    EXPECT_FALSE(writeAviFile(current.file("bad.avi").c_str(), *bad));
    EXPECT_FALSE(current.exists("bad.avi"));
  }
  EXPECT_FALSE(writeAviFile(current.file("missing/dir.avi").c_str(), clip));
}

TEST_F(AviWriterTest, FfmpegPlaysOurFilesAsWeDo) {
  if (!haveFfmpeg()) GTEST_SKIP() << "ffmpeg is not installed";
  for (bool rle : {true, false}) {
    SCOPED_TRACE(rle ? "MS-RLE" : "uncompressed");
    AviClip clip = movingClip(14, rle);
    clip.keyFrameInterval = rle ? 0 : 1;
    std::string path = current.file(rle ? "rle.avi" : "raw.avi");
    ASSERT_TRUE(writeAviFile(path.c_str(), clip));
    int status = 0;
    std::string probe = commandOutput(
        "ffprobe -v error -count_packets -show_entries "
        "stream=codec_name,width,height,pix_fmt,sample_rate,channels,nb_read_packets "
        "-of compact=p=0:nk=1 '" +
            path + "'",
        &status);
    EXPECT_EQ(status, 0);
    // FFmpeg cuts sound chunks into packets of its own, so only the video packets count here.
    EXPECT_EQ(probe.substr(0, probe.rfind('|')),
              std::string(rle ? "msrle" : "rawvideo") + "|320|240|pal8|14\npcm_u8|22050|2");
    expectPicturesOf(clip, ffmpegPictures(path));
    EXPECT_EQ(ffmpegSound(path), std::string(clip.sound.begin(), clip.sound.end()));
  }
}

}  // namespace
