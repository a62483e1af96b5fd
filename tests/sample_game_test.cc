// The sample game that the build writes into build/game, played by the real game code on the
// headless platform, its frames decoded as the player draws them. For every scene and every
// window, in both clock modes, the player misses the window once: every picture shown while the
// window is open, and the one held while the death clip opens, must tell nothing of how the
// move went. The hero stands as he stood when the window opened, and no praise is written.
// The continue offer, left unanswered, ends on a picture that no longer asks for a key.
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <tuple>

#include "../tools/qvkgen/qvkgen.h"
#include "game/save_record.h"
#include "media/media.h"
#include "scenario_support.h"

namespace {

const std::string kGameDir = std::string(QVK_BINARY_DIR) + "/game";

// Where the hero is: the pixels of the colours that only he wears.
std::vector<bool> heroMask(const std::vector<uint32_t>& picture) {
  std::vector<bool> mask(picture.size());
  for (size_t i = 0; i < picture.size(); ++i)
    mask[i] = picture[i] == kColourRgb[kSkin] || picture[i] == kColourRgb[kTunic] ||
              picture[i] == kColourRgb[kHair];
  return mask;
}

// Whether the hero shows where he did not: a hazard passing in front of him only hides him.
bool heroMovedFrom(const std::vector<bool>& before, const std::vector<bool>& now) {
  for (size_t i = 0; i < now.size(); ++i)
    if (now[i] && !before[i]) return true;
  return false;
}

// Whether the picture holds a pixel of the colour: the praise, or a text of the continue offer.
bool shows(const std::vector<uint32_t>& picture, int colour) {
  return std::find(picture.begin(), picture.end(), kColourRgb[colour]) != picture.end();
}

// What the trace hook saw: the clips opened, each with the frame the clip before it had reached
// and the picture on screen as it opened.
struct OpenSeen {
  std::string line;
  int32_t currentFrame;
  std::vector<uint32_t> picture;
};
std::vector<OpenSeen> opensSeen;
HeadlessWindow* traceWindow = nullptr;

void recordOpen(const char* line) {
  if (!line || std::strncmp(line, "open ", 5) != 0) return;
  std::lock_guard<std::mutex> hold(traceWindow->lock);
  opensSeen.push_back({line + 5, playback.currentFrame, traceWindow->lastPicture});
}

// A scene, and whether the sound clock drives the game (or the frame timer).
using Case = std::tuple<std::string, bool>;

std::string caseName(const ::testing::TestParamInfo<Case>& info) {
  return std::get<0>(info.param) + (std::get<1>(info.param) ? "_SoundClock" : "_TimerClock");
}

// The game loaded from a saved game that starts a scene with some lives, on the headless
// platform over the sample game's files, with the frames decoded as the player draws them.
class SampleGameSession {
 protected:
  static bool gameWritten() { return access((kGameDir + "/seq01.avi").c_str(), R_OK) == 0; }

  void load(const std::string& scene, int32_t lives, bool soundClock) {
    base = scene;
    linkGameFiles();
    SaveRecord record = {};
    std::memcpy(record.scene, (base + ".avi").c_str(), base.size() + 4);
    record.lives = lives;
    uint8_t bytes[kSaveRecordSize];
    encodeSaveRecord(record, bytes);
    install.write("qvk.sav", std::string(bytes, bytes + kSaveRecordSize));

    resetGameState();
    opensSeen.clear();
    session = std::make_unique<HeadlessSession>();
    session->soundClock = soundClock;
    traceWindow = &session->window;
    traceHook = recordOpen;
    openHeadlessSession(*session, current.path(), install.path(), aviMediaLibrary());
    drawer.reset(makeDecodingFrameDrawer());
    platform.drawer = drawer.get();
    runGameCommand(kCommandLoad);
    ASSERT_EQ(std::string(playback.openClipName), base + ".avi");
  }

  void close() {
    if (!session) return;
    closeHeadlessSession(*session);
    traceHook = nullptr;
    traceWindow = nullptr;
  }

  // The picture drawn by the last pass, if it drew one.
  bool newPicture(std::vector<uint32_t>* picture) {
    std::lock_guard<std::mutex> hold(session->window.lock);
    if (session->window.pictures == pictures) return false;
    pictures = session->window.pictures;
    *picture = session->window.lastPicture;
    return true;
  }

  std::string base;
  TempDir current;
  TempDir install;
  std::unique_ptr<HeadlessSession> session;
  std::unique_ptr<FrameDrawer> drawer;
  int pictures = 0;

