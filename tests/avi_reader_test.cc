// The AVI reader against hand-made files: every index kind, record lists, odd chunks, cut-short,
// damaged and hostile files.
#include <fcntl.h>
#include <unistd.h>

#include <filesystem>
#include <memory>

#include "avi_test_support.h"
#include "media/avi_riff.h"
#include "media/media.h"
#include "test_support.h"

namespace {

// Seven frames of odd and even sizes, one of them empty (a dropped frame), and sound chunks of
// odd sizes, so that samples straddle chunk boundaries, with an empty one among them.
HandAvi sampleAvi(HandIndex index) {
  HandAvi layout;
  layout.index = index;
  for (int k = 0; k < 7; ++k) layout.frames.push_back(patternBytes(k == 3 ? 0 : 101 + 40 * k, k));
  for (size_t size : {3675, 3675, 11, 1, 0, 3675, 1200, 33})
    layout.sound.push_back(patternBytes(size, int(size)));
  return layout;
}

// A few small chunks, for the tests that damage a file at every byte.
HandAvi compactAvi(HandIndex index) {
  HandAvi layout;
  layout.index = index;
  for (size_t size : {5, 0, 8, 3}) layout.frames.push_back(patternBytes(size, int(size)));
  for (size_t size : {7, 1, 0, 10}) layout.sound.push_back(patternBytes(size, int(size) + 1));
  return layout;
}

std::string soundTrack(const HandAvi& layout) {
  std::string track;
  for (const std::string& chunk : layout.sound) track += chunk;
  return track;
}

class AviReaderTest : public HeadlessTest {
 protected:
  std::unique_ptr<MediaFile> open(const std::string& bytes, const char* name = "clip.avi") {
    // A new file each time: rewriting one in place makes some file systems flush it to disk.
    std::remove(current.file(name).c_str());
    current.write(name, bytes);
    return std::unique_ptr<MediaFile>(openAviFile(current.file(name).c_str()));
  }

  // Every frame and the whole sound track read back as the layout stored them.
  void expectContents(MediaFile* file, const HandAvi& layout) {
    ASSERT_NE(file, nullptr);
    ASSERT_EQ(file->frameCount(), int32_t(layout.frames.size()));
    for (size_t k = 0; k < layout.frames.size(); ++k)
      EXPECT_EQ(readFrame(file, int32_t(k)), layout.frames[k]) << "frame " << k;
    std::string track = soundTrack(layout);
    EXPECT_EQ(readSound(file, 0, 1 << 20), track.substr(0, track.size() & ~size_t(1)));
  }
};

// Whatever the index, with frames in record lists, a palette change (no frame of its own) among
// them, or frames in an OpenDML extension form, the same frames and sound are read; the key flags
// come from the index.
TEST_F(AviReaderTest, EveryIndexKindReadsTheSameFramesAndSound) {
  struct Case {
    HandIndex index;
    const char* kind;
    bool recordLists = false;
    bool paletteChange = false;
    bool extensionForm = false;  // frames 3 on in an AVIX form
  } cases[] = {
      {HandIndex::idx1, "idx1"},
      {HandIndex::idx1Absolute, "idx1"},
      {HandIndex::openDml, "OpenDML"},
      {HandIndex::none, "rebuilt"},
      {HandIndex::idx1, "idx1", true},
      {HandIndex::openDml, "OpenDML", true},
      {HandIndex::none, "rebuilt", true},
      {HandIndex::idx1, "idx1", false, true},
      {HandIndex::none, "rebuilt", false, true},
      {HandIndex::openDml, "OpenDML", false, false, true},
      {HandIndex::none, "rebuilt", false, false, true},  // the walk goes through AVIX too
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.kind) + (c.recordLists ? " with rec lists" : "") +
                 (c.paletteChange ? " with a palette change" : "") +
                 (c.extensionForm ? " with an AVIX form" : ""));
    HandAvi layout = sampleAvi(c.index);
    layout.recordLists = c.recordLists;
    layout.paletteChange = c.paletteChange;
    if (c.extensionForm) {
      layout.framesInFirstForm = 3;
      layout.headerFrames = 3;  // large files count only the first form in the main header
    }
    auto file = open(buildHandAvi(layout));
    expectContents(file.get(), layout);
    AviFileFacts facts;
    ASSERT_TRUE(describeAviFile(file.get(), &facts));
    EXPECT_EQ(std::string(facts.indexKind), c.kind);
    EXPECT_EQ(facts.largestFrame, 101 + 40 * 6);
    EXPECT_EQ(facts.soundBytes, int64_t(soundTrack(layout).size()));
    if (c.index != HandIndex::none) {
      EXPECT_EQ(facts.keyFrames, 1);  // only frame 0
    }
  }
}

