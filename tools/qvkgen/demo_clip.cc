// The attract-mode demo: the title, how to play, and a piece of the first scene played well.
#include <algorithm>

#include "qvkgen.h"

constexpr int kTitleEnd = 56;
constexpr int kHowToEnd = 120;
constexpr int kPlayFrom = 20;  // the piece of the first scene starts as its first hazard comes

static void drawTitlePage(Picture& p, const Scene& first, int f) {
  drawBackground(p, first.design->theme, f * 2);
  drawHero(p, kHeroX, kGroundY, (f / 3) % 2 ? kWalkA : kWalkB);
  fillRect(p, 6, 30, kWidth - 12, 80, kNavy);
  drawTextCentred(p, kWidth / 2, 44, "QUARNVALE II", 4, kGold);
  drawTextCentred(p, kWidth / 2, 86, "AN INTERACTIVE MOVIE QUEST", 1, kWhite);
  drawPanel(p, kNavy);
  drawTextCentred(p, kWidth / 2, kPanelY + 12, "GAME > NEW TO PLAY", 2,
                  (f / 6) % 2 ? kWhite : kYellow);
}

static void drawHowToPage(Picture& p) {
  fillRect(p, 0, 0, kWidth, kHeight, kNavy);
  drawTextCentred(p, kWidth / 2, 12, "HOW TO PLAY", 2, kGold);
  struct Row {
    Move move;
    const char* text;
  };
  const Row rows[] = {{kUp, "UP: JUMP OVER WHAT ROLLS"},
                      {kDown, "DOWN: DUCK WHAT FLIES"},
                      {kLeft, "LEFT, RIGHT: STEP ASIDE"},
                      {kAction, "SPACE: STRIKE MONSTERS"}};
  int y = 50;
  for (const Row& row : rows) {
    drawCue(p, row.move, 50, y + 4, 20, kWhite);
    if (row.move == kLeft) drawCue(p, kRight, 74, y + 4, 20, kWhite);
    drawText(p, 92, y, row.text, 1, kWhite);
    y += 28;
  }
  drawCue(p, kUp, 50, y + 4, 20, kGold);
  drawText(p, 92, y, "GOLD CUE: TAKE THE TREASURE ONCE", 1, kGold);
  drawTextCentred(p, kWidth / 2, 206, "MOVE WHILE THE CUE FLASHES!", 1, kYellow);
  drawTextCentred(p, kWidth / 2, 222, "A MISSED TREASURE BRINGS YOU BACK", 1, kLightBlue);
}

AviClip renderDemoClip() {
  const Scene first = allScenes().front();
  const std::vector<int> scroll = sceneScroll(first);
  AviClip clip = newClip();
  Picture p;
  for (int f = 0; f < kDemoFrames; ++f) {
    if (f < kTitleEnd) {
      drawTitlePage(p, first, f);
    } else if (f < kHowToEnd) {
      drawHowToPage(p);
    } else {
      drawSceneFrame(p, first, scroll, kPlayFrom + f - kHowToEnd);
      drawTitleBar(p, "DEMO", "GAME > NEW TO PLAY");
    }
    addFrame(clip, p);
  }

  // The title's music, then the scene's own sound for the piece that is shown.
  SoundTrack track = makeTrack(kDemoFrames);
  addFanfare(track, 0.1, -9, 0.14);
  addMusic(track, first.design->theme.tune, 12, kHowToEnd);
  SoundTrack scene = sceneSound(first);
  size_t from = static_cast<size_t>(frameTime(kPlayFrom) * kSampleRate);
  size_t to = static_cast<size_t>(frameTime(kHowToEnd) * kSampleRate);
  for (size_t s = to; s < track.left.size() && from + s - to < scene.left.size(); ++s) {
    track.left[s] = scene.left[from + s - to];
    track.right[s] = scene.right[from + s - to];
  }
  clip.sound = toPcm(track, kDemoFrames);
  return clip;
}
