// The move guide's mark, as the window takes it with every picture: the right move of the row
// whose window is open, and nothing on any other picture.
#include <map>

#include "scenario_support.h"

namespace {

// Every row wants another move; the last one offers an object, and its right move is still the
// correct one, not the object's.
const std::vector<std::string> kScene = {
    "30 d1 d1 d1 d1 d1 00",   // action
    "60 d1 00 d1 d1 d1 d1",   // up
    "90 d1 d1 d1 00 d1 d1",   // left
    "120 d1 d1 d1 d1 00 d1",  // right
    "150 d1 d1 00 d1 d1 d1",  // down
    "180 d1 t1 d1 d1 d1 00",  // action, the object up
};
const InputCode kRightMoves[] = {kInputAction, kInputUp,   kInputLeft,
                                 kInputRight,  kInputDown, kInputAction};

// Takes the guide as the window does: as each picture is drawn, on the thread that draws it.
struct GuideRecorder : FrameDrawer {
  void drawFrame(const uint8_t* format, int32_t formatSize, const uint8_t* frame,
                 int32_t frameSize) override {
    if (playback.openClipName == std::string("seq01.avi"))
      marks.push_back({playback.currentFrame, moveGuide()});
    else
      otherClipMarks += moveGuide() != kInputNone;
    next->drawFrame(format, formatSize, frame, frameSize);
  }
  struct Mark {
    int32_t frame;
    InputCode guide;
  };
  FrameDrawer* next = nullptr;
  std::vector<Mark> marks;  // the pictures of the scene: the clock's frame and the mark
  int otherClipMarks = 0;
};

// The mark the scene's pictures should carry at frame: a row's window is open from its trigger
// frame + 12 to 12 frames later.
InputCode expectedMark(int32_t frame) {
  for (size_t row = 0; row < kScene.size(); ++row) {
    int32_t opens = std::stoi(kScene[row]) + 12;
    if (frame >= opens && frame <= opens + 12) return kRightMoves[row];
  }
  return kInputNone;
}

class MoveGuide : public ScenarioTest {
 protected:
  void SetUp() override {
    ScenarioTest::SetUp();
    addScene("seq01", kScene, {0, 9999}, 240);
    addClip("seq01d1.avi", 24);
    addClip("seq01t1.avi", 24);
    addStandardClips();
    start();
    recorder.next = platform.drawer;
    platform.drawer = &recorder;
  }
  GuideRecorder recorder;
};

}  // namespace

TEST_P(MoveGuide, MarksTheRightMoveOnEveryPictureOfAnOpenWindowAndNoOther) {
  takeObjects = false;
  runGameCommand(kCommandNew);
  playPerfectly([&] { return at("seq01.avi", 230); });
  ASSERT_EQ(game.lives, 5);
  std::map<InputCode, int> shown;
  for (const auto& mark : recorder.marks) {
    EXPECT_EQ(mark.guide, expectedMark(mark.frame)) << "frame " << mark.frame;
    shown[mark.guide]++;
  }
  // Every window showed its mark on its pictures: 13 frames each.
  EXPECT_GE(shown[kInputUp], 13);
  EXPECT_GE(shown[kInputAction], 2 * 13);
  EXPECT_EQ(recorder.otherClipMarks, 0);
}

// The guide follows the judging: no mark while nothing is judged (the demo, judging switched
// off with F5), and the marks come back with F6.
TEST_P(MoveGuide, NoMarkWhileNothingIsJudged) {
  attractTick();
  ASSERT_EQ(game.demoActive, 1);
  runFrames(29);
  EXPECT_EQ(recorder.otherClipMarks, 0);  // the demo's pictures

  runGameCommand(kCommandNew);
  press(kKeyF5);
  runUntil("seq01.avi", 70);
  for (const auto& mark : recorder.marks) EXPECT_EQ(mark.guide, kInputNone) << mark.frame;
  press(kKeyF6);
  runUntil("seq01.avi", 84);
  EXPECT_EQ(recorder.marks.back().guide, kInputUp);
}

INSTANTIATE_TEST_SUITE_P(Clocks, MoveGuide, ::testing::Bool(), clockName);
