// qvkprobe on hand-made files with the extreme numbers a damaged file can hold: it reports them
// as stored, without overflowing.
#include <sys/wait.h>

#include <climits>

#include "avi_test_support.h"
#include "test_support.h"

namespace {

class QvkProbeTest : public HeadlessTest {
 protected:
  // qvkprobe's report on bytes (standard output and error), and its exit status in status.
  std::string probe(const std::string& bytes) {
    current.write("clip.avi", bytes);
    std::string out = commandOutput(
        std::string(QVK_PROGRAM_DIR) + "/qvkprobe " + current.file("clip.avi") + " 2>&1", &status);
    status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return out;
  }

  int status = -1;
};

::testing::AssertionResult says(const std::string& output, const std::string& text) {
  if (output.find(text) != std::string::npos) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "no \"" << text << "\" in:\n" << output;
}

TEST_F(QvkProbeTest, ExtremePictureSizesAreReportedAsStored) {
  HandAvi layout;
  layout.frames = {patternBytes(100, 1)};
  layout.videoFormat = bitmapFormat(320, INT_MIN, 8, 1, 16);
  keepAsFuzzSeed("avi_file", "height_min.avi", buildHandAvi(layout));
  EXPECT_TRUE(says(probe(buildHandAvi(layout)), "video: stream 0, 320x2147483648 (top-down)"));
  EXPECT_EQ(status, 0);

  layout.videoFormat = bitmapFormat(INT_MIN, INT_MAX, 32, 0, 0);
  EXPECT_TRUE(says(probe(buildHandAvi(layout)), "video: stream 0, -2147483648x2147483647, 32"));
  EXPECT_EQ(status, 0);
}

}  // namespace
