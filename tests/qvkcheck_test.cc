// qvkcheck against small games damaged on purpose: each kind of fault is reported with its file
// and line, and a sound game gives no output and exit status 0.
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <random>

#include "media/media.h"
#include "test_support.h"

namespace {

const char* const kScenes[] = {"seq01", "seq02", "seq03", "seq04", "seq05", "seq06", "seq07",
                               "seq08", "seq12", "seq13", "seq14", "seq15", "seq16", "seq17"};
const char* const kGameClips[] = {"4lives.avi", "3lives.avi",  "2lives.avi",
                                  "1lives.avi", "cont.avi",    "gameover.avi",
                                  "missed.avi", "credits.avi", "demo.avi"};
constexpr int kSceneFrames = 72;  // one row at frame 40: its window closes at 64 (+24 on screen)
constexpr int kClipFrames = 20;
const char kRow[] = "  40  d1   00   d1   d1   d1   d1\r\n";
const char kHotspots[] = "0\r\n9999\r\n";

AviClip blankClip(int frames) {
  AviClip clip;
  clip.palette[1] = 0xFFFFFF;
  clip.frames.assign(frames, std::vector<uint8_t>(kPictureWidth * kPictureHeight, 0));
  clip.sound.assign(size_t(frames) * kSoundBytesPerFrame, 128);
  clip.keyFrameInterval = 1;
  return clip;
}

void writeClip(const std::string& path, const AviClip& clip) {
  ASSERT_TRUE(writeAviFile(path.c_str(), clip)) << path;
}

// A whole game, as small as the rules allow, written once and copied for each test.
class QvkCheckTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    sound = new TempDir;
    for (const char* base : kScenes) {
      std::string b = base;
      writeClip(sound->file(b + ".avi"), blankClip(kSceneFrames));
      writeClip(sound->file(b + "d1.avi"), blankClip(kClipFrames));
      sound->write(b + ".txt", kRow);
      sound->write(b + ".hot", kHotspots);
    }
    for (const char* clip : kGameClips) writeClip(sound->file(clip), blankClip(kClipFrames));
  }
  static void TearDownTestSuite() {
    delete sound;
    sound = nullptr;
  }

  void SetUp() override {
    std::filesystem::copy(sound->path(), game.path(),
                          std::filesystem::copy_options::recursive |
                              std::filesystem::copy_options::overwrite_existing);
  }

  // Runs qvkcheck on the test's game: its output, and its exit status in status.
  std::string check(const std::string& arguments = "") {
    std::string command = std::string(QVK_BINARY_DIR) + "/qvkcheck " +
                          (arguments.empty() ? game.path() : arguments) + " 2>/dev/null";
    FILE* pipe = popen(command.c_str(), "r");
    std::string output;
    char buffer[512];
    while (pipe && std::fgets(buffer, sizeof buffer, pipe)) output += buffer;
    int result = pipe ? pclose(pipe) : -1;
    status = WIFEXITED(result) ? WEXITSTATUS(result) : -1;
    return output;
  }

  void replaceClip(const std::string& name, const AviClip& clip) {
    std::filesystem::remove(game.file(name));
    writeClip(game.file(name), clip);
  }

  static TempDir* sound;
  TempDir game;
  int status = -1;
};

TempDir* QvkCheckTest::sound = nullptr;

// Whether the checker's output holds text; on failure the output is shown.
::testing::AssertionResult reports(const std::string& output, const std::string& text) {
  if (output.find(text) != std::string::npos) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "no \"" << text << "\" in:\n" << output;
}

TEST_F(QvkCheckTest, SoundGameGivesNoOutputAndStatusZero) {
  EXPECT_EQ(check(), "");
  EXPECT_EQ(status, 0);
}

TEST_F(QvkCheckTest, MissingSceneFilesAreReported) {
  std::filesystem::remove(game.file("seq05.avi"));
  std::filesystem::remove(game.file("seq13.txt"));
  std::filesystem::remove(game.file("seq17.hot"));
  std::string out = check();
  EXPECT_TRUE(reports(out, "seq05.avi: missing (scene)\n"));
  EXPECT_TRUE(reports(out, "seq13.txt: missing (move file)\n"));
  EXPECT_TRUE(reports(out, "seq17.hot: missing (hotspot file)\n"));
  EXPECT_EQ(status, 1);
}

