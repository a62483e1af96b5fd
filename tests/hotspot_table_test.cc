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

// Each file is read over a full table: its lines in their places, zeros behind, and the scene's
// checkpoint and resume row back at 0.
TEST_F(HotspotTableTest, LinesKeepTheirPlacesWithZerosBehind) {
  const struct {
    const char* pins;
    std::string text;
    std::vector<int32_t> entries;
  } cases[] = {
      // CR LF ends a line.
      {"three lines", "0\r\n300\r\n640\r\n", {0, 300, 640}},
      {"empty file", "", {}},
      // A blank or unreadable line is a 0 in its place; only a line's first number counts.
      {"places", "100\r\n\r\n  300 junk\r\n150 200\r\nx\r\n500", {100, 0, 300, 150, 0, 500}},
      // A checkpoint is a frame a scene opens at after a death: none before the start, none
      // beyond the last start frame.
      {"clamped",
       "-5\n2147483647\n99999999999\n-99999999999\n",
       {0, kMostClipFrames, kMostClipFrames, 0}},
  };
  std::string full;
  for (int i = 1; i <= 130; ++i) full += std::to_string(i) + "\n";
  for (const auto& c : cases) {
    SCOPED_TRACE(c.pins);
    load(full);  // more than a hundred lines stop at the table
    ASSERT_EQ(entry(kHotspotEntries - 1), kHotspotEntries);
    game.hotspotIndex = 3;
    game.resumeMoveIndex = 7;
    load(c.text);
    for (int i = 0; i < kHotspotEntries; ++i)
      EXPECT_EQ(entry(i), size_t(i) < c.entries.size() ? c.entries[i] : 0) << i;
    EXPECT_EQ(game.hotspotIndex, 0);
    EXPECT_EQ(game.resumeMoveIndex, 0);
  }
}

// The file is looked for in the install directory first, in any case; a missing file changes
// nothing.
TEST_F(HotspotTableTest, InstallDirectoryFirstAndMissingFileChangesNothing) {
  install.write("SEQ01.HOT", "7\n");
  load("9\n");
  EXPECT_EQ(entry(0), 7);
  std::remove(install.file("SEQ01.HOT").c_str());
  load("10\n20\n");
  game.hotspotIndex = 1;
  game.resumeMoveIndex = 4;
  loadHotspotFile("nothere.hot");
  EXPECT_EQ(messages(), std::vector<std::string>{"read error|Hotspot file not found"});
  EXPECT_EQ(entry(1), 20);
  EXPECT_EQ(game.hotspotIndex, 1);
  EXPECT_EQ(game.resumeMoveIndex, 4);
}
