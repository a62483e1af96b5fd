#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>
#include <cstring>

#include "game/save_record.h"
#include "media/media.h"
#include "test_support.h"

class SavedGameTest : public HeadlessTest {
 protected:
  void SetUp() override {
    HeadlessTest::SetUp();
    for (const char* base : {"seq01", "seq03"}) {
      current.write(std::string(base) + ".txt", "100 d1 d1 d1 d1 d1 00\n");
      current.write(std::string(base) + ".hot", "0\n250\n400\n9999\n");
    }
  }

  // The seq03 position of the example: checkpoint 2 at frame 400, resume row 9, move row 11.
  void playSeq03() {
    loadMoveFile("seq03.txt", "seq03");
    loadHotspotFile("seq03.hot");
    writeName(game.sceneFile, "seq03.avi");
    game.hotspotIndex = 2;
    game.resumeMoveIndex = 9;
    game.moveIndex = 11;
    game.lives = 4;
  }

  std::string saveFile() { return install.read("qvk.sav"); }
  int32_t restartFrame = -1;  // what the last load returned
};

static std::string le32(int32_t v) {
  std::string out(4, '\0');
  for (int i = 0; i < 4; ++i)
    out[i] = static_cast<char>((static_cast<uint32_t>(v) >> (8 * i)) & 0xff);
  return out;
}

static std::string name15(const std::string& name) {
  return name + std::string(15 - name.size(), '\0');
}

static const std::string kFailed = "Failed to create save file C:\\QVK\\QVK.Sav";

// Every LF byte of the record is stored as CR LF, and read back as one byte; a CR of the record
// is a byte like any other.
TEST_F(SavedGameTest, RecordIsFiftyBytesFieldAfterFieldAndLoadsBackAtItsCheckpoint) {
  playSeq03();
  writeName(game.missedScene, "seq02.avi");
  game.moveIndex = 13;        // 0x0D
  game.resumeMoveIndex = 10;  // 0x0A
  saveGame();
  std::string expected = name15("seq02.avi") + le32(4) + name15("seq03.avi") + le32(400) +
                         le32(13) + le32(2) + "\r" + le32(10);
  EXPECT_EQ(saveFile(), expected);
  EXPECT_TRUE(messages().empty());
  EXPECT_EQ(install.names(), (std::vector<std::string>{"qvk.sav"}));  // no temporary left

  resetGameState();
  restartFrame = loadGame();
  EXPECT_TRUE(nameEquals(game.sceneFile, "seq03.avi"));
  EXPECT_TRUE(nameEquals(game.missedScene, "seq02.avi"));
  EXPECT_EQ(restartFrame, 400);
  EXPECT_EQ(game.moveIndex, 13);
  EXPECT_EQ(game.hotspotIndex, 2);
  EXPECT_EQ(game.resumeMoveIndex, 10);
  EXPECT_EQ(game.lives, 4);
  EXPECT_EQ(game.hotspotTable[2], 400);  // seq03.hot was loaded
}

// Only a CR LF pair of the file is one byte of the record: a CR alone, a CR before another CR,
// 0x1A and a CR that ends the file are bytes of their own. Nothing past the file is looked at.
TEST_F(SavedGameTest, OnlyCrLfPairsOfTheFileAreReadAsOneByte) {
  const uint8_t stored[] = {'\r', 'a', '\r', '\r', '\n', 0x1A, '\r', /* past the file: */ '\n'};
  uint8_t record[kSaveRecordSize];
  ASSERT_EQ(decodeSaveFile(stored, sizeof stored - 1, record), 6);
  EXPECT_EQ(std::string(record, record + 6), std::string("\ra\r\n\x1a\r"));
}

TEST_F(SavedGameTest, LivesAreClampedInPlace) {
  struct Case {
    int32_t before, stored;
  } cases[] = {{-1, 1}, {0, 0}, {3, 3}, {6, 5}, {-40, 1}};
  for (const Case& c : cases) {
    playSeq03();
    game.lives = c.before;
    saveGame();
    EXPECT_EQ(saveFile().substr(15, 4), le32(c.stored)) << c.before;
    EXPECT_EQ(game.lives, c.stored) << c.before;
  }
}

// Saving creates the install directory; where it cannot, or where no file can be created in
// it, the failure is reported.
TEST_F(SavedGameTest, FailureToCreateIsReported) {
  platform.directories.install = install.file("deeper/qvk");
  playSeq03();
  saveGame();
  EXPECT_TRUE(install.exists("deeper/qvk/qvk.sav"));
  EXPECT_TRUE(messages().empty());

  install.write("blocker", "a file where a directory should be");
  for (std::string dir : {install.file("blocker/qvk"), std::string("/proc")}) {
    platform.directories.install = dir;
    saveGame();
  }
  ASSERT_EQ(window.messagesSeen().size(), 2u);
  for (const RecordedMessage& message : window.messagesSeen()) {
    EXPECT_EQ(message.text, kFailed);
    EXPECT_EQ(message.caption, "File System Error");
    EXPECT_TRUE(message.warning);
  }
}

