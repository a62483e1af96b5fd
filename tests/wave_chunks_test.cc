#include <cstring>
#include <string>

#include "media/media.h"
#include "test_support.h"

namespace {

using Image = std::vector<uint8_t>;

struct Chunk {
  const char* id;
  uint32_t size;
};

// A RIFF/WAVE image of the given chunks (each filled, and padded to an even size); riffSize -1
// means the true size.
Image waveImage(const std::vector<Chunk>& chunks, int64_t riffSize = -1) {
  Image out = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E'};
  for (const Chunk& chunk : chunks) {
    out.insert(out.end(), chunk.id, chunk.id + 4);
    for (int shift = 0; shift < 32; shift += 8) out.push_back((chunk.size >> shift) & 0xFF);
    out.insert(out.end(), chunk.size + (chunk.size & 1), 0x55);
  }
  uint32_t size = riffSize < 0 ? static_cast<uint32_t>(out.size() - 8) : uint32_t(riffSize);
  std::memcpy(out.data() + 4, &size, 4);
  return out;
}

struct Found {
  bool ok;
  long formatAt;  // offset in the image, -1 for none
  long dataAt;
  uint32_t dataSize;
};

Found walk(const Image& image) {
  const uint8_t *format = nullptr, *data = nullptr;
  uint32_t size = 0;
  bool ok = findWaveChunks(image.data(), image.size(), &format, &data, &size);
  return {ok, format ? format - image.data() : -1, data ? data - image.data() : -1, size};
}

}  // namespace

TEST(WaveChunks, WalkFindsTheFirstFormatAndDataOrFails) {
  const std::vector<Chunk> formatFactData = {{"fmt ", 18}, {"fact", 4}, {"data", 10}};
  struct Case {
    const char* what;
    std::vector<Chunk> chunks;
    Found expected;  // where a walk fails, only ok is compared
    int64_t riffSize = -1;
    size_t patchAt = 0;  // 4 bytes written there when patch is set
    const char* patch = nullptr;
  } cases[] = {
      {"the game's layout",
       {{"fmt ", 18}, {"fact", 4}, {"data", 5186}, {"LIST", 94}},
       {true, 20, 12 + 26 + 12 + 8, 5186}},
      {"data before the format", {{"data", 100}, {"fmt ", 16}}, {true, 12 + 108 + 8, 20, 100}},
      {"an odd chunk and its pad byte",
       {{"fmt ", 18}, {"note", 7}, {"data", 10}},
       {true, 20, 12 + 26 + 16 + 8, 10}},
      {"later format and data chunks skipped",
       {{"data", 4}, {"data", 8}, {"fmt ", 16}},
       {true, 12 + 12 + 16 + 8, 20, 4}},
      {"a format of 14 bytes, the least it may have",
       {{"fmt ", 14}, {"data", 10}},
       {true, 20, 12 + 22 + 8, 10}},
      {"a short format fails at once", {{"data", 10}, {"fmt ", 12}}, {false}},
      {"no data", {{"fmt ", 18}}, {false}},
      {"RIFF size ending right after \"fact\"", formatFactData, {false}, 4 + 26 + 12},
      {"RIFF size ending just after a header starts",
       formatFactData,
       {true, 20, 12 + 26 + 12 + 8, 10},
       4 + 26 + 12 + 1},
      {"RIFF size without a chunk", formatFactData, {false}, 4},
      {"not WAVE", formatFactData, {false}, -1, 8, "AAVE"},
      {"not RIFF", formatFactData, {false}, -1, 0, "XIFF"},
      {"data claims 4 GB", {{"fmt ", 18}, {"data", 10}}, {false}, -1, 42, "\xFF\xFF\xFF\xFF"},
      {"a skipped chunk claims 4 GB: the walk leaves",
       {{"junk", 0}, {"fmt ", 18}, {"data", 10}},
       {false},
       -1,
       16,
       "\xFF\xFF\xFF\xFF"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Image image = waveImage(c.chunks, c.riffSize);
    if (c.patch) std::memcpy(image.data() + c.patchAt, c.patch, 4);
    Found found = walk(image);
    ASSERT_EQ(found.ok, c.expected.ok);
    if (!found.ok) continue;
    EXPECT_EQ(found.formatAt, c.expected.formatAt);
    EXPECT_EQ(found.dataAt, c.expected.dataAt);
    EXPECT_EQ(found.dataSize, c.expected.dataSize);
  }
}

TEST(WaveChunks, TruncatedImagesFailWithoutReadingPastTheirEnd) {
  Image whole = waveImage({{"fmt ", 18}, {"data", 100}});
  // Every cut of the image, copied so that a read past its end would be a fault the sanitizer
  // sees, fails: the RIFF size promises more than there is.
  for (size_t cut = 0; cut < whole.size(); ++cut) {
    Image part(whole.begin(), whole.begin() + cut);
    part.shrink_to_fit();
    EXPECT_FALSE(walk(part).ok) << "cut at " << cut;
  }
  EXPECT_TRUE(walk(whole).ok);
}

TEST(WaveChunks, FillsOnlyTheResultsAskedFor) {
  Image image = waveImage({{"data", 6}, {"fmt ", 12}});  // short, but the format is not asked for
  uint32_t size = 0;
  EXPECT_TRUE(findWaveChunks(image.data(), image.size(), nullptr, nullptr, &size));
  EXPECT_EQ(size, 6u);
  const uint8_t* format = reinterpret_cast<const uint8_t*>(1);
  EXPECT_FALSE(findWaveChunks(image.data(), image.size(), &format, nullptr, nullptr));
  EXPECT_EQ(format, nullptr);  // emptied before the walk
}
