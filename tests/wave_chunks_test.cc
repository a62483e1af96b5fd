#include <cstring>
#include <string>

#include "media/media.h"
#include "test_support.h"

namespace {

using Image = std::vector<uint8_t>;

void put32(Image& out, uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8) out.push_back((value >> shift) & 0xFF);
}

void putChunk(Image& out, const char* id, uint32_t size, uint8_t fill = 0x55) {
  out.insert(out.end(), id, id + 4);
  put32(out, size);
  out.insert(out.end(), size + (size & 1), fill);
}

// A RIFF/WAVE image of the given chunks; riffSize -1 means the true size.
Image waveImage(void (*chunks)(Image&), int64_t riffSize = -1) {
  Image out = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E'};
  chunks(out);
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

TEST(WaveChunks, FindsFormatAndDataOfTheGameLayout) {
  Image image = waveImage([](Image& out) {
    putChunk(out, "fmt ", 18);
    putChunk(out, "fact", 4);
    putChunk(out, "data", 5186);
    putChunk(out, "LIST", 94);
  });
  Found found = walk(image);
  EXPECT_TRUE(found.ok);
  EXPECT_EQ(found.formatAt, 20);
  EXPECT_EQ(found.dataAt, 12 + 26 + 12 + 8);
  EXPECT_EQ(found.dataSize, 5186u);
}

TEST(WaveChunks, DataBeforeFormatIsFoundToo) {
  Found found = walk(waveImage([](Image& out) {
    putChunk(out, "data", 100);
    putChunk(out, "fmt ", 16);
  }));
  EXPECT_TRUE(found.ok);
  EXPECT_EQ(found.dataAt, 20);
  EXPECT_EQ(found.formatAt, 12 + 108 + 8);
}

TEST(WaveChunks, OddChunkIsFollowedByAPadByte) {
  Found found = walk(waveImage([](Image& out) {
    putChunk(out, "fmt ", 18);
    putChunk(out, "note", 7);  // 7 bytes and one pad byte
    putChunk(out, "data", 10);
  }));
  EXPECT_TRUE(found.ok);
  EXPECT_EQ(found.dataAt, 12 + 26 + 16 + 8);
}

TEST(WaveChunks, ShortFormatFailsAtOnce) {
  EXPECT_FALSE(walk(waveImage([](Image& out) {
                 putChunk(out, "data", 10);
                 putChunk(out, "fmt ", 12);
               })).ok);
  // 14 bytes is the least a format may have.
  EXPECT_TRUE(walk(waveImage([](Image& out) {
                putChunk(out, "fmt ", 14);
                putChunk(out, "data", 10);
              })).ok);
}

TEST(WaveChunks, RiffSizeThatEndsBeforeDataFails) {
  auto chunks = [](Image& out) {
    putChunk(out, "fmt ", 18);
    putChunk(out, "fact", 4);
    putChunk(out, "data", 10);
  };
  EXPECT_FALSE(walk(waveImage(chunks, 4 + 26 + 12)).ok);     // ends right after "fact"
  EXPECT_TRUE(walk(waveImage(chunks, 4 + 26 + 12 + 1)).ok);  // the header starts before the end
  EXPECT_FALSE(walk(waveImage(chunks, 4)).ok);               // no chunk at all
}

TEST(WaveChunks, LaterFormatAndDataChunksAreSkipped) {
  Found found = walk(waveImage([](Image& out) {
    putChunk(out, "data", 4);
    putChunk(out, "data", 8);
    putChunk(out, "fmt ", 16);
  }));
  EXPECT_TRUE(found.ok);
  EXPECT_EQ(found.dataSize, 4u);
}

TEST(WaveChunks, NotRiffWaveOrMissingDataFails) {
  Image image = waveImage([](Image& out) { putChunk(out, "fmt ", 18); });
  EXPECT_FALSE(walk(image).ok);  // no "data"
  image = waveImage([](Image& out) {
    putChunk(out, "fmt ", 18);
    putChunk(out, "data", 2);
  });
  Image notWave = image;
  notWave[8] = 'A';
  EXPECT_FALSE(walk(notWave).ok);
  Image notRiff = image;
  notRiff[0] = 'X';
  EXPECT_FALSE(walk(notRiff).ok);
}

TEST(WaveChunks, TruncatedImagesFailWithoutReadingPastTheirEnd) {
  Image whole = waveImage([](Image& out) {
    putChunk(out, "fmt ", 18);
    putChunk(out, "data", 100);
  });
  // Every cut of the image, copied so that a read past its end would be a fault the sanitizer
  // sees, fails: the RIFF size promises more than there is.
  for (size_t cut = 0; cut < whole.size(); ++cut) {
    Image part(whole.begin(), whole.begin() + cut);
    part.shrink_to_fit();
    EXPECT_FALSE(walk(part).ok) << "cut at " << cut;
  }
  EXPECT_TRUE(walk(whole).ok);
}

TEST(WaveChunks, ChunkSizesThatRunPastTheImageFail) {
  Image image = waveImage([](Image& out) {
    putChunk(out, "fmt ", 18);
    putChunk(out, "data", 10);
  });
  std::memset(image.data() + 42, 0xFF, 4);  // "data" claims 4 GB
  EXPECT_FALSE(walk(image).ok);
  image = waveImage([](Image& out) {
    putChunk(out, "junk", 0);
    putChunk(out, "fmt ", 18);
    putChunk(out, "data", 10);
  });
  std::memset(image.data() + 16, 0xFF, 4);  // a skipped chunk claims 4 GB: the walk leaves
  EXPECT_FALSE(walk(image).ok);
}

TEST(WaveChunks, FillsOnlyTheResultsAskedFor) {
  Image image = waveImage([](Image& out) {
    putChunk(out, "data", 6);
    putChunk(out, "fmt ", 12);  // short, but the format is not asked for
  });
  uint32_t size = 0;
  EXPECT_TRUE(findWaveChunks(image.data(), image.size(), nullptr, nullptr, &size));
  EXPECT_EQ(size, 6u);
  const uint8_t* format = reinterpret_cast<const uint8_t*>(1);
  EXPECT_FALSE(findWaveChunks(image.data(), image.size(), &format, nullptr, nullptr));
  EXPECT_EQ(format, nullptr);  // emptied before the walk
}