// A record that cannot be written whole, or cannot replace the saved game, is reported; the
// saved game stays as it was and no temporary file is left behind.
TEST_F(SavedGameTest, AFailedSaveKeepsTheOldOneAndLeavesNothingBehind) {
  playSeq03();
  install.write("qvk.sav", "old");
  struct rlimit limit, none = {0, 0};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &limit), 0);
  none.rlim_max = limit.rlim_max;
  sighandler_t oldHandler = signal(SIGXFSZ, SIG_IGN);  // a write past the limit fails instead
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &none), 0);
  saveGame();
  setrlimit(RLIMIT_FSIZE, &limit);
  signal(SIGXFSZ, oldHandler);
  EXPECT_EQ(messages(), (std::vector<std::string>{"File System Error|" + kFailed}));
  EXPECT_EQ(install.names(), (std::vector<std::string>{"qvk.sav"}));
  EXPECT_EQ(install.read("qvk.sav"), "old");

  std::remove(install.file("qvk.sav").c_str());
  mkdir(install.file("qvk.sav").c_str(), 0755);  // a directory in the saved game's place
  install.write("qvk.sav/keep", "x");            // not empty: nothing can be renamed over it
  saveGame();
  EXPECT_EQ(messages().size(), 2u);
  EXPECT_EQ(install.names(), (std::vector<std::string>{"qvk.sav"}));
  EXPECT_EQ(install.read("qvk.sav/keep"), "x");
}

// No saved game, or one cut short before its scene's name: a new game from the first frame.
TEST_F(SavedGameTest, MissingOrShortSaveStartsANewGame) {
  for (bool present : {false, true}) {
    if (present) install.write("qvk.sav", name15("seq02.avi") + le32(2) + "seq");
    playSeq03();
    playback.clockFrame = 77;
    writeName(game.missedScene, "seq02.avi");
    restartFrame = loadGame();
    EXPECT_TRUE(nameEquals(game.sceneFile, "seq01.avi")) << present;
    EXPECT_TRUE(nameIsEmpty(game.missedScene));
    EXPECT_EQ(game.lives, 5);
    EXPECT_EQ(restartFrame, 0);
    EXPECT_EQ(game.moveIndex, 0);
    EXPECT_EQ(game.hotspotIndex, 0);
    EXPECT_EQ(game.moveTable[0].frame, 112);  // seq01.txt was loaded
  }
}

TEST_F(SavedGameTest, CreditsSaveLooksForTheFirstFiveCharacters) {
  writeName(game.sceneFile, "credits.avi");
  saveGame();
  restartFrame = loadGame();
  EXPECT_TRUE(nameEquals(game.sceneFile, "credits.avi"));
  EXPECT_EQ(messages(), (std::vector<std::string>{"read error|Move file not found",
                                                  "read error|Hotspot file not found"}));
}

TEST_F(SavedGameTest, UpperCaseSaveFileIsFoundAndReplaced) {
  playSeq03();
  saveGame();
  std::string bytes = saveFile();
  std::remove(install.file("qvk.sav").c_str());
  install.write("QVK.SAV", bytes);
  resetGameState();
  restartFrame = loadGame();
  EXPECT_EQ(restartFrame, 400);
  game.lives = 2;
  saveGame();
  EXPECT_FALSE(install.exists("qvk.sav"));
  EXPECT_EQ(install.read("QVK.SAV").substr(15, 4), le32(2));
}

// A loaded game goes on with 1 to 5 lives: 0 was saved while the last life's clip played, and
// anything else outside the range comes from a damaged file. Its frame is one a scene can open at.
TEST_F(SavedGameTest, DamagedFilesNeverLeaveTheTables) {
  // Indices outside the tables: resume from the restart frame with all three at 0.
  install.write("qvk.sav", name15("") + le32(-281) + name15("seq03.avi") + le32(400) + le32(500) +
                               le32(-2) + le32(9));
  restartFrame = loadGame();
  EXPECT_EQ(game.lives, 1);
  EXPECT_EQ(restartFrame, 400);
  EXPECT_EQ(game.moveIndex, 0);
  EXPECT_EQ(game.hotspotIndex, 0);
  EXPECT_EQ(game.resumeMoveIndex, 0);

  // A negative restart frame starts the scene from its beginning.
  install.write("qvk.sav", name15("") + le32(1000) + name15("seq03.avi") + le32(-50) + le32(1) +
                               le32(1) + le32(1));
  restartFrame = loadGame();
  EXPECT_EQ(game.lives, 5);
  EXPECT_EQ(restartFrame, 0);
  EXPECT_EQ(game.moveIndex, 1);

  // Cut short after the scene: what is there is taken, the rest keeps its value.
  game.moveIndex = 5;
  install.write("qvk.sav", name15("") + le32(0) + name15("seq03.avi") + le32(2147483647));
  restartFrame = loadGame();
  EXPECT_EQ(game.lives, 1);
  EXPECT_EQ(restartFrame, kMostClipFrames);
  EXPECT_EQ(game.moveIndex, 5);

  // Names without a terminator are cut at their field; garbage after the record is ignored.
  // A scene name cut so is no scene: the save is damaged, and a new game starts.
  install.write("qvk.sav", std::string(15, 'm') + le32(1) + name15("seq03.avi") + le32(0) +
                               le32(0) + le32(0) + le32(0) + std::string(500, 'z'));
  restartFrame = loadGame();
  EXPECT_TRUE(nameEquals(game.sceneFile, "seq03.avi"));
  EXPECT_TRUE(nameEquals(game.missedScene, std::string(15, 'm').c_str()));
  install.write("qvk.sav", name15("") + le32(1) + "seq03.avi\x01xxxxx" + le32(90) + le32(0) +
                               le32(0) + le32(0));
  restartFrame = loadGame();
  EXPECT_TRUE(nameEquals(game.sceneFile, "seq01.avi"));
  EXPECT_EQ(restartFrame, 0);
  EXPECT_EQ(messages(), (std::vector<std::string>{"Damaged saved game|The saved game is damaged: "
                                                  "\"seq03.avi\\x01xxxxx\" is not a scene of the "
                                                  "game. A new game starts instead."}));
}