 private:
  // The current directory: the game's files, linked.
  void linkGameFiles() {
    for (const auto& entry : std::filesystem::directory_iterator(kGameDir))
      std::filesystem::create_symlink(entry.path(), current.file(entry.path().filename()));
  }
};

class SampleGame : public ::testing::TestWithParam<Case>, public SampleGameSession {
 protected:
  void SetUp() override {
    if (!gameWritten()) GTEST_SKIP() << "no sample game in " << kGameDir;
    load(std::get<0>(GetParam()), kStartLives, std::get<1>(GetParam()));
  }
  void TearDown() override { close(); }
};

TEST_P(SampleGame, NothingUpToTheVerdictTellsHowTheMoveWent) {
  const std::vector<MoveLine> moves = readMoves(current.read(base + ".txt"));
  const int rows = int(moves.size());
  ASSERT_GT(rows, 0);

  const std::string sceneClip = base + ".avi", deathClip = base + "d";
  int sceneFrom = 0;  // the frame the scene was opened at last: the windows after it are played
  // The row whose window holds frame, -1 for none.
  auto windowAt = [&](int frame) {
    for (int r = 0; r < rows; ++r)
      if (moves[r].opens() > sceneFrom && moves[r].opens() <= frame && frame <= moves[r].closes())
        return r;
    return -1;
  };
  std::map<int, std::vector<bool>> heroAtWindowOpen;  // by row, this time its window is open
  std::vector<bool> moveShown(rows, false);           // a passed row's move was seen acted out
  bool praiseShown = false;
  int target = 0;  // the row to miss next; the rows before it are passed
  int pressedRow = -1;
  size_t opensHandled = 0;
  for (int64_t pass = 0; target < rows; ++pass) {
    ASSERT_LT(pass, 10 * 12 * 3600) << "row " << target << " of " << base << " never missed";
    if (std::string(playback.openClipName) == "cont.avi" && pressedRow != -2) {
      keyboardHookProc(kKeySpace);  // continue
      pressedRow = -2;
    }
    bool inScene = std::string(playback.openClipName) == sceneClip;
    int r = inScene ? windowAt(playback.currentFrame) : -1;
    if (r >= 0 && r < target && pressedRow != r) {
      keyboardHookProc(moves[r].correctKey);
      pressedRow = r;
    }

    runHeadlessPass(*session);

    for (; opensHandled < opensSeen.size(); ++opensHandled) {
      const OpenSeen& open = opensSeen[opensHandled];
      pressedRow = -1;
      if (open.line.rfind(sceneClip + " ", 0) == 0)
        sceneFrom = std::stoi(open.line.substr(sceneClip.size() + 1));
      if (open.line.rfind(deathClip, 0) == 0) {
        // The death clip opens at the verdict of the row missed, the last frame of its window,
        // over the picture shown then.
        ASSERT_EQ(open.currentFrame, moves[target].closes())
            << open.line << ": a death where row " << target << " was not due";
        ASSERT_EQ(heroAtWindowOpen.count(target), 1u);
        EXPECT_FALSE(shows(open.picture, kPraise))
            << base << " row " << target << ": praise held on screen as " << open.line;
        EXPECT_TRUE(heroMask(open.picture) == heroAtWindowOpen[target])
            << base << " row " << target << ": the hero has moved in the picture held as "
            << open.line;
        ++target;
      }
      heroAtWindowOpen.clear();
    }

    std::vector<uint32_t> picture;
    if (!newPicture(&picture)) continue;
    praiseShown = praiseShown || shows(picture, kPraise);
    if (std::string(playback.openClipName) != sceneClip) continue;
    int32_t frame = playback.currentFrame;
    std::vector<bool> hero = heroMask(picture);
    if (r = windowAt(frame); r >= 0) {
      // The window of row r is open, or has just closed with its verdict still to come.
      EXPECT_FALSE(shows(picture, kPraise))
          << base << " row " << r << ": praise at currentFrame " << frame << " in the window";
      auto [opening, first] = heroAtWindowOpen.try_emplace(r, hero);
      EXPECT_TRUE(first || opening->second == hero)
          << base << " row " << r << ": the hero moves at currentFrame " << frame
          << ", before the verdict";
      continue;
    }
    // A row passed within the last second: its move shows.
    for (int q = 0; q < rows; ++q)
      if (moves[q].closes() < frame && frame <= moves[q].closes() + 12 &&
          heroAtWindowOpen.count(q) && heroMovedFrom(heroAtWindowOpen[q], hero))
        moveShown[q] = true;
  }

  // The checks above can see what they look for: the praise and the moves show after passes.
  EXPECT_TRUE(praiseShown) << base << ": no praise anywhere";
  for (int r = 0; r + 1 < rows; ++r)
    EXPECT_TRUE(moveShown[r]) << base << " row " << r << ": the move made never showed";
}

// The game's scenes and their mirror images, by base name.
std::vector<std::string> sceneBases() {
  std::vector<std::string> bases;
  for (const SceneStep& step : kSceneOrder)
    for (const char* scene : {step.scene, step.mirror})
      if (scene) bases.push_back(std::string(scene, kSceneBaseLength));
  return bases;
}
const std::vector<std::string> kScenes = sceneBases();

INSTANTIATE_TEST_SUITE_P(EveryScene, SampleGame,
                         ::testing::Combine(::testing::ValuesIn(kScenes), ::testing::Bool()),
                         caseName);

// The continue offer is written in white, gold and yellow: the count, "PRESS ANY KEY" and
// "CONTINUE?".
bool asksForAKey(const std::vector<uint32_t>& picture) {
  return shows(picture, kWhite) || shows(picture, kGold) || shows(picture, kYellow);
}

// With the sound clock, where the last picture of a clip stays a second while the next opens.
class SampleGameContinue : public ::testing::Test, public SampleGameSession {
 protected:
  void SetUp() override {
    if (!gameWritten()) GTEST_SKIP() << "no sample game in " << kGameDir;
    load("seq01", 1, true);
  }
  void TearDown() override { close(); }
};

TEST_F(SampleGameContinue, AnOfferLeftUnansweredEndsOnAPictureThatAsksForNoKey) {
  // The last life is lost at the first window, missed; the offer follows the death clip.
  bool offerShown = false;
  std::vector<uint32_t> held;  // as gameover.avi opens
  for (int64_t pass = 0; held.empty(); ++pass) {
    ASSERT_LT(pass, 10 * 12 * 600) << "no game over";
    runHeadlessPass(*session);
    std::vector<uint32_t> picture;
    if (newPicture(&picture) && std::string(playback.openClipName) == "cont.avi")
      offerShown = offerShown || asksForAKey(picture);
    for (const OpenSeen& open : opensSeen)
      if (open.line == "gameover.avi 0") held = open.picture;
  }
  EXPECT_TRUE(offerShown);
  EXPECT_FALSE(asksForAKey(held))
      << "the picture held while gameover.avi opens still offers to continue";
}

}  // namespace