TEST_F(QvkCheckTest, MissingGameClipIsReported) {
  std::filesystem::remove(game.file("2lives.avi"));
  std::filesystem::remove(game.file("missed.avi"));
  std::string out = check();
  EXPECT_TRUE(reports(out, "2lives.avi: missing (lives clip)\n"));
  EXPECT_TRUE(reports(out, "missed.avi: missing (missed scene)\n"));
}

TEST_F(QvkCheckTest, ClipNamedByAMoveFileMustExist) {
  game.write("seq03.txt", std::string(kRow) + "  90  d2   d1   t1   00   d1   d1\r\n");
  std::string out = check();
  EXPECT_TRUE(reports(out,
                      "seq03.txt:2: names seq03d2.avi, which is missing (outcome of no "
                      "move)\n"));
  EXPECT_TRUE(reports(out,
                      "seq03.txt:2: names seq03t1.avi, which is missing (outcome of "
                      "down)\n"));
}

TEST_F(QvkCheckTest, NamesThatDifferOnlyInCaseAreReported) {
  std::filesystem::rename(game.file("seq02.hot"), game.file("SEQ02.HOT"));
  std::filesystem::rename(game.file("seq04d1.avi"), game.file("Seq04D1.avi"));
  std::string out = check();
  EXPECT_TRUE(reports(out,
                      "SEQ02.HOT: differs from seq02.hot, as the game names it, only in "
                      "case; rename it\n"));
  EXPECT_TRUE(reports(out, "Seq04D1.avi: differs from seq04d1.avi"));
  EXPECT_EQ(out.find("missing"), std::string::npos) << out;
  EXPECT_EQ(status, 1);
}

TEST_F(QvkCheckTest, RowsOutOfOrderAreReported) {
  game.write("seq06.txt", std::string(kRow) + "  30  d1   00   d1   d1   d1   d1\r\n");
  EXPECT_TRUE(reports(check(),
                      "seq06.txt:2: frame 30 does not follow frame 40: rows must be "
                      "in ascending frame order\n"));
}

TEST_F(QvkCheckTest, RowNeedsExactlyOneCorrectMove) {
  game.write("seq07.txt",
             "  40  d1   d1   d1   d1   d1   d1\r\n"
             "  80  d1   00   00   d1   d1   d1\r\n");
  std::string out = check();
  EXPECT_TRUE(reports(out, "seq07.txt:1: no correct move"));
  EXPECT_TRUE(reports(out, "seq07.txt:2: 2 correct moves"));
}

TEST_F(QvkCheckTest, CorrectMoveAsTheNoMoveOutcomeIsReported) {
  game.write("seq08.txt", "  40  00   00   d1   d1   d1   d1\r\n");
  EXPECT_TRUE(reports(check(), "seq08.txt:1: \"00\" as the no-move outcome"));
}

TEST_F(QvkCheckTest, SecondObjectMoveInARowIsReported) {
  for (const char* clip : {"seq12t1.avi", "seq12t2.avi"})
    writeClip(game.file(clip), blankClip(kClipFrames));
  game.write("seq12.txt", "  40  d1   00   t1   t2   d1   d1\r\n");
  EXPECT_TRUE(reports(check(), "seq12.txt:1: 2 object moves"));
}

TEST_F(QvkCheckTest, ShortOrBlankLinesAreReported) {
  game.write("seq14.txt", std::string(kRow) + "\r\n  90  d1   00   d1\r\n");
  std::string out = check();
  EXPECT_TRUE(reports(out, "seq14.txt:2: blank line"));
  EXPECT_TRUE(reports(out, "seq14.txt:3: has 4 items"));
}

TEST_F(QvkCheckTest, TokenMakingTooLongAClipNameIsReported) {
  std::string token(31, 'd');  // seq15 + 31 + .avi = 40 characters
  game.write("seq15.txt", "  40  " + token + "   00   d1   d1   d1   d1\r\n");
  EXPECT_TRUE(reports(check(), "seq15.txt:1: token " + token +
                                   " makes the clip name 40 characters long; at most 39 fit\n"));
}

TEST_F(QvkCheckTest, MoveFileOverItsLimitIsReported) {
  std::string text;
  for (int row = 0; row < 100; ++row)
    text += std::to_string(40 + 20 * row) + "  d1   00   d1   d1   d1   d1\r\n";
  game.write("seq16.txt", text);
  EXPECT_TRUE(reports(check(), "seq16.txt:100: row 100: only 99 rows are read"));
}

