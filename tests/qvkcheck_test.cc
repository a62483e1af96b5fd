// qvkcheck against small games damaged on purpose: each kind of fault is reported with its file
// and line in the authoring guide's words, and a sound game gives no output and exit status 0.
#include <sys/stat.h>
#include <sys/wait.h>

#include <filesystem>
#include <random>

#include "avi_test_support.h"
#include "media/media.h"
#include "test_support.h"

namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;

const char* const kScenes[] = {"seq01", "seq02", "seq03", "seq04", "seq05", "seq06", "seq07",
                               "seq08", "seq12", "seq13", "seq14", "seq15", "seq16", "seq17"};
const char* const kGameClips[] = {"4lives.avi", "3lives.avi",  "2lives.avi",
                                  "1lives.avi", "cont.avi",    "gameover.avi",
                                  "missed.avi", "credits.avi", "demo.avi"};
constexpr int kSceneFrames = 72;  // one move at frame 40: its window closes at 52 (+12 counted)
constexpr int kClipFrames = 20;
const char kRow[] = "  40  d1   00   d1   d1   d1   d1\r\n";
const char kHotspots[] = "0\r\n9999\r\n";
const char kDataHome[] = "data-home";  // in the game's directory, which the checker ignores

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

void replaceClip(const TempDir& game, const std::string& name, const AviClip& clip) {
  fs::remove(game.file(name));
  writeClip(game.file(name), clip);
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
    fs::copy(sound->path(), game.path(),
             fs::copy_options::recursive | fs::copy_options::overwrite_existing);
  }

  // Runs qvkcheck on the test's game: its output, and its exit status in status. The player's
  // install directory is data-home/qvk in the game's directory, empty unless a test fills it.
  std::string check(const std::string& arguments = "") {
    int result = -1;
    std::string output = commandOutput(
        "XDG_DATA_HOME=" + game.file(kDataHome) + " " + QVK_PROGRAM_DIR + "/qvkcheck " +
            (arguments.empty() ? game.path() : arguments) + " 2>/dev/null",
        &result);
    status = WIFEXITED(result) ? WEXITSTATUS(result) : -1;
    return output;
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

::testing::AssertionResult lacks(const std::string& output, const std::string& text) {
  if (output.find(text) == std::string::npos) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "\"" << text << "\" in:\n" << output;
}

// A sound game gives no output and status 0; bad usage gives status 2.
TEST_F(QvkCheckTest, SoundGameGivesNoOutputAndStatusZeroAndBadUsageTwo) {
  EXPECT_EQ(check(), "");
  EXPECT_EQ(status, 0);
  check("--bogus");
  EXPECT_EQ(status, 2);
  check(game.file("no-such-directory"));
  EXPECT_EQ(status, 2);
  EXPECT_TRUE(reports(check("--help"), "Usage: qvkcheck DIR"));
  EXPECT_EQ(status, 0);
}

// One way to damage the sound game, and what the checker must say about it.
struct Damage {
  const char* behaviour;  // the test's name
  void (*damage)(const TempDir& game);
  std::vector<std::string> reports;  // texts the output holds, each a whole line or its start
  int status = 1;
  std::vector<std::string> absent = {};  // texts it does not hold: one finding for one fault
};

// The moves of a move file, one line each at 40, 60, 80 and so on.
std::string moveLines(int count) {
  std::string text;
  for (int row = 0; row < count; ++row)
    text += std::to_string(40 + 20 * row) + "  d1   00   d1   d1   d1   d1\r\n";
  return text;
}

const Damage kDamages[] = {
    {"LinesOutOfOrderTooCloseOrOverTheLimitsAndMovesMiscounted",
     [](const TempDir& game) {
       // The last window of seq03 closes far beyond its end; the windows of seq04 overlap.
       game.write("seq03.txt", "2147483630  d1   00   d1   d1   d1   d1\r\n");
       game.write("seq04.txt",
                  "2147483640  d1   00   d1   d1   d1   d1\r\n"
                  "2147483645  d1   00   d1   d1   d1   d1\r\n");
       game.write("seq06.txt", std::string(kRow) + "  30  d1   00   d1   d1   d1   d1\r\n" +
                                   "  42  d1   00   d1   d1   d1   d1\r\n");
       game.write("seq07.txt",
                  "  40  d1   d1   d1   d1   d1   d1\r\n"
                  "  80  d1   00   00   d1   d1   d1\r\n"
                  " 120  00   00   d1   d1   d1   d1\r\n");
       for (const char* clip : {"seq12t1.avi", "seq12t2.avi"})
         writeClip(game.file(clip), blankClip(kClipFrames));
       game.write("seq12.txt",
                  "  40  d1   00   t1   t2   d1   d1\r\n"
                  "  80  t1   00   d1   d1   d1   d1\r\n");
       game.write("seq16.txt", moveLines(100));
       std::string text;
       for (int line = 0; line < 101; ++line) text += std::to_string(line * 100) + "\r\n";
       game.write("seq01.hot", text);
       game.write("seq02.hot", "0\r\n70\r\n");
       game.write("seq03.hot", "0\r\n68\r\n66\r\nnone\r\n9999\r\n");
       game.write("seq04.hot", "");
       game.write("seq05.hot", "80\r\n9999\r\n");
     },
     {"seq03.txt:1: ", "seq04.txt:2: ",
      "seq06.txt:2: frame 30 does not follow frame 40: the lines must be in ascending frame "
      "order\n",
      "seq06.txt:3: warning: its window (frames 42 to 54) overlaps the window of line 2 (frames "
      "30 to 42); leave at least 13 frames between two moves\n",
      "seq07.txt:1: no correct move: write \"00\" in the column of the key the player must "
      "press\n",
      "seq07.txt:2: 2 correct moves (\"00\"); a line has exactly one\n",
      "seq07.txt:3: \"00\" in the no-move column: when no key is pressed the player opens a file "
      "named \"x\"; name a death clip there\n",
      "seq12.txt:1: 2 objects (tokens starting with t); a line offers at most one\n",
      "seq12.txt:2: warning: the no-move column names the object clip seq12t1.avi: when no key "
      "is pressed it plays as a death and costs a life; name a death clip there unless that is "
      "meant\n",
      "seq16.txt:100: the player reads only the first 99 moves of a move file and ignores this "
      "line and the rest; a scene has at most 99 moves\n",
      "seq01.hot:101: the player reads only the first 100 lines of a hotspot file and ignores "
      "this line and the rest; keep a scene to 99 checkpoints and the 9999 line\n",
      "seq02.hot:2: the last line must lie above the scene's last frame (71), or the player "
      "runs past the end of the list and, after a death, replays the scene from frame 0; end "
      "the file with 9999\n",
      "seq03.hot:3: frame 66 does not follow frame 68: the lines must be in ascending frame "
      "order\n",
      "seq03.hot:4: no frame number: the player counts it as a checkpoint at frame 0; write a "
      "frame or delete the line\n",
      "seq04.hot: empty: write the frame the scene starts at (0) on the first line and 9999 on "
      "the last\n",
      "seq05.hot:1: the start frame 80 lies beyond the scene's last frame (71); the first line "
      "is the frame the scene starts at, usually 0\n"}},
    {"OneSceneGameIsAcceptedWithANote",
     [](const TempDir& game) {
       for (const char* base : kScenes)
         for (const char* ext : {".avi", ".txt", ".hot", "d1.avi"})
           if (std::string(base) != "seq01") fs::remove(game.file(base + std::string(ext)));
     },
     {"seq02, seq03, seq04, seq05, seq06, seq07, seq08, seq12, seq13, seq14, seq15, seq16, seq17: "
      "note: not made yet (none of their .avi, .txt and .hot files is here). A game ends after "
      "seq01 without the credits, which follow seq08 alone: the player shows three messages, "
      "\"Move file not found\", \"Hotspot file not found\" and \"File: seq02.avi not found.\" (or "
      "seq12.avi, as the coin falls), and the game ends there, back at the title\n"},
     0},
    {"SceneWithoutItsMirrorIsAProblemAndTheGameEndsWhereScenesStop",
     [](const TempDir& game) {
       for (const char* base : {"seq04", "seq05", "seq06", "seq07", "seq08", "seq13", "seq14",
                                "seq15", "seq16", "seq17"})
         for (const char* ext : {".avi", ".txt", ".hot", "d1.avi"})
           fs::remove(game.file(base + std::string(ext)));
     },
     {"seq13: missing: seq03 is made but not seq13, which the coin picks instead half the time "
      "(none of seq13.avi, seq13.txt and seq13.hot is here); then the player shows three "
      "messages, \"Move file not found\", \"Hotspot file not found\" and \"File: seq13.avi not "
      "found.\", and the game ends there, back at the title. Make seq13, seq03 mirrored as the "
      "authoring guide shows, or remove seq03's files\n",
      "seq04, seq05, seq06, seq07, seq08, seq14, seq15, seq16, seq17: note: not made yet (none of "
      "their .avi, .txt and .hot files is here). A game ends after seq03 or seq13 without the "
      "credits, which follow seq08 alone: the player shows three messages, \"Move file not "
      "found\", \"Hotspot file not found\" and \"File: seq04.avi not found.\" (or seq14.avi, as "
      "the coin falls), and the game ends there, back at the title\n"}},
    {"InstalledMoveAndHotspotFilesThatOverrideTheGamesAreNoted",
     [](const TempDir& game) {
       fs::create_directories(game.file(kDataHome) + "/qvk/SEQ03.HOT");  // no file: not read
       for (const char* name : {"SEQ01.TXT", "seq12.hot", "QVKAVI.EXE", "seq1.txt"})
         game.write(std::string(kDataHome) + "/qvk/" + name, kRow);
     },
     {"/data-home/qvk/SEQ01.TXT: note: the player reads this file instead of the game's own in "
      "every game this user plays (the patch installer puts such files there); remove it to play "
      "the game as it is made\n",
      "/data-home/qvk/seq12.hot: note: the player reads this file"},
     0,
     {"SEQ03.HOT", "QVKAVI.EXE", "seq1.txt"}},
    {"TrailingBlankLineIsOneFinding",
     [](const TempDir& game) {
       // Credits and demo longer than a move at frame 0 allows, within the one at 40.
       replaceClip(game, "credits.avi", blankClip(40));
       replaceClip(game, "demo.avi", blankClip(40));
       game.write("seq01.txt", std::string(kRow) + "\r\n");
     },
     {"seq01.txt:2: blank line: the player reads it as a move at frame 0 whose every clip is the "
      "scene itself; delete it\n"},
     1,
     {"credits.avi", "demo.avi", "does not follow"}},
    {"NamesThatAreNoPlainFilesAreMissingToThePlayer",
     [](const TempDir& game) {
       fs::remove(game.file("seq02.txt"));
       fs::create_directory(game.file("seq02.txt"));
       fs::remove(game.file("seq03.hot"));
       ASSERT_EQ(mkfifo(game.file("seq03.hot").c_str(), 0644), 0);
       fs::remove(game.file("seq04.txt"));
       fs::create_symlink("/dev/urandom", game.file("seq04.txt"));
       fs::remove(game.file("seq05d1.avi"));
       fs::create_symlink(game.file("nowhere"), game.file("seq05d1.avi"));
     },
     {"seq02.txt: is a directory, not a plain file: the player reads only plain files and takes "
      "it for missing; put the file itself there\n",
      "seq03.hot: is a named pipe, not a plain file:", "seq04.txt: is a link to a device, not",
      "seq05d1.avi: is a link that leads nowhere, not"}},
    {"LinesWithANulByteKeepTheirNumbersAndLength",
     [](const TempDir& game) {
       game.write("seq06.txt", "  40  d1   00\0  d1   d1   d1   d1\r\n"s +
                                   "  52  d1   00   d1\r\n" + "  64  d1\0x"s +
                                   std::string(120, ' ') + "\r\n  76  d1   00   d1   d1\r\n");
       // Nothing after the NUL: the player reads the whole line.
       game.write("seq07.txt", "  40  d1   00   d1   d1   d1   d1\0\r\n"s);
       game.write("seq08.hot", "0\r\n\0 60\r\n9999\r\n"s);
     },
     {"seq06.txt:1: holds a NUL byte (character 0): the player reads nothing of the line after "
      "it; delete it\n",
      "seq06.txt:2: has 4 items;", "seq06.txt:3: holds a NUL byte",
      "seq06.txt:3: longer than 126 characters", "seq06.txt:4: has 5 items;",
      "seq08.hot:2: holds a NUL byte"},
     1,
     {"seq06.txt:1: has", "seq06.txt:3: has", "seq06.txt:3: blank", "seq07.txt",
      "seq08.hot:2: no frame"}},
    {"MissingFilesAndNamesThatDifferOnlyInCase",
     [](const TempDir& game) {
       fs::remove(game.file("seq05.avi"));
       fs::remove(game.file("seq13.txt"));
       fs::remove(game.file("seq17.hot"));
       fs::remove(game.file("seq01.hot"));
       fs::remove(game.file("2lives.avi"));
       fs::remove(game.file("missed.avi"));
       game.write("seq03.txt", std::string(kRow) + "  90  d2   d1   t1   00   d1   d1\r\n");
       fs::rename(game.file("seq02.hot"), game.file("SEQ02.HOT"));
       fs::rename(game.file("seq04d1.avi"), game.file("Seq04D1.avi"));
     },
     {"seq05.avi: missing: scene seq05 is begun but has no video; make it, or remove the scene's "
      "other files to leave it unmade\n",
      "seq13.txt: missing: scene seq13 is begun but has no move file;",
      "seq17.hot: missing: scene seq17 is begun but has no hotspot file;",
      "seq01.hot: missing: every game starts with scene seq01, and it needs its hotspot file\n",
      "2lives.avi: missing: the player plays it after a death that leaves 2 lives; make it\n",
      "missed.avi: missing: the player plays it before a scene whose object was passed by is "
      "played again; make it\n",
      "seq03.txt:2: the no-move column names seq03d2.avi, which is missing; make it, or change "
      "the token\n",
      "seq03.txt:2: the down column names seq03t1.avi, which is missing;",
      "SEQ02.HOT: differs from seq02.hot, as the game names it, only in case; rename it\n",
      "Seq04D1.avi: differs from seq04d1.avi"}},
    {"MisshapenLinesAndScenesThatEndTooSoon",
     [](const TempDir& game) {
       game.write("seq14.txt", std::string(kRow) + "\r\n  90  d1   00   d1\r\n x\r\n");
       game.write("seq16.txt",
                  "  40  d1   00   d1   d1   d1   d1" + std::string(120, ' ') + "\r\n");
       game.write("seq15.txt", "  40  " + std::string(31, 'd') + "   00   d1   d1   d1   d1\r\n");
       replaceClip(game, "seq06.avi", blankClip(66));
       game.write("infile.txt", "  \r\n");
     },
     {"seq14.txt:2: blank line: the player reads it as a move at frame 0 whose every clip is the "
      "scene itself; delete it\n",
      "seq14.txt:3: has 4 items; a line is a frame and six tokens (no move, up, down, left, "
      "right, action)\n",
      "seq14.txt:4: does not start with a frame number: begin the line with the frame where the "
      "move's cue starts\n",
      "seq16.txt:1: longer than 126 characters: the player reads it in pieces and makes a move "
      "of each; shorten it\n",
      "seq15.txt:1: token " + std::string(31, 'd') +
          " makes the clip name 40 characters long; at most 39 fit: shorten it\n",
      "seq06.txt:1: seq06.avi has 66 frames; a scene must run on at least 30 frames past its "
      "last move (frame 40), or the player may end it before that move's window has closed: "
      "make it at least 70 frames long\n",
      "infile.txt:1: names no start scene: write the scene's file name (seq01.avi) on the first "
      "line, or delete the file\n"}},
    {"ClipsInAnotherFormatOrWithFramesTooLargeTooFewDamagedOrDelta",
     [](const TempDir& game) {
       AviClip small = blankClip(kClipFrames);
       small.width = 160;
       small.height = 120;
       small.frames.assign(kClipFrames, std::vector<uint8_t>(160 * 120, 0));
       replaceClip(game, "seq04d1.avi", small);
       AviClip fast = blankClip(kClipFrames);
       fast.framesPerSecond = 15;
       replaceClip(game, "cont.avi", fast);
       // The writer makes only the game's sound format; another is patched into the header.
       std::string bytes = game.read("gameover.avi");
       size_t at = bytes.find(std::string("\x01\x00\x02\x00\x22\x56\x00\x00", 8));
       ASSERT_NE(at, std::string::npos);
       bytes[at + 4] = '\x11';  // 11025 Hz
       bytes[at + 5] = '\x2B';
       game.write("gameover.avi", bytes);
       AviClip noisy = blankClip(kClipFrames);
       std::mt19937 random(7);
       for (uint8_t& pixel : noisy.frames[5]) pixel = static_cast<uint8_t>(random());
       replaceClip(game, "seq05d1.avi", noisy);
       replaceClip(game, "missed.avi", blankClip(8));
       std::string credits = game.read("credits.avi");
       game.write("credits.avi", credits.substr(0, credits.size() * 2 / 3));
       game.write("1lives.avi", "not a clip at all");
       AviClip scene = blankClip(kSceneFrames);
       scene.keyFrameInterval = 0;
       replaceClip(game, "seq08.avi", scene);
       game.write("infile.txt", "seq09.avi\r\n");
     },
     {"seq04d1.avi: picture is 160x120, demo.avi's 320x240; make it again as the authoring guide "
      "shows\n",
      "cont.avi: runs at 15 frames a second, demo.avi's at 12; make it again",
      "gameover.avi: sound is PCM stereo 8-bit 11025 Hz, demo.avi's PCM stereo 8-bit 22050 Hz; "
      "make it again",
      "seq05d1.avi: 1 frame over 30000 bytes, the first frame 5 (",
      "bytes): the player cannot show such a frame; make the clip again with less detail (a "
      "blur) or with Cinepak, as the authoring guide shows\n",
      "missed.avi: only 8 frames: every clip needs at least 12 (one second); make it longer\n",
      "credits.avi: has no usable index (damaged or cut short?)",
      "1lives.avi: not an AVI file the player can read; make it again as the authoring guide "
      "shows\n",
      "seq08.avi: warning: only 1 of its 72 frames are key frames: a replay from a checkpoint "
      "that is none shows traces of the clip before; make it again with every frame a key "
      "frame, as the authoring guide shows\n",
      "infile.txt:1: names seq09.avi, which is not a scene of the game, so the player starts "
      "with seq01.avi; name a scene, such as seq05.avi\n"}},
    {"DemoOutsideTheGameFormat",
     [](const TempDir& game) {
       AviClip demo = blankClip(kClipFrames);
       demo.framesPerSecond = 10;
       replaceClip(game, "demo.avi", demo);
     },
     // The other clips are compared with demo.avi.
     {"demo.avi: runs at 10 frames a second, the game's at 12; make it again",
      "seq01.avi: runs at 12 frames a second, demo.avi's at 10; make it again"}},
    {"ClipsJudgedOrStartingAgainAndCheckpointsInAWindowAreWarnings",
     [](const TempDir& game) {
       replaceClip(game, "seq07d1.avi", blankClip(60));
       replaceClip(game, "3lives.avi", blankClip(56));
       replaceClip(game, "credits.avi", blankClip(70));
       replaceClip(game, "demo.avi", blankClip(70));
       game.write("seq13.hot", "0\r\n58\r\n9999\r\n");
       game.write("seq14.hot", "44\r\n9999\r\n");
     },
     {"seq07d1.avi: warning: 60 frames: the player counts a clip's frames against the scene's "
      "moves, and from frame 52 of this clip it judges the move of seq07.txt line 1 (frame 40, "
      "plus 12); keep the clip under 52 frames\n",
      "3lives.avi: warning: 56 frames:",
      "credits.avi: warning: 70 frames: it plays over the moves of seq01.txt, and past frame 64 "
      "(its last move, line 1, frame 40, plus 24) the credits start again instead of ending the "
      "game; keep it to 64 frames\n",
      "demo.avi: warning: 70 frames: it plays over the moves of seq01.txt, and past frame 64 "
      "(its last move, line 1, frame 40, plus 24) the demo goes on with the scene instead of "
      "ending; keep it to 64 frames\n",
      "seq13.hot:2: warning: checkpoint 58 is passed (a second before the picture gets there) "
      "while the window of seq13.txt line 1 (frame 40) is open, so a death there replays "
      "without that move; put the checkpoint at least 25 frames after the move\n",
      "seq14.hot:1: warning: a replay from checkpoint 44 starts after the window of seq14.txt "
      "line 1 (frame 40) has opened, and misses part of it; put the checkpoint at or before the "
      "move's frame\n"}},
    {"DemoIsMeasuredAgainstTheStartSceneOfInfile",
     [](const TempDir& game) {
       replaceClip(game, "demo.avi", blankClip(50));  // within seq01's 64 frames
       game.write("infile.txt", "seq03.avi\r\n");
       game.write("seq03.txt", "  10  d1   00   d1   d1   d1   d1\r\n");
     },
     {"demo.avi: warning: 50 frames: it plays over the moves of seq03.txt, and past frame 34"}},
};

void PrintTo(const Damage& damage, std::ostream* out) {
  *out << damage.behaviour;
}

class QvkCheckDamage : public QvkCheckTest, public ::testing::WithParamInterface<Damage> {};

// Words of the player's insides that an author never meets in the guide.
const char* const kInsideWords[] = {"currentFrame", "end row", " row", "slot", "table"};

TEST_P(QvkCheckDamage, IsReportedInTheGuidesWords) {
  GetParam().damage(game);
  std::string out = check();
  for (const std::string& text : GetParam().reports) EXPECT_TRUE(reports(out, text));
  for (const std::string& text : GetParam().absent) EXPECT_TRUE(lacks(out, text));
  for (const char* word : kInsideWords) EXPECT_EQ(out.find(word), std::string::npos) << out;
  EXPECT_EQ(status, GetParam().status) << out;
}

INSTANTIATE_TEST_SUITE_P(Checks, QvkCheckDamage, ::testing::ValuesIn(kDamages),
                         [](const auto& test) { return std::string(test.param.behaviour); });

}  // namespace
