// A scene: the hero walks in, meets each beat's hazard, and walks out. The world is drawn
// straight and flipped for a mirrored scene; the texts are drawn last, so they stay readable.
#include <algorithm>

#include "qvkgen.h"

constexpr int kIntroFrames = 20;  // the hero walks in
constexpr int kTitleFrames = 20;  // the title card
constexpr int kWalkSpeed = 2;     // pixels of scroll per frame of walking

// The beat whose window or move is on at frame f (the later one when two are), or -1.
static int activeBeat(const Scene& scene, int f) {
  int found = -1;
  for (int i = 0; i < scene.beats(); ++i) {
    int phase = f - scene.trigger(i);
    if (phase >= 0 && phase < kBeatFrames) found = i;
  }
  return found;
}

static bool inOutro(const Scene& scene, int f) {
  return f >= scene.trigger(scene.beats() - 1) + kBeatFrames;
}

std::vector<int> sceneScroll(const Scene& scene) {
  std::vector<int> scroll(scene.length() + 1, 0);
  for (int f = 0; f < scene.length(); ++f) {
    bool walking = f >= kIntroFrames && !inOutro(scene, f) && activeBeat(scene, f) < 0;
    scroll[f + 1] = scroll[f] + (walking ? kWalkSpeed : 0);
  }
  return scroll;
}

static HeroState heroInScene(const Scene& scene, int f) {
  Pose walk = (f / 3) % 2 ? kWalkA : kWalkB;
  if (f < kIntroFrames) return {kHeroX - (kIntroFrames - f) * 5, 0, walk};
  if (inOutro(scene, f)) {
    int out = f - (scene.trigger(scene.beats() - 1) + kBeatFrames);
    return {kHeroX + out * 20, 0, walk};
  }
  int beat = activeBeat(scene, f);
  if (beat < 0) return {kHeroX, 0, walk};
  return heroDuringBeat(scene.design->beats[beat].move, f - scene.trigger(beat), f);
}

static void drawObjects(Picture& p, const Scene& scene, const std::vector<int>& scroll, int f) {
  for (int i = 0; i < scene.beats(); ++i) {
    const Beat& beat = scene.design->beats[i];
    int t = scene.trigger(i), phase = f - t;
    if (beat.object == kNoMove || phase < -kApproachFrames) continue;
    int x, y;
    objectPlace(beat.object, &x, &y);
    x += scroll[t] - scroll[f];  // it lies on the ground and moves with it
    if (x < -20) continue;
    drawObject(p, beat.object, x, y, f);
    if (phase >= 0 && phase < kCueFrames) {
      uint8_t colour = (phase / 2) % 2 ? kYellow : kGold;
      if (beat.object == kUp)
        drawCue(p, beat.object, x + 28, y + 2, 20, colour);
      else
        drawCue(p, beat.object, x, y - 30, 20, colour);
    }
  }
}

static void drawSceneWorld(Picture& p, const Scene& scene, const std::vector<int>& scroll, int f) {
  const Theme& theme = scene.design->theme;
  drawBackground(p, theme, scroll[f]);
  drawObjects(p, scene, scroll, f);
  HeroState hero = heroInScene(scene, f);
  drawHero(p, hero.x, kGroundY + hero.lift, hero.pose);
  for (int i = 0; i < scene.beats(); ++i) {
    int phase = f - scene.trigger(i);
    if (phase >= -kApproachFrames && phase < kBeatFrames)
      drawHazard(p, theme, scene.design->beats[i].move, phase, f);
    if (phase >= 0 && phase < kCueFrames) {
      // Above the hero, or for a weight from above, over the place to step to.
      Move move = scene.design->beats[i].move;
      uint8_t colour = (phase / 2) % 2 ? kYellow : kWhite;
      if (move == kLeft || move == kRight)
        drawCue(p, move, kHeroX + (move == kLeft ? -kDodgeStep : kDodgeStep), 130, 32, colour);
      else
        drawCue(p, move, kHeroX, 70, 40, colour);
    }
  }
}

static std::string sceneTitle(const Scene& scene) {
  return "SCENE " + std::to_string(scene.design->number) + ": " + scene.design->title;
}

