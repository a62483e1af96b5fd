// The decoding frame drawer: the decoder follows the compression code, the picture carries
// over from frame to frame, and nothing but whole pictures reaches the window.
#include <memory>

#include "avi_test_support.h"
#include "media/media.h"
#include "test_support.h"

namespace {

constexpr size_t kPixels = size_t(kPictureWidth) * kPictureHeight;
constexpr char kUncompressed[] = "\0\0\0";  // BI_RGB, the terminator its fourth byte
constexpr char kRle8[] = "\1\0\0";          // BI_RLE8

std::string formatWithCode(const char* code, int colours = 256) {
  std::string format = bitmapFormat(kPictureWidth, kPictureHeight, 8, 0, colours);
  format.replace(16, 4, code, 4);
  return format;
}

// Pictures of one colour, and with a box on them, and their MS-RLE key frames.
std::vector<uint8_t> plainPicture(uint8_t colour) {
  return std::vector<uint8_t>(kPixels, colour);
}

std::vector<uint8_t> encode(const std::vector<uint8_t>& picture) {
  std::vector<uint8_t> out;
  encodeMsrleFrame(picture.data(), nullptr, kPictureWidth, kPictureHeight, out);
  return out;
}

std::vector<uint8_t> withBox(std::vector<uint8_t> picture, uint8_t colour) {
  for (int y = 50; y < 90; ++y)
    for (int x = 100; x < 180; ++x) picture[size_t(y) * kPictureWidth + size_t(x)] = colour;
  return picture;
}

// The grey colour table of bitmapFormat: index i is 0x00iiiiii.
std::vector<uint32_t> grey(const std::vector<uint8_t>& picture) {
  std::vector<uint32_t> out(picture.size());
  for (size_t i = 0; i < picture.size(); ++i) out[i] = picture[i] * 0x010101u;
  return out;
}

class FrameDrawerTest : public HeadlessTest {
 protected:
  void SetUp() override {
    HeadlessTest::SetUp();
    drawer.reset(makeDecodingFrameDrawer());
  }

  void draw(const std::string& format, const std::vector<uint8_t>& frame) {
    drawer->drawFrame(reinterpret_cast<const uint8_t*>(format.data()), int32_t(format.size()),
                      frame.data(), int32_t(frame.size()));
  }

