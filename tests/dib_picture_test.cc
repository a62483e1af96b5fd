#include <algorithm>
#include <fstream>
#include <iterator>

#include "avi_test_support.h"
#include "platform/dib_picture.h"
#include "test_support.h"

namespace {

// A packed bitmap: header, a colour table of `colours` entries (entry i is grey i * 0x010101,
// entry 1 is red, so that the order of the colour bytes shows), and the given pixel bytes.
std::vector<uint8_t> packedBitmap(int width, int height, uint32_t compression, int colours,
                                  const std::vector<uint8_t>& pixels, int bits = 8) {
  std::string header = bitmapFormat(width, height, bits, compression, colours);
  header.replace(44, 3, "\0\0\xFF", 3);
  std::vector<uint8_t> out(header.begin(), header.end());
  out.insert(out.end(), pixels.begin(), pixels.end());
  return out;
}

constexpr uint32_t kRed = 0xff0000;
uint32_t grey(int index) {
  return uint32_t(index) * 0x010101u;
}

}  // namespace

TEST(DibPicture, Rle8RunsLiteralsJumpsAndRowsDecodeBottomUp) {
  // Stored bottom row first. Row 0 (bottom): run of 3 x colour 2, literal 1 2 3, then end of
  // row. Row 1 (top): jump right 2, run of 2 x red, end of picture.
  std::vector<uint8_t> data = {3, 2, 0, 3, 1, 2, 3, 0, 0, 0, 0, 2, 2, 0, 2, 1, 0, 1};
  auto bytes = packedBitmap(6, 2, kBitmapRle8, 16, data);
  DecodedPicture picture;
  ASSERT_TRUE(decodeDib(bytes.data(), bytes.size(), &picture));
  ASSERT_EQ(picture.width, 6);
  ASSERT_EQ(picture.height, 2);
  std::vector<uint32_t> expected = {grey(0), grey(0), kRed,    kRed, grey(0), grey(0),
                                    grey(2), grey(2), grey(2), kRed, grey(2), grey(3)};
  EXPECT_EQ(picture.pixels, expected);
}

TEST(DibPicture, UncompressedRowsArePaddedToFourBytes) {
  std::vector<uint8_t> data = {1, 2, 3, 0xEE, 3, 2, 1, 0xEE};  // rows of 3 pixels, padded
  auto bytes = packedBitmap(3, -2, kBitmapRgb, 4, data);       // top-down
  DecodedPicture picture;
  ASSERT_TRUE(decodeDib(bytes.data(), bytes.size(), &picture));
  EXPECT_EQ(picture.pixels,
            (std::vector<uint32_t>{kRed, grey(2), grey(3), grey(3), grey(2), kRed}));
}

TEST(DibPicture, DamagedCompressedDataIsCutOffNotOverrun) {
  // A run far past the row, a jump past the picture, a literal that claims more than is left.
  std::vector<uint8_t> data = {255, 1, 0, 2, 200, 0, 0, 0, 0, 9, 1};
  auto bytes = packedBitmap(4, 3, kBitmapRle8, 16, data);
  DecodedPicture picture;
  ASSERT_TRUE(decodeDib(bytes.data(), bytes.size(), &picture));
  EXPECT_EQ(picture.pixels.size(), 12u);
  EXPECT_EQ(picture.pixels[8], kRed);  // bottom row, from the run
  EXPECT_EQ(picture.pixels[0], grey(0));
}

TEST(DibPicture, RejectsWhatIsNotAWhole8BitPicture) {
  DecodedPicture picture;
  auto good = packedBitmap(2, 2, kBitmapRgb, 4, {0, 1, 0, 0, 1, 0, 0, 0});
  EXPECT_FALSE(decodeDib(good.data(), 39, &picture));              // header cut
  EXPECT_FALSE(decodeDib(good.data(), 40 + 4 * 4 - 1, &picture));  // colour table cut
  EXPECT_FALSE(decodeDib(nullptr, 0, &picture));
  auto fourBit = packedBitmap(2, 2, kBitmapRgb, 4, {0, 0, 0, 0}, 4);
  EXPECT_FALSE(decodeDib(fourBit.data(), fourBit.size(), &picture));
  auto rle4 = packedBitmap(2, 2, 2, 4, {0, 1});
  EXPECT_FALSE(decodeDib(rle4.data(), rle4.size(), &picture));
  auto huge = packedBitmap(100000, 2, kBitmapRle8, 4, {0, 1});
  EXPECT_FALSE(decodeDib(huge.data(), huge.size(), &picture));
  auto empty = packedBitmap(2, 0, kBitmapRle8, 4, {0, 1});
  EXPECT_FALSE(decodeDib(empty.data(), empty.size(), &picture));
  EXPECT_TRUE(picture.pixels.empty());
  EXPECT_TRUE(decodeDib(good.data(), good.size(), &picture));
}

TEST(DibPicture, BuiltTitlePictureIsA320By240Rle8PictureWithAFullColourTable) {
  std::ifstream in(QVK_BINARY_DIR "/resources/made/TITLE", std::ios::binary);
  ASSERT_TRUE(in) << "the build makes the title picture";
  std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), {});
  ASSERT_GT(bytes.size(), 40u + 1024u);
  EXPECT_EQ(bytes[0], 40);
  EXPECT_EQ(bytes[14], 8);  // bits per pixel
  EXPECT_EQ(bytes[16], kBitmapRle8);
  EXPECT_EQ(bytes[32] | bytes[33] | bytes[34] | bytes[35], 0);  // colours used: 0, all 256
  DecodedPicture picture;
  ASSERT_TRUE(decodeDib(bytes.data(), bytes.size(), &picture));
  EXPECT_EQ(picture.width, 320);
  EXPECT_EQ(picture.height, 240);
  // A picture, not a blank: many colours, and the compression pays.
  std::vector<uint32_t> colours(picture.pixels);
  std::sort(colours.begin(), colours.end());
  EXPECT_GT(std::unique(colours.begin(), colours.end()) - colours.begin(), 100);
  EXPECT_LT(bytes.size(), 320u * 240u / 2);
}
