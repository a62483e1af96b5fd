#include <string>

#include "media/media.h"
#include "test_support.h"

class MoveTableTest : public HeadlessTest {
 protected:
  void load(const std::string& text) {
    current.write("seq01.txt", text);
    loadMoveFile("seq01.txt", "seq01");
  }
  const MoveRow& row(int i) { return game.moveTable[i]; }
};

TEST_F(MoveTableTest, LoadResetsMoveIndexAndClearsOldFramesButAMissingFileKeepsThem) {
  load("10 d1 00 d1 d1 d1 d1\n20 d1 00 d1 d1 d1 d1\n30 d1 00 d1 d1 d1 d1\n");
  game.moveIndex = 2;
  load("50 d1 00 d1 d1 d1 d1\n");
  EXPECT_EQ(row(0).frame, 62);
  EXPECT_EQ(row(1).frame, kEndRowFrame);
  EXPECT_EQ(row(2).frame, 0);
  EXPECT_EQ(game.moveIndex, 0);
  load("");  // only the end row
  EXPECT_EQ(row(0).frame, kEndRowFrame);
  EXPECT_EQ(row(1).frame, 0);

  // A missing file keeps the previous table.
  load("100 d1 d1 d1 d1 d1 00\n");
  game.moveIndex = 1;
  loadMoveFile("seq09.txt", "seq09");
  EXPECT_EQ(messages(), std::vector<std::string>{"read error|Move file not found"});
  EXPECT_EQ(row(0).frame, 112);
  EXPECT_EQ(game.moveIndex, 1);
}

TEST_F(MoveTableTest, TokenRules) {
  load(
      "100 0 000 T1 t2 t3 00\n"  // "0"/"000" are clips; T1 is no object; later t wins
      "200 t1 00 d1 d1 d1 d1\n"  // a t in the no-move item is no object move
      "26 d\x1a"
      "1 00 d1 d1 d1 d1\n");  // control bytes are data
  EXPECT_STREQ(row(0).missClip, "seq010.avi");
  EXPECT_STREQ(row(0).upClip, "seq01000.avi");
  EXPECT_STREQ(row(0).downClip, "seq01T1.avi");
  EXPECT_STREQ(row(0).leftClip, "seq01t2.avi");
  EXPECT_STREQ(row(0).rightClip, "seq01t3.avi");
  EXPECT_EQ(row(0).objectMove, kInputRight);
  EXPECT_STREQ(row(1).missClip, "seq01t1.avi");
  EXPECT_EQ(row(1).objectMove, 0);
  EXPECT_EQ(row(2).frame, 38);
  EXPECT_STREQ(row(2).missClip,
               "seq01d\x1a"
               "1.avi");
  EXPECT_EQ(row(3).frame, kEndRowFrame);
}

// Frames are frames of the scene, and no clip opens beyond the last start frame: the row advance
// and the window's close, twelve frames on, always stay inside 32 bits.
TEST_F(MoveTableTest, TriggerFramesAreClampedAsTheyAreRead) {
  load(
      "-5 d1 d1 d1 d1 d1 00\n"
      "-2147483648 d1 d1 d1 d1 d1 00\n"
      "2147483630 d1 d1 d1 d1 d1 00\n"
      "99999999999 d1 d1 d1 d1 d1 00\n");
  EXPECT_EQ(row(0).frame, 12);
  EXPECT_EQ(row(1).frame, 12);
  EXPECT_EQ(row(2).frame, kMostClipFrames + 12);
  EXPECT_EQ(row(3).frame, kMostClipFrames + 12);
  EXPECT_EQ(row(4).frame, kEndRowFrame);
}

TEST_F(MoveTableTest, BlankAndShortLinesStillMakeRows) {
  load(
      "300 d1 d1 d1 d1 d1 00\r\n"
      "   \r\n"
      "400 d2 00\r\n"
      "notanumber d3 d3 d3 d3 d3 00\r\n");
  EXPECT_EQ(row(1).frame, 12);
  EXPECT_STREQ(row(1).missClip, "seq01.avi");
  EXPECT_EQ(row(1).objectMove, 0);
  // Items a line lacks name the scene's own file, whatever the row held before.
  EXPECT_STREQ(row(1).actionClip, "seq01.avi");
  EXPECT_STREQ(row(2).missClip, "seq01d2.avi");
  EXPECT_STREQ(row(2).upClip, "x");
  EXPECT_STREQ(row(2).downClip, "seq01.avi");
  // A line that does not start with a number gives nothing but its row.
  EXPECT_EQ(row(3).frame, 12);
  EXPECT_STREQ(row(3).missClip, "seq01.avi");
  EXPECT_EQ(row(4).frame, kEndRowFrame);
}

TEST_F(MoveTableTest, LongLinesAreReadInPiecesOf127) {
  // 126 characters and CR LF are one read; 127 characters and CR LF are two.
  std::string fits = "100 d1 d1 d1 d1 d1 00";
  fits += std::string(126 - fits.size(), ' ');
  std::string overlong = "200 d1 d1 d1 d1 d1 00";
  overlong += std::string(127 - overlong.size(), ' ');
  load(fits + "\r\n" + overlong + "\r\n300 d1 d1 d1 d1 d1 00\r\n");
  EXPECT_EQ(row(0).frame, 112);
  EXPECT_EQ(row(1).frame, 212);
  EXPECT_EQ(row(2).frame, 12);  // the piece holding only the line end
  EXPECT_EQ(row(3).frame, 312);
  EXPECT_EQ(row(4).frame, kEndRowFrame);
}

TEST_F(MoveTableTest, InstallDirectoryComesFirstWhateverTheCaseOfItsName) {
  install.write("seq01.txt", "100 d1 d1 d1 d1 d1 00\n");
  current.write("seq01.txt", "200 d1 d1 d1 d1 d1 00\n");
  loadMoveFile("seq01.txt", "seq01");
  EXPECT_EQ(row(0).frame, 112);

  install.write("SEQ02.TXT", "300 d1 d1 d1 d1 d1 00\n");
  current.write("seq02.txt", "400 d1 d1 d1 d1 d1 00\n");
  loadMoveFile("seq02.txt", "seq02");
  EXPECT_EQ(row(0).frame, 312);
  EXPECT_TRUE(messages().empty());
}

TEST_F(MoveTableTest, OversizedFilesStayInsideTheTable) {
  std::string text;
  for (int i = 0; i < 150; ++i) text += std::to_string(i) + " d1 d1 d1 d1 d1 00\n";
  load(text);
  EXPECT_EQ(row(98).frame, 98 + 12);
  EXPECT_EQ(row(99).frame, kEndRowFrame);

  // A token too long for its field is cut to fit, terminator included.
  load("100 " + std::string(60, 'q') + " 00 d1 d1 d1 d1\n");
  EXPECT_EQ(std::string(row(0).missClip), "seq01" + std::string(34, 'q'));
  EXPECT_STREQ(row(0).upClip, "x");
}
