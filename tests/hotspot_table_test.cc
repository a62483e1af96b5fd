#include "media/media.h"
#include "test_support.h"

class HotspotTableTest : public HeadlessTest {
 protected:
  void load(const std::string& text) {
    current.write("seq01.hot", text);
    loadHotspotFile("seq01.hot");
  }
  int32_t entry(int i) { return game.hotspotTable[i]; }
};

TEST_F(HotspotTableTest, ThreeLinesAndZerosBehind) {
  load("10\n20\n30\n40\n");
  game.hotspotIndex = 3;
  game.resumeMoveIndex = 7;
  load("0\r\n300\r\n640\r\n");
  EXPECT_EQ(entry(0), 0);
  EXPECT_EQ(entry(1), 300);
  EXPECT_EQ(entry(2), 640);
  for (int i = 3; i < kHotspotEntries; ++i) EXPECT_EQ(entry(i), 0) << i;
  EXPECT_EQ(game.hotspotIndex, 0);
  EXPECT_EQ(game.resumeMoveIndex, 0);
  load("");
  for (int i = 0; i < kHotspotEntries; ++i) EXPECT_EQ(entry(i), 0) << i;
}

TEST_F(HotspotTableTest, LinesKeepTheirPlaces) {
  load("100\r\n\r\n  300 junk\r\n150 200\r\nx\r\n500");
  EXPECT_EQ(entry(0), 100);
  EXPECT_EQ(entry(1), 0);  // blank line
  EXPECT_EQ(entry(2), 300);
  EXPECT_EQ(entry(3), 150);  // only the first number of a line
  EXPECT_EQ(entry(4), 0);
  EXPECT_EQ(entry(5), 500);
}

// A checkpoint is a frame a scene opens at after a death: none before the start, none beyond
// the last start frame.
TEST_F(HotspotTableTest, CheckpointsAreClampedAsTheyAreRead) {
  load("-5\n2147483647\n99999999999\n-99999999999\n");
  EXPECT_EQ(entry(0), 0);
  EXPECT_EQ(entry(1), kMostClipFrames);
  EXPECT_EQ(entry(2), kMostClipFrames);
  EXPECT_EQ(entry(3), 0);
}

TEST_F(HotspotTableTest, MissingFileChangesNothing) {
  load("10\n20\n");
  game.hotspotIndex = 1;
  game.resumeMoveIndex = 4;
  loadHotspotFile("nothere.hot");
  EXPECT_EQ(messages(), std::vector<std::string>{"read error|Hotspot file not found"});
  EXPECT_EQ(entry(1), 20);
  EXPECT_EQ(game.hotspotIndex, 1);
  EXPECT_EQ(game.resumeMoveIndex, 4);
}

TEST_F(HotspotTableTest, MoreThanAHundredLinesStopAtTheTable) {
  std::string text;
  for (int i = 1; i <= 130; ++i) text += std::to_string(i) + "\n";
  load(text);
  EXPECT_EQ(entry(0), 1);
  EXPECT_EQ(entry(99), 100);
}

TEST_F(HotspotTableTest, InstallDirectoryFirst) {
  install.write("SEQ01.HOT", "7\n");
  current.write("seq01.hot", "9\n");
  loadHotspotFile("seq01.hot");
  EXPECT_EQ(entry(0), 7);
}
