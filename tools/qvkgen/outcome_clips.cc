// The outcome clips a scene's move file names: a death clip for each kind of hazard (the blow,
// and what the move should have been) and a clip for each object (taken, and what comes
// next). They start where the window closed, in the place where it happened.
#include <algorithm>
#include <cmath>

#include "qvkgen.h"

static int firstBeatOfKind(const Scene& scene, Move kind) {
  for (int i = 0; i < scene.beats(); ++i)
    if (scene.design->beats[i].move == kind) return i;
  return 0;
}

static std::string movePrompt(const char* lead, Move move) {
  return std::string(lead) + moveVerb(move) + " (" + moveKeyName(move) + ")";
}

static void drawDizzyStars(Picture& p, int x, int y, int frame) {
  for (int s = 0; s < 3; ++s) {
    double angle = frame * 0.5 + s * 2.094;
    int sx = x + static_cast<int>(std::lround(std::cos(angle) * 14));
    int sy = y + static_cast<int>(std::lround(std::sin(angle) * 4));
    fillRect(p, sx - 2, sy, 5, 1, kYellow);
    fillRect(p, sx, sy - 2, 1, 5, kYellow);
  }
}

static void drawOutcomeTexts(Picture& p, uint8_t panel, const char* headline,
                             uint8_t headlineColour, const std::string& prompt) {
  drawTitleBar(p, "", "");
  drawPanel(p, panel);
  drawTextCentred(p, kWidth / 2, kPanelY + 5, headline, 2, headlineColour);
  drawTextCentred(p, kWidth / 2, kPanelY + 23, prompt, 1, kWhite);
}

AviClip renderDeathClip(const Scene& scene, int clipIndex) {
  const Theme& theme = scene.design->theme;
  const Move kind = scene.deathKind(clipIndex);
  const int beat = firstBeatOfKind(scene, kind);
  const int t = scene.trigger(beat);
  const int scroll = sceneScroll(scene)[t];
  const Move shown = scene.mirrored ? mirrorMove(kind) : kind;

  AviClip clip = newClip();
  Picture p;
  for (int d = 0; d < kClipFrames; ++d) {
    int frame = t + kCueFrames + d;
    drawBackground(p, theme, scroll);
    HeroState hero = heroFailing(kind, d);
    drawHero(p, hero.x, kGroundY + hero.lift, hero.pose);
    drawHazardFailing(p, theme, kind, d, frame);
    if (d >= 6) drawDizzyStars(p, hero.x, kGroundY - 20, d);
    if (scene.mirrored) mirrorPicture(p);
    drawOutcomeTexts(p, kDarkRed, deathWord(kind), (d / 3) % 2 ? kWhite : kYellow,
                     movePrompt("NEXT TIME: ", shown));
    addFrame(clip, p);
  }
  SoundTrack track = makeTrack(kClipFrames);
  addDeathSound(track, kind, 0.05);
  if (scene.mirrored) swapChannels(track);
  clip.sound = toPcm(track, kClipFrames);
  return clip;
}

// The hero goes for the object: up to a ledge, down to the ground, aside to a stand, or a
// blow at the lock of a chest.
static HeroState heroTaking(Move takenWith, int d) {
  Pose walk = (d / 3) % 2 ? kWalkA : kWalkB;
  switch (takenWith) {
    case kUp: {
      int q = std::min(d, 12);
      return {kHeroX, -(64 * 4 * q * (12 - q)) / 144, d < 12 ? kReach : kStand};
    }
    case kDown: return {kHeroX, 0, d >= 1 && d <= 10 ? kDuck : kStand};
    case kLeft:
    case kRight: {
      int side = (takenWith == kLeft ? -1 : 1) * 40;
      if (d < 6) return {kHeroX + side * d / 6, 0, walk};
      if (d < 10) return {kHeroX + side, 0, kReach};
      if (d < 18) return {kHeroX + side * (18 - d) / 8, 0, walk};
      return {kHeroX, 0, kStand};
    }
    default: return {kHeroX, 0, d >= 2 && d <= 6 ? kStrike : kStand};
  }
}

// The scene resumes before the object's window, where the object still lies and its cue
// still flashes; going for it a second time costs a life, and this says so.
static void drawTakenOnce(Picture& p) {
  fillRect(p, 20, 22, kWidth - 40, 28, kNavy);
  drawTextCentred(p, kWidth / 2, 26, "EACH TREASURE IS TAKEN ONCE ONLY:", 1, kGold);
  drawTextCentred(p, kWidth / 2, 38, "GO FOR IT AGAIN AND YOU LOSE A LIFE", 1, kWhite);
}

constexpr int kHoldUpAfter = 10;  // frames after taking it

static int takenAt(Move takenWith) {
  return takenWith == kUp ? 6 : takenWith == kDown ? 5 : takenWith == kAction ? 5 : 7;
}

AviClip renderObjectClip(const Scene& scene, int object) {
  const Theme& theme = scene.design->theme;
  const int beat = scene.objectBeats()[object];
  const Move takenWith = scene.design->beats[beat].object;
  const int scroll = sceneScroll(scene)[scene.trigger(beat)];
  int tx, ty;
  objectPlace(takenWith, &tx, &ty);

  AviClip clip = newClip();
  Picture p;
  for (int d = 0; d < kClipFrames; ++d) {
    drawBackground(p, theme, scroll);
    int since = d - takenAt(takenWith);
    if (since < 0) drawObject(p, takenWith, tx, ty, d);
    HeroState hero = heroTaking(takenWith, d);
    if (since >= kHoldUpAfter && hero.lift == 0) {  // back on his feet: the object held high
      drawHero(p, hero.x, kGroundY, kReach);
      drawGem(p, hero.x + 7, kGroundY - 56, 7);
    } else {
      drawHero(p, hero.x, kGroundY + hero.lift, hero.pose);
    }
    if (since >= 0 && since < 8) drawPoof(p, tx, ty, 6 + since * 2);
    if (scene.mirrored) mirrorPicture(p);
    drawOutcomeTexts(p, theme.panel, "TREASURE!", (d / 3) % 2 ? kYellow : kGold,
                     movePrompt("NOW GET PAST: ", scene.move(beat)));
    drawTakenOnce(p);
    addFrame(clip, p);
  }
  SoundTrack track = makeTrack(kClipFrames);
  addSparkle(track, frameTime(takenAt(takenWith)), -0.3);
  addFanfare(track, 0.9, theme.tune.root, 0.12);
  if (scene.mirrored) swapChannels(track);
  clip.sound = toPcm(track, kClipFrames);
  return clip;
}