TEST_F(QvkCheckTest, LineLongerThanOneReadIsReported) {
  game.write("seq16.txt", "  40  d1   00   d1   d1   d1   d1" + std::string(120, ' ') + "\r\n");
  EXPECT_TRUE(reports(check(), "seq16.txt:1: longer than 126 characters"));
}

TEST_F(QvkCheckTest, HotspotFileOverItsLimitIsReported) {
  std::string text;
  for (int line = 0; line < 101; ++line) text += std::to_string(line * 100) + "\r\n";
  game.write("seq01.hot", text);
  EXPECT_TRUE(reports(check(), "seq01.hot:101: only 100 lines are read"));
}

TEST_F(QvkCheckTest, HotspotListMustEndAboveTheSceneEnd) {
  game.write("seq02.hot", "0\r\n70\r\n");
  EXPECT_TRUE(reports(check(),
                      "seq02.hot:2: the last entry must lie above the scene's last "
                      "frame (71)"));
}

TEST_F(QvkCheckTest, HotspotLinesOutOfOrderOrWithoutNumberAreReported) {
  game.write("seq03.hot", "0\r\n68\r\n66\r\nnone\r\n9999\r\n");
  std::string out = check();
  EXPECT_TRUE(reports(out, "seq03.hot:3: frame 66 does not follow frame 68"));
  EXPECT_TRUE(reports(out, "seq03.hot:4: no frame number"));
}

TEST_F(QvkCheckTest, ClipOfAnotherSizeIsReported) {
  AviClip small = blankClip(kClipFrames);
  small.width = 160;
  small.height = 120;
  small.frames.assign(kClipFrames, std::vector<uint8_t>(160 * 120, 0));
  replaceClip("seq04d1.avi", small);
  EXPECT_TRUE(reports(check(), "seq04d1.avi: picture is 160x120, demo.avi's 320x240\n"));
}

TEST_F(QvkCheckTest, ClipOfAnotherRateIsReported) {
  AviClip fast = blankClip(kClipFrames);
  fast.framesPerSecond = 15;
  replaceClip("cont.avi", fast);
  EXPECT_TRUE(reports(check(), "cont.avi: runs at 15 frames a second, demo.avi's at 12\n"));
}

// The writer makes only the game's sound format; another is patched into the file's header.
TEST_F(QvkCheckTest, ClipOfAnotherSoundFormatIsReported) {
  std::string bytes = game.read("gameover.avi");
  const std::string format("\x01\x00\x02\x00\x22\x56\x00\x00", 8);  // PCM, 2 channels, 22050
  size_t at = bytes.find(format);
  ASSERT_NE(at, std::string::npos);
  bytes[at + 4] = '\x11';  // 11025 Hz
  bytes[at + 5] = '\x2B';
  game.write("gameover.avi", bytes);
  EXPECT_TRUE(reports(check(),
                      "gameover.avi: sound is PCM stereo 8-bit 11025 Hz, demo.avi's "
                      "PCM stereo 8-bit 22050 Hz\n"));
}

TEST_F(QvkCheckTest, DemoOutsideTheGameFormatIsReported) {
  AviClip demo = blankClip(kClipFrames);
  demo.framesPerSecond = 10;
  replaceClip("demo.avi", demo);
  std::string out = check();
  EXPECT_TRUE(reports(out, "demo.avi: runs at 10 frames a second, the game's at 12\n"));
  // The other clips are compared with demo.avi.
  EXPECT_TRUE(reports(out, "seq01.avi: runs at 12 frames a second, demo.avi's at 10\n"));
}

TEST_F(QvkCheckTest, FrameOverThirtyThousandBytesIsReported) {
  AviClip noisy = blankClip(kClipFrames);
  std::mt19937 random(7);
  for (uint8_t& pixel : noisy.frames[5]) pixel = static_cast<uint8_t>(random());
  replaceClip("seq05d1.avi", noisy);
  EXPECT_TRUE(reports(check(), "seq05d1.avi: 1 frame over 30000 bytes, the first frame 5 ("));
}

TEST_F(QvkCheckTest, ClipShorterThanTheFrameCacheIsReported) {
  replaceClip("missed.avi", blankClip(8));
  EXPECT_TRUE(reports(check(), "missed.avi: only 8 frames: every clip needs at least 12"));
}

TEST_F(QvkCheckTest, DamagedClipsAreReported) {
  std::string bytes = game.read("credits.avi");
  game.write("credits.avi", bytes.substr(0, bytes.size() * 2 / 3));
  game.write("1lives.avi", "not a clip at all");
  std::string out = check();
  EXPECT_TRUE(reports(out, "credits.avi: has no usable index"));
  EXPECT_TRUE(reports(out, "1lives.avi: not an AVI file the player can read\n"));
}