// Sound reads are sample-exact from any position; reads outside the streams, and frames that do
// not fit the buffer, fail.
TEST_F(AviReaderTest, ReadsAreExactAndFailOutsideTheStreams) {
  HandAvi layout = sampleAvi(HandIndex::idx1);
  auto file = open(buildHandAvi(layout));
  std::string track = soundTrack(layout);
  int32_t samples = int32_t(track.size() / 2);
  for (int32_t first : {0, 1, 1837, 1838, 3674, 3675, 3680, 5000, samples - 1})
    for (int32_t count : {1, 2, 7, 1838, 3675, 22050}) {
      int32_t expected = std::min(count, samples - first);
      EXPECT_EQ(readSound(file.get(), first, count), track.substr(size_t(first) * 2, expected * 2))
          << "from " << first << ", " << count << " samples";
    }
  // A buffer smaller than the request takes the whole samples that fit.
  EXPECT_EQ(readSound(file.get(), 3, 100, 9), track.substr(6, 8));
  EXPECT_EQ(readSound(file.get(), samples, 1), "<failed>");
  EXPECT_EQ(readSound(file.get(), samples + 100, 1), "<failed>");
  EXPECT_EQ(readSound(file.get(), -1, 10), "<failed>");
  EXPECT_EQ(readSound(file.get(), 0, 0), "<failed>");
  EXPECT_EQ(readSound(file.get(), 0, 10, 1), "<failed>");

  EXPECT_EQ(readFrame(file.get(), 7), "<failed>");
  EXPECT_EQ(readFrame(file.get(), -1), "<failed>");
  EXPECT_EQ(readFrame(file.get(), 3), "");  // a dropped frame: nothing stored, but it is frame 3
  uint8_t small[141];
  int32_t size = 0;
  EXPECT_FALSE(file->readVideoFrame(1, small, 140, &size));
  EXPECT_TRUE(file->readVideoFrame(1, small, 141, &size));
  EXPECT_EQ(size, 141);
}

// Behind each stream header lies an odd-sized chunk and its pad byte, before the format.
TEST_F(AviReaderTest, FormatsAreReadAsStored) {
  HandAvi layout = sampleAvi(HandIndex::idx1);
  layout.videoFormat = bitmapFormat(320, 240, 8, 1, 256);  // 1064 bytes
  layout.soundBlock = 4;
  layout.junkBeforeFormat = true;
  auto file = open(buildHandAvi(layout));
  ASSERT_TRUE(file->hasVideo() && file->hasAudio());
  uint8_t format[kVideoFormatSize];
  int32_t size = 0;
  ASSERT_TRUE(file->readVideoFormat(format, kVideoFormatSize, &size));
  EXPECT_EQ(size, kVideoFormatSize);  // the header and all 256 colours
  EXPECT_EQ(std::string(reinterpret_cast<char*>(format), size_t(size)),
            layout.videoFormat.substr(0, kVideoFormatSize));
  WaveFormat wave;
  ASSERT_TRUE(file->readAudioFormat(&wave));
  EXPECT_EQ(formatText(wave), "1 2 22050 88200 4 8");
  // Four bytes a sample now: one sample from byte 4 on.
  EXPECT_EQ(readSound(file.get(), 1, 1), soundTrack(layout).substr(4, 4));
}