  std::unique_ptr<FrameDrawer> drawer;
};

TEST_F(FrameDrawerTest, DecoderFollowsTheCompressionCode) {
  struct Case {
    const char* code;
    const char* decoder;
  } cases[] = {
      {"\0\0\0\0", "rawvideo"}, {"\1\0\0\0", "msrle"}, {"CVID", "cinepak"},  {"cvid", "cinepak"},
      {"MSVC", "msvideo1"},     {"CRAM", "msvideo1"},  {"cram", "msvideo1"}, {"IV31", "indeo3"},
      {"IV32", "indeo3"},       {"IV41", "indeo4"},    {"IV50", "indeo5"},   {"MJPG", "mjpeg"},
      {"XVID", "mpeg4"},        {"QQQQ", "(none)"},
  };
  for (const Case& c : cases) {
    std::string format = formatWithCode(c.code);
    const char* name = decoderNameForFormat(reinterpret_cast<const uint8_t*>(format.data()),
                                            int32_t(format.size()));
    EXPECT_STREQ(name ? name : "(none)", c.decoder) << c.code;
  }
  std::string cut = formatWithCode("\1\0\0\0");
  EXPECT_EQ(decoderNameForFormat(reinterpret_cast<const uint8_t*>(cut.data()), 39), nullptr);
}

TEST_F(FrameDrawerTest, ZeroFilledOrDamagedFrameLeavesThePicture) {
  std::string format = formatWithCode(kRle8);
  std::vector<uint8_t> picture = withBox(plainPicture(30), 90);
  draw(format, encode(picture));
  ASSERT_EQ(window.pictures, 1);
  std::vector<std::vector<uint8_t>> bad = {
      std::vector<uint8_t>(kSlotBytes, 0),              // a failed read
      {0, 2, 255, 255, 0, 1},                           // a move far outside the picture
      {0, 80, 1, 2},                                    // pixels that are not there
      std::vector<uint8_t>(2 * kPictureHeight + 2, 0),  // more rows than the picture has
  };
  for (const std::vector<uint8_t>& frame : bad) draw(format, frame);
  EXPECT_EQ(window.pictures, 1);
  EXPECT_EQ(window.lastPicture, grey(picture));
}

TEST_F(FrameDrawerTest, NewColourTableReachesTheOpenDecoder) {
  std::vector<uint8_t> picture = withBox(plainPicture(30), 90);
  draw(formatWithCode(kRle8), encode(picture));
  // Same format, other colours, and a frame that changes no pixel: the picture is kept and
  // shown in the new colours.
  std::string inverted = formatWithCode(kRle8);
  for (int i = 0; i < 256; ++i)
    for (int c = 0; c < 3; ++c) inverted[40 + 4 * size_t(i) + size_t(c)] = char(255 - i);
  draw(inverted, {0, 1});
  ASSERT_EQ(window.pictures, 2);
  EXPECT_EQ(window.lastPicture[0], 0xFFFFFFu - 30 * 0x010101u);
  EXPECT_EQ(window.lastPicture[60 * kPictureWidth + 120], 0xFFFFFFu - 90 * 0x010101u);
}

TEST_F(FrameDrawerTest, ColoursCutFromTheTableAreBlack) {
  std::string format = formatWithCode(kRle8).substr(0, 1024);  // 246 colours
  std::vector<uint8_t> picture = withBox(plainPicture(245), 250);
  draw(format, encode(picture));
  EXPECT_EQ(window.lastPicture[0], 245 * 0x010101u);
  EXPECT_EQ(window.lastPicture[60 * kPictureWidth + 120], 0u);
}

TEST_F(FrameDrawerTest, FormatChangeOpensAnotherDecoder) {
  draw(formatWithCode(kRle8), encode(plainPicture(30)));
  // A smaller picture is stretched to the window's 320x240.
  std::string small = bitmapFormat(160, 120, 8, 1, 256);
  std::vector<uint8_t> frame;
  std::vector<uint8_t> smallPicture(160 * 120, 77);
  encodeMsrleFrame(smallPicture.data(), nullptr, 160, 120, frame);
  draw(small, frame);
  ASSERT_EQ(window.pictures, 2);
  EXPECT_EQ(window.lastPicture, std::vector<uint32_t>(kPixels, 77 * 0x010101u));
  // An uncompressed picture of zeros is a picture.
  draw(formatWithCode(kUncompressed), std::vector<uint8_t>(kPixels, 0));
  EXPECT_EQ(window.pictures, 3);
  EXPECT_EQ(window.lastPicture, std::vector<uint32_t>(kPixels, 0));
}

TEST_F(FrameDrawerTest, UnusableFormatsDrawNothing) {
  std::vector<uint8_t> frame = encode(plainPicture(30));
  draw(formatWithCode("QQQQ"), frame);
  draw(formatWithCode(kRle8).substr(0, 39), frame);
  std::string noWidth = formatWithCode(kRle8);
  noWidth.replace(4, 4, std::string(4, '\0'));
  draw(noWidth, frame);
  draw(formatWithCode(kRle8), {});
  drawer->drawFrame(nullptr, 0, frame.data(), int32_t(frame.size()));
  EXPECT_EQ(window.pictures, 0);
  // A usable format afterwards draws again.
  draw(formatWithCode(kRle8), frame);
  EXPECT_EQ(window.pictures, 1);
}

TEST_F(FrameDrawerTest, SharedDrawerDrawsOnThePlatformWindow) {
  FrameDrawer* shared = decodingFrameDrawer();
  EXPECT_EQ(shared, decodingFrameDrawer());
  std::string format = formatWithCode(kRle8);
  std::vector<uint8_t> frame = encode(plainPicture(12));
  shared->drawFrame(reinterpret_cast<const uint8_t*>(format.data()), int32_t(format.size()),
                    frame.data(), int32_t(frame.size()));
  EXPECT_EQ(window.pictures, 1);
  platform.window = nullptr;  // no window: decodes, shows nothing, does not fail
  shared->drawFrame(reinterpret_cast<const uint8_t*>(format.data()), int32_t(format.size()),
                    frame.data(), int32_t(frame.size()));
  EXPECT_EQ(window.pictures, 1);
}

}  // namespace