TEST_F(QvkCheckTest, SceneWithDeltaFramesIsAWarning) {
  AviClip scene = blankClip(kSceneFrames);
  scene.keyFrameInterval = 0;
  replaceClip("seq08.avi", scene);
  EXPECT_TRUE(reports(check(), "seq08.avi: warning: only 1 of its 72 frames are key frames"));
}

TEST_F(QvkCheckTest, SceneEndingBeforeItsEndRowIsReported) {
  replaceClip("seq06.avi", blankClip(66));
  EXPECT_TRUE(reports(check(),
                      "seq06.txt:1: the scene has 66 frames; its last window closes "
                      "at frame 52"));
}

TEST_F(QvkCheckTest, OutcomeClipLongEnoughToBeJudgedIsAWarning) {
  replaceClip("seq07d1.avi", blankClip(60));
  std::string out = check();
  EXPECT_TRUE(reports(out,
                      "seq07d1.avi: warning: 60 frames: while it plays, currentFrame "
                      "reaches 52, where the first window of seq07.txt opens"));
  EXPECT_EQ(status, 1);
}

TEST_F(QvkCheckTest, LivesClipLongEnoughToBeJudgedIsAWarning) {
  replaceClip("3lives.avi", blankClip(56));
  EXPECT_TRUE(reports(check(), "3lives.avi: warning: 56 frames"));
}

TEST_F(QvkCheckTest, CreditsOrDemoThatWouldStartAgainAreWarnings) {
  replaceClip("credits.avi", blankClip(70));
  replaceClip("demo.avi", blankClip(70));
  std::string out = check();
  EXPECT_TRUE(reports(out,
                      "credits.avi: warning: 70 frames outlast the last window of "
                      "seq01.txt (line 1)"));
  EXPECT_TRUE(reports(out, "demo.avi: warning: 70 frames outlast"));
}

TEST_F(QvkCheckTest, DemoIsMeasuredAgainstTheStartSceneOfInfile) {
  replaceClip("demo.avi", blankClip(50));
  EXPECT_EQ(check(), "");  // seq01's window passes at 64
  game.write("infile.txt", "seq03.avi\r\n");
  game.write("seq03.txt", "  10  d1   00   d1   d1   d1   d1\r\n");
  EXPECT_TRUE(
      reports(check(), "demo.avi: warning: 50 frames outlast the last window of seq03.txt"));
  game.write("infile.txt", "seq09.avi\r\n");
  EXPECT_TRUE(reports(check(),
                      "infile.txt:1: names seq09.avi, which is missing (start "
                      "scene)"));
}

TEST_F(QvkCheckTest, CheckpointsInsideOrJustBeforeAWindowAreWarnings) {
  game.write("seq13.hot", "0\r\n58\r\n9999\r\n");
  game.write("seq14.hot", "44\r\n9999\r\n");
  std::string out = check();
  EXPECT_TRUE(reports(out,
                      "seq13.hot:2: warning: checkpoint 58 is reached while the window "
                      "of seq13.txt line 1 is open"));
  EXPECT_TRUE(reports(out,
                      "seq14.hot:1: warning: a replay from checkpoint 44 shows less than "
                      "a second before the window of seq14.txt line 1"));
}

TEST_F(QvkCheckTest, FramesAtTheEndOfTheNumbersAreStillChecked) {
  // The last window of seq03 closes far beyond its end; the windows of seq04 overlap.
  game.write("seq03.txt", "2147483630  d1   00   d1   d1   d1   d1\r\n");
  game.write("seq04.txt",
             "2147483640  d1   00   d1   d1   d1   d1\r\n"
             "2147483645  d1   00   d1   d1   d1   d1\r\n");
  std::string out = check();
  EXPECT_TRUE(reports(out, "seq03.txt:1: "));
  EXPECT_TRUE(reports(out, "seq04.txt:2: "));
}

TEST_F(QvkCheckTest, BadUsageExitsWithTwo) {
  check("--bogus");
  EXPECT_EQ(status, 2);
  check(game.file("no-such-directory"));
  EXPECT_EQ(status, 2);
  EXPECT_TRUE(reports(check("--help"), "usage: qvkcheck DIR"));
  EXPECT_EQ(status, 0);
}

}  // namespace