TEST_F(AviReaderTest, FileWithoutStreamsOpensWithNothingToRead) {
  HandAvi layout = sampleAvi(HandIndex::idx1);
  layout.video = layout.audio = false;
  auto file = open(buildHandAvi(layout));
  ASSERT_NE(file, nullptr);
  EXPECT_FALSE(file->hasVideo());
  EXPECT_FALSE(file->hasAudio());
  EXPECT_EQ(file->frameCount(), 0);
  uint8_t buffer[2048];
  int32_t size = 0;
  WaveFormat wave;
  EXPECT_FALSE(file->readVideoFormat(buffer, sizeof buffer, &size));
  EXPECT_FALSE(file->readAudioFormat(&wave));
  EXPECT_FALSE(file->readVideoFrame(0, buffer, sizeof buffer, &size));
  EXPECT_FALSE(file->readAudio(0, 1, buffer, sizeof buffer, &size));
}

TEST_F(AviReaderTest, UnfinishedSizesRunToTheEndOfTheFile) {
  // A writer that could not seek back leaves the RIFF and movie list sizes at 0.
  HandAvi layout = sampleAvi(HandIndex::none);
  std::string bytes = buildHandAvi(layout);
  bytes.replace(4, 4, std::string(4, '\0'));
  bytes.replace(bytes.find("movi") - 4, 4, std::string(4, '\0'));
  auto file = open(bytes);
  expectContents(file.get(), layout);
}

TEST_F(AviReaderTest, IndexEntryOutsideTheFileEndsTheStreamThere) {
  HandAvi layout = sampleAvi(HandIndex::idx1);
  std::string bytes = buildHandAvi(layout);
  // The idx1 entries close the file: 16 bytes each, frame and sound in turn.
  size_t firstEntry = bytes.size() - 16 * (layout.frames.size() + layout.sound.size());
  size_t frame4Offset = firstEntry + 16 * 8 + 8;  // frames 0-3 and their sound come first
  for (int i = 0; i < 4; ++i) bytes[frame4Offset + size_t(i)] = char(0x7F);
  auto file = open(bytes);
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(file->frameCount(), 4);
  EXPECT_EQ(readFrame(file.get(), 3), layout.frames[3]);
}

// A file cut short after it was opened (a copy still being made, a failing disk): a read that
// reaches past the cut fails, rather than fill the rest of the buffer with the bytes it got.
TEST_F(AviReaderTest, ReadsPastACutMadeAfterOpeningFail) {
  HandAvi layout = sampleAvi(HandIndex::idx1);
  std::string bytes = buildHandAvi(layout);
  auto file = open(bytes);
  size_t frame6 = bytes.find(layout.frames[6]);
  ASSERT_NE(frame6, std::string::npos);
  ASSERT_EQ(truncate(current.file("clip.avi").c_str(), off_t(frame6 + 100)), 0);
  EXPECT_EQ(readFrame(file.get(), 5), layout.frames[5]);
  EXPECT_EQ(readFrame(file.get(), 6), "<failed>");
}

// The reads a file may cost are counted: the last one the budget allows is made, the next is
// refused.
TEST_F(AviReaderTest, ReadsStopAtTheirBudget) {
  current.write("bytes", patternBytes(100, 1));
  AviLayout layout;
  layout.fd = ::open(current.file("bytes").c_str(), O_RDONLY);
  ASSERT_GE(layout.fd, 0);
  layout.fileSize = 100;
  layout.mostReads = 2;
  char buffer[10];
  EXPECT_TRUE(readAt(layout, 0, buffer, 10));
  EXPECT_TRUE(readAt(layout, 50, buffer, 10));
  EXPECT_FALSE(readAt(layout, 90, buffer, 10));
  EXPECT_EQ(layout.reads, 2u);
  EXPECT_EQ(layout.bytesRead, 20u);
  close(layout.fd);
}

