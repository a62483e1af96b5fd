// Files that the ffmpeg program makes (Cinepak, Microsoft Video 1, uncompressed 8-bit, each with
// 8-bit stereo sound at 22050 Hz): our reader sees what ffprobe sees, and our drawer shows the
// pictures that ffmpeg decodes, pixel for pixel.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <sstream>

#include "avi_test_support.h"
#include "media/media.h"
#include "test_support.h"

namespace {

struct Encoding {
  const char* name;
  const char* videoOptions;
  int seconds;  // the Cinepak encoder is slow; its file is shorter
};

void PrintTo(const Encoding& encoding, std::ostream* out) {
  *out << encoding.name;
}

const Encoding kEncodings[] = {
    {"cinepak", "-c:v cinepak", 2},
    {"msvideo1", "-c:v msvideo1", 3},
    {"pal8", "-c:v rawvideo -pix_fmt pal8", 3},
};

class FfmpegFileTest : public ::testing::TestWithParam<Encoding> {
 protected:
  // The files are made once per build directory and kept: every test runs in a process of its
  // own, and the Cinepak encoder takes seconds. Each is made under a name of its own and then
  // renamed, so tests running side by side never see half a file.
  static void SetUpTestSuite() {
    if (!haveFfmpeg()) return;
    directory = std::string(QVK_BINARY_DIR) + "/test-media";
    makeDirectories(directory);
    for (const Encoding& encoding : kEncodings) {
      std::string path = directory + "/" + encoding.name + ".avi";
      if (access(path.c_str(), R_OK) == 0) continue;
      std::string partial = path + "." + std::to_string(getpid()) + ".avi";
      std::ostringstream command;
      command << "ffmpeg -v error -y -f lavfi -i testsrc=size=320x240:rate=12:duration="
              << encoding.seconds
              << " -f lavfi -i sine=frequency=440:sample_rate=22050:duration=" << encoding.seconds
              << " " << encoding.videoOptions << " -c:a pcm_u8 -ac 2 -ar 22050 '" << partial << "'";
      int status = 0;
      commandOutput(command.str(), &status);
      ASSERT_EQ(status, 0) << command.str();
      ASSERT_EQ(std::rename(partial.c_str(), path.c_str()), 0);
    }
  }

  void SetUp() override {
    if (directory.empty()) GTEST_SKIP() << "ffmpeg is not installed";
    path = directory + "/" + GetParam().name + ".avi";
    file.reset(openAviFile(path.c_str()));
    ASSERT_NE(file, nullptr);
  }

  std::string probe(const char* streams, const char* entries) {
    int status = 0;
    std::string out =
        commandOutput(std::string("ffprobe -v error -count_packets -select_streams ") + streams +
                          " -show_entries " + entries + " -of csv=p=0 '" + path + "'",
                      &status);
    EXPECT_EQ(status, 0);
    return out;
  }

  static std::string directory;
  std::string path;
  std::unique_ptr<MediaFile> file;
};

std::string FfmpegFileTest::directory;

TEST_P(FfmpegFileTest, ReaderSeesWhatFfprobeSees) {
  uint8_t format[4096];
  int32_t size = 0;
  ASSERT_TRUE(file->readVideoFormat(format, sizeof format, &size));
  std::ostringstream video;
  // Uncompressed pictures from ffmpeg are stored top-down, with a negative height.
  video << decoderNameForFormat(format, size) << "," << int32_t(readLe32(format + 4)) << ","
        << std::abs(int32_t(readLe32(format + 8))) << "," << file->frameCount() << "\n";
  EXPECT_EQ(video.str(), probe("v:0", "stream=codec_name,width,height,nb_read_packets"));
  EXPECT_EQ(file->frameCount(), GetParam().seconds * kFramesPerSecond);

  WaveFormat wave;
  ASSERT_TRUE(file->readAudioFormat(&wave));
  std::ostringstream audio;
  audio << (wave.formatTag == 1 && wave.bitsPerSample == 8 ? "pcm_u8" : "?") << ","
        << wave.samplesPerSec << "," << wave.channels << "," << wave.bitsPerSample << "\n";
  EXPECT_EQ(audio.str(), probe("a:0", "stream=codec_name,sample_rate,channels,bits_per_sample"));

  std::istringstream packets(probe("a:0", "packet=size"));
  int64_t soundBytes = 0;
  for (int64_t packet; packets >> packet;) soundBytes += packet;
  AviFileFacts facts;
  ASSERT_TRUE(describeAviFile(file.get(), &facts));
  EXPECT_EQ(facts.soundBytes, soundBytes);
  EXPECT_EQ(soundBytes, int64_t(GetParam().seconds) * kSoundBytesPerSecond);

  std::string sound(size_t(soundBytes), '\0');
  ASSERT_TRUE(file->readAudio(0, int32_t(soundBytes), reinterpret_cast<uint8_t*>(sound.data()),
                              int32_t(soundBytes), &size));
  EXPECT_EQ(size, soundBytes);
  EXPECT_EQ(sound, ffmpegSound(path));
}

TEST_P(FfmpegFileTest, DrawerShowsThePicturesFfmpegDecodes) {
  std::vector<std::vector<uint32_t>> expected = ffmpegPictures(path);
  std::vector<std::vector<uint32_t>> pictures = decodeAllFrames(file.get());
  ASSERT_EQ(pictures.size(), expected.size());
  for (size_t k = 0; k < pictures.size(); ++k) ASSERT_EQ(pictures[k], expected[k]) << "frame " << k;
}

INSTANTIATE_TEST_SUITE_P(AviFiles, FfmpegFileTest, ::testing::ValuesIn(kEncodings),
                         [](const ::testing::TestParamInfo<Encoding>& param) {
                           return std::string(param.param.name);
                         });

}  // namespace