// One message at a time: the cue of an open window first, then the warning of a hazard on its
// way, then the praise for a move made, once the move shows.
static void drawBeatTexts(Picture& p, const Scene& scene, int f) {
  const int line1 = kPanelY + 5, line2 = kPanelY + 23;
  int window = -1, coming = -1, done = -1;
  for (int i = 0; i < scene.beats(); ++i) {
    int phase = f - scene.trigger(i);
    if (phase >= 0 && phase < kCueFrames) window = i;
    if (phase >= -kApproachFrames && phase < 0) coming = i;
    if (phase >= kOutcomePhase && phase <= kOutcomePhase + kResolveFrames) done = i;
  }
  if (window >= 0) {
    int phase = f - scene.trigger(window);
    Move move = scene.move(window), object = scene.object(window);
    drawTextCentred(p, kWidth / 2, line1, moveVerb(move), 2, (phase / 2) % 2 ? kYellow : kWhite);
    std::string press = std::string("PRESS ") + moveKeyName(move);
    if (object == kNoMove)
      drawTextCentred(p, kWidth / 2, line2, press, 1, kWhite);
    else
      drawTextCentred(p, kWidth / 2, line2,
                      press + "  -  TREASURE: " + moveKeyName(object) + ", ONCE ONLY", 1, kGold);
  } else if (coming >= 0) {
    drawTextCentred(p, kWidth / 2, line1 + 4,
                    hazardWarning(scene.design->theme, scene.design->beats[coming].move), 1,
                    kWhite);
    if (scene.object(coming) != kNoMove)
      drawTextCentred(p, kWidth / 2, line2, "A TREASURE! WATCH FOR THE GOLD CUE", 1, kGold);
  } else if (done >= 0) {
    drawTextCentred(p, kWidth / 2, line1 + 4, "GOOD!", 2, kPraise);
  }
}

// The title shows only while the scene begins; the bar stays, empty, as a frame.
static void drawSceneTexts(Picture& p, const Scene& scene, int f) {
  drawTitleBar(p, f < kTitleFrames ? sceneTitle(scene) : "", "");
  drawPanel(p, scene.design->theme.panel);
  if (f < kTitleFrames) {
    fillRect(p, 50, 48, kWidth - 100, 60, kNavy);
    drawTextCentred(p, kWidth / 2, 56, "SCENE " + std::to_string(scene.design->number), 2, kGold);
    drawTextCentred(p, kWidth / 2, 80, scene.design->title, 2, kWhite);
    drawTextCentred(p, kWidth / 2, kPanelY + 12, "GET READY!", 2, kWhite);
  } else if (inOutro(scene, f)) {
    bool last = scene.design->number == static_cast<int>(sceneDesigns().size());
    drawTextCentred(p, kWidth / 2, kPanelY + 12, last ? "VICTORY!" : "SCENE CLEAR!", 2, kPraise);
  } else {
    drawBeatTexts(p, scene, f);
  }
}

void drawSceneFrame(Picture& p, const Scene& scene, const std::vector<int>& scroll, int f) {
  drawSceneWorld(p, scene, scroll, f);
  if (scene.mirrored) mirrorPicture(p);
  drawSceneTexts(p, scene, f);
}

SoundTrack sceneSound(const Scene& scene) {
  const Theme& theme = scene.design->theme;
  SoundTrack track = makeTrack(scene.length());
  addMusic(track, theme.tune, 0, scene.length());
  addFanfare(track, frameTime(2), theme.tune.root, 0.12);
  for (int i = 0; i < scene.beats(); ++i) {
    const Beat& beat = scene.design->beats[i];
    int t = scene.trigger(i);
    addApproachSound(track, beat.move, frameTime(t - kApproachFrames));
    addCueBlip(track, frameTime(t), -0.35);
    addMoveSound(track, beat.move, frameTime(t + kOutcomePhase));
    if (beat.object != kNoMove) addSparkle(track, frameTime(t - kApproachFrames / 2), 0.3);
  }
  int last = scene.trigger(scene.beats() - 1);
  addFanfare(track, frameTime(last + kBeatFrames), theme.tune.root, 0.14);
  if (scene.mirrored) swapChannels(track);
  return track;
}

AviClip renderScene(const Scene& scene) {
  AviClip clip = newClip();
  std::vector<int> scroll = sceneScroll(scene);
  Picture picture;
  for (int f = 0; f < scene.length(); ++f) {
    drawSceneFrame(picture, scene, scroll, f);
    addFrame(clip, picture);
  }
  clip.sound = toPcm(sceneSound(scene), scene.length());
  return clip;
}