TEST_F(AviReaderTest, NotAnAviFileFailsToOpen) {
  for (std::string bytes : {std::string(), std::string("RIFF"), std::string("RIFF\4\0\0\0WAVE"),
                            std::string("RIFF\4\0\0\0AVI "), patternBytes(5000, 3)})
    EXPECT_EQ(open(bytes), nullptr);
  EXPECT_EQ(openAviFile(current.file("missing.avi").c_str()), nullptr);
  EXPECT_EQ(openAviFile(current.path().c_str()), nullptr);  // a directory
}

// Cut short at any byte, a file keeps the chunks that are whole; damaged at any byte, it reads
// what it can without ever filling more than the buffer.
TEST_F(AviReaderTest, CutShortOrDamagedFilesFailCleanly) {
  for (HandIndex index : {HandIndex::idx1, HandIndex::openDml, HandIndex::none}) {
    HandAvi layout = compactAvi(index);
    std::string whole = buildHandAvi(layout), track = soundTrack(layout);
    int opened = 0;
    for (size_t cut = 0; cut < whole.size(); ++cut) {
      auto file = open(whole.substr(0, cut));
      if (!file) continue;  // cut inside the headers
      ++opened;
      int32_t frames = file->frameCount();
      ASSERT_LE(frames, 4);
      for (int32_t k = 0; k < frames; ++k) ASSERT_EQ(readFrame(file.get(), k), layout.frames[k]);
      std::string got = readSound(file.get(), 0, 1 << 20);
      if (got != "<failed>") {
        ASSERT_EQ(got, track.substr(0, got.size()));
      }
    }
    EXPECT_GT(opened, 0);
    layout.recordLists = index == HandIndex::idx1;
    whole = buildHandAvi(layout);
    std::vector<uint8_t> buffer(100000);
    int32_t size;
    for (size_t at = 0; at < whole.size(); ++at)
      for (char damage : {'\0', '\xFF', '\x7F'}) {
        std::string bytes = whole;
        bytes[at] = damage;
        auto file = open(bytes);
        if (!file) continue;
        for (int32_t k = 0; k < file->frameCount(); ++k)
          file->readVideoFrame(k, buffer.data(), int32_t(buffer.size()), &size);
        for (int32_t s = 0; file->readAudio(s, 3, buffer.data(), 6, &size); s += 3) {
          ASSERT_GT(size, 0);
          ASSERT_LE(size, 6);
        }
      }
  }
}

// Opening costs about one read of the file: a few reads per window of it, and a few times its
// bytes, whatever its indexes say.
::testing::AssertionResult costsAboutOneRead(MediaFile* file, uint64_t fileSize) {
  AviFileFacts facts;
  if (!file || !describeAviFile(file, &facts)) return ::testing::AssertionFailure() << "no file";
  if (facts.openReads <= 64 + fileSize / 4096 && facts.openBytesRead <= 4 * fileSize)
    return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << facts.openReads << " reads and " << facts.openBytesRead
                                       << " bytes to open " << fileSize << " bytes";
}

