// The seeds of the fuzz targets that are made here: damaged files of the kinds that once found
// faults in the readers. Each must lie in fuzz/corpus/TARGET as it is made here; run this test
// with QVK_WRITE_SEEDS=1 to write them there.
#include <climits>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "avi_test_support.h"
#include "test_support.h"

namespace {

std::string seedPath(const std::string& target, const std::string& name) {
  return std::string(QVK_SOURCE_DIR) + "/fuzz/corpus/" + target + "/" + name;
}

// Writes the seed when asked to, else checks that the corpus holds it as made.
void expectSeed(const std::string& target, const std::string& name, const std::string& bytes) {
  std::string path = seedPath(target, name);
  const char* write = std::getenv("QVK_WRITE_SEEDS");
  if (write && std::string(write) == "1") {
    std::ofstream(path, std::ios::binary) << bytes;
    return;
  }
  std::ifstream in(path, std::ios::binary);
  std::stringstream stored;
  stored << in.rdbuf();
  EXPECT_TRUE(stored.str() == bytes) << path << " is missing or stale: QVK_WRITE_SEEDS=1 writes it";
}

TEST(FuzzSeeds, DamagedAviFilesAreSeedsOfTheAviReader) {
  TempDir dir;
  // A super index that names two standard indexes again and again, around empty chunks.
  ASSERT_TRUE(writeHostileOpenDmlAvi(dir.file("s.avi"), {patternBytes(40, 1), patternBytes(41, 2)},
                                     64, 64, 256));
  expectSeed("avi_file", "super_index_repeats.avi", dir.read("s.avi"));

  // A sound stream that holds no sound.
  HandAvi silent;
  silent.frames = {patternBytes(30, 1), patternBytes(30, 2), patternBytes(30, 3)};
  expectSeed("avi_file", "sound_stream_empty.avi", buildHandAvi(silent));

  // An idx1 index that names one chunk for every frame.
  HandAvi repeated;
  repeated.frames = {patternBytes(20, 1), patternBytes(21, 2), patternBytes(22, 3)};
  repeated.sound = {patternBytes(10, 4)};
  std::string bytes = buildHandAvi(repeated);
  size_t idx1 = bytes.rfind("idx1");
  for (size_t entry = idx1 + 8 + 16; entry + 16 <= bytes.size(); entry += 16)
    bytes.replace(entry, 16, bytes.substr(idx1 + 8, 16));
  expectSeed("avi_file", "idx1_repeats.avi", bytes);

  // A picture height of -2^31.
  HandAvi tall;
  tall.frames = {patternBytes(20, 1)};
  tall.audio = false;
  tall.videoFormat = bitmapFormat(320, INT_MIN, 8, 1, 16);
  expectSeed("avi_file", "height_min.avi", buildHandAvi(tall));
}

}  // namespace