// Super indexes that name two standard indexes in turn, 200000 times: the 4.3 MB file of the
// report (a 1 MiB index without entries, here 256 KiB after a small one), and over 100 MB (52 MiB
// of empty chunks for the walk between them); and 64 times around small ones, a seed of the
// reader's fuzz target. The indexes name no frame, so the frames are found by a walk over the
// movie list.
TEST_F(AviReaderTest, HostileSuperIndexesOpenInAboutOneRead) {
  std::vector<std::string> frames = {patternBytes(300, 1), patternBytes(301, 2)};
  struct Case {
    uint32_t entries;
    uint64_t zeroBytes;
    uint32_t indexBytes;
  } cases[] = {{200000, 256 << 10, 1 << 20}, {200000, 52u << 20, 46u << 20}, {64, 64, 256}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.zeroBytes);
    std::string path = current.file("hostile.avi");
    ASSERT_TRUE(writeHostileOpenDmlAvi(path, frames, c.entries, c.zeroBytes, c.indexBytes));
    if (c.entries == 64)
      keepAsFuzzSeed("avi_file", "super_index_repeats.avi", current.read("hostile.avi"));
    std::unique_ptr<MediaFile> file(openAviFile(path.c_str()));
    ASSERT_NE(file, nullptr);
    EXPECT_TRUE(costsAboutOneRead(file.get(), std::filesystem::file_size(path)));
    AviFileFacts facts;
    ASSERT_TRUE(describeAviFile(file.get(), &facts));
    EXPECT_STREQ(facts.indexKind, "rebuilt");
    ASSERT_EQ(file->frameCount(), 2);
    EXPECT_EQ(readFrame(file.get(), 1), frames[1]);
  }
}

TEST_F(AviReaderTest, IndexesCannotListMoreThanTheFileHolds) {
  // An OpenDML index that names the same chunks again and again, and in the wrong order.
  HandAvi layout = sampleAvi(HandIndex::openDml);
  std::string bytes = buildHandAvi(layout);
  size_t ix = bytes.find("ix00");
  ASSERT_NE(ix, std::string::npos);
  const uint8_t* header = reinterpret_cast<const uint8_t*>(&bytes[ix + 8]);
  uint32_t entries = readLe32(header + 4);
  ASSERT_EQ(entries, 7u);
  std::string first = bytes.substr(ix + 8 + 24, 8);
  for (uint32_t i = 2; i < entries; ++i) bytes.replace(ix + 8 + 24 + 8 * i, 8, first);
  auto file = open(bytes);
  ASSERT_NE(file, nullptr);
  // The stream ends where an entry does not follow the one before it.
  EXPECT_EQ(file->frameCount(), 2);
  EXPECT_EQ(readFrame(file.get(), 1), layout.frames[1]);

  // An idx1 index that names frame 0's chunk for every chunk: the stream ends after it.
  HandAvi compact = compactAvi(HandIndex::idx1);
  bytes = buildHandAvi(compact);
  size_t entry = bytes.rfind("idx1") + 8;
  for (size_t at = entry + 16; at + 16 <= bytes.size(); at += 16)
    bytes.replace(at, 16, bytes.substr(entry, 16));
  keepAsFuzzSeed("avi_file", "idx1_repeats.avi", bytes);
  file = open(bytes);
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(file->frameCount(), 1);
  EXPECT_EQ(readFrame(file.get(), 0), compact.frames[0]);

  // An idx1 chunk that claims far more than the file holds.
  bytes = buildHandAvi(sampleAvi(HandIndex::idx1));
  size_t idx1 = bytes.rfind("idx1");
  for (int i = 0; i < 4; ++i) bytes[idx1 + 4 + size_t(i)] = char(0xFF);
  file = open(bytes);
  ASSERT_NE(file, nullptr);
  expectContents(file.get(), sampleAvi(HandIndex::idx1));
  EXPECT_TRUE(costsAboutOneRead(file.get(), bytes.size()));
}

TEST_F(AviReaderTest, LibraryOpensFromTheCurrentDirectoryWithoutRegardToCase) {
  current.write("SEQ01.AVI", buildHandAvi(sampleAvi(HandIndex::idx1)));
  MediaLibrary* library = aviMediaLibrary();
  MediaFile* file = library->open("seq01.avi");
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(file->frameCount(), 7);
  library->release(file);
  EXPECT_EQ(library->open("seq02.avi"), nullptr);
  EXPECT_EQ(library->open("../SEQ01.AVI"), nullptr);
  EXPECT_EQ(library->open(""), nullptr);
}

}  // namespace
