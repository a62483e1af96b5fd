// The clips of the scene flow that belong to no scene: lives left, the continue offer, game
// over, the missed object, the credits and the attract-mode demo.
#include <algorithm>

#include "qvkgen.h"

// Every frame is a key frame: the player starts scenes in the middle (at checkpoints and after
// objects) and may skip a frame when it falls behind, and a delta frame would then leave
// traces of the picture before it.
AviClip newClip() {
  AviClip clip;
  fillPalette(clip.palette);
  clip.keyFrameInterval = 1;
  return clip;
}

void addFrame(AviClip& clip, const Picture& picture) {
  clip.frames.push_back(picture.pixels);
}

static void drawStarField(Picture& p, uint8_t sky) {
  fillRect(p, 0, 0, kWidth, kHeight, sky);
  for (int s = 0; s < 24; ++s)
    fillRect(p, (s * 97 + 13) % kWidth, (s * 53 + 7) % kHeight, 2, 2, kGrey);
}

static void drawHeart(Picture& p, int cx, int cy, uint8_t colour) {
  fillEllipse(p, cx - 6, cy - 4, 7, 6, colour);
  fillEllipse(p, cx + 6, cy - 4, 7, 6, colour);
  fillTriangle(p, cx - 13, cy - 2, cx + 13, cy - 2, cx, cy + 14, colour);
}

// The lives left, and the one just lost breaking.
AviClip renderLivesClip(int lives) {
  AviClip clip = newClip();
  Picture p;
  std::string title = std::to_string(lives) + (lives == 1 ? " LIFE LEFT" : " LIVES LEFT");
  for (int f = 0; f < kClipFrames; ++f) {
    drawStarField(p, kNavy);
    drawTextCentred(p, kWidth / 2, 60, title, 3, kWhite);
    int first = kWidth / 2 - lives * 20;
    for (int h = 0; h <= lives; ++h) {
      bool lost = h == lives;
      if (lost && f >= 10) continue;  // gone
      drawHeart(p, first + h * 40, 130, lost && f >= 4 ? kDarkGrey : kRed);
    }
    drawTextCentred(p, kWidth / 2, 200, "BACK TO THE LAST CHECKPOINT", 1, kLightBlue);
    addFrame(clip, p);
  }
  SoundTrack track = makeTrack(kClipFrames);
  addTone(track, {frameTime(4), 0.3, noteFreq(-5), noteFreq(-12), kTriangle, 0.25, 0, 0.01, 0.1});
  addFanfare(track, 0.8, -9, 0.12);
  clip.sound = toPcm(track, kClipFrames);
  return clip;
}

// Any move while this runs continues the game; the count shows how long is left. Once it has
// run out the offer is over, and so its last frames, one of which stays on screen while the
// game-over clip opens, no longer ask for a key.
AviClip renderContinueClip() {
  AviClip clip = newClip();
  Picture p;
  for (int f = 0; f < kContinueFrames; ++f) {
    int count = 3 - f / kCountFrames;
    drawStarField(p, kDarkPurple);
    if (count > 0) {
      drawTextCentred(p, kWidth / 2, 40, "CONTINUE?", 3, kYellow);
      drawTextCentred(p, kWidth / 2, 90, std::to_string(count), 8, kWhite);
      drawTextCentred(p, kWidth / 2, 180, "PRESS ANY KEY", 2, (f / 3) % 2 ? kWhite : kGold);
    } else {
      drawTextCentred(p, kWidth / 2, 110, "TIME IS UP", 3, kGrey);
    }
    addFrame(clip, p);
  }
  SoundTrack track = makeTrack(kContinueFrames);
  for (int i = 0; i < 3; ++i)
    addTone(track, {frameTime(i * kCountFrames), 0.1, noteFreq(3 + i * 2), 0, kSquare, 0.18, 0,
                    0.002, 0.04});
  clip.sound = toPcm(track, kContinueFrames);
  return clip;
}

AviClip renderGameOverClip() {
  AviClip clip = newClip();
  Picture p;
  for (int f = 0; f < kGameOverFrames; ++f) {
    drawStarField(p, kBlack);
    drawTextCentred(p, kWidth / 2, 50, "GAME OVER", 4, kRed);
    fillRect(p, 0, kGroundY, kWidth, kHeight - kGroundY, kDarkStone);
    drawHero(p, kWidth / 2, kGroundY, kFallen);
    drawTextCentred(p, kWidth / 2, 120, "THE QUEST IS LOST", 1, kGrey);
    addFrame(clip, p);
  }
  SoundTrack track = makeTrack(kGameOverFrames);
  addSadPhrase(track, 0.05, 0.3);
  clip.sound = toPcm(track, kGameOverFrames);
  return clip;
}

// Only its first frame may be seen before the scene to replay opens, so every frame says it all.
AviClip renderMissedClip() {
  AviClip clip = newClip();
  Picture p;
  for (int f = 0; f < kClipFrames; ++f) {
    drawStarField(p, kDarkBlue);
    drawTextCentred(p, kWidth / 2, 40, "A TREASURE WAS", 2, kGold);
    drawTextCentred(p, kWidth / 2, 62, "LEFT BEHIND!", 2, kGold);
    drawGem(p, kWidth / 2, 116, 20);
    drawTextCentred(p, kWidth / 2, 160, "BACK YOU GO TO FETCH IT", 1, kWhite);
    addFrame(clip, p);
  }
  SoundTrack track = makeTrack(kClipFrames);
  addSadPhrase(track, 0.0, 0.2);
  addSparkle(track, 1.2, 0);
  clip.sound = toPcm(track, kClipFrames);
  return clip;
}

AviClip renderCreditsClip() {
  static const char* kLines[] = {
      "QUARNVALE II", "",          "A SAMPLE GAME",         "FOR QVKAVI", "",
      "PICTURES",     "AND SOUND", "MADE BY QVKGEN",        "",           "EIGHT PLACES",
      "ONE HERO",     "",          "THANK YOU FOR PLAYING!"};
  constexpr int kSpacing = 18, kSpeed = 3, kEndFrame = 130;
  AviClip clip = newClip();
  Picture p;
  for (int f = 0; f < kCreditsFrames; ++f) {
    drawStarField(p, kNavy);
    int i = 0;
    for (const char* line : kLines) {
      int y = kHeight + 10 + i++ * kSpacing - f * kSpeed;
      if (y > -16 && y < kHeight)
        drawTextCentred(p, kWidth / 2, y, line, 2, i == 1 ? kGold : kWhite);
    }
    if (f >= kEndFrame) drawTextCentred(p, kWidth / 2, 104, "THE END", 4, kGold);
    addFrame(clip, p);
  }
  SoundTrack track = makeTrack(kCreditsFrames);
  addFanfare(track, 0.1, -9, 0.14);
  addMusic(track, {99, -9, false, 6, 0.1}, 12, kEndFrame);
  addFanfare(track, frameTime(kEndFrame), -9, 0.16);
  clip.sound = toPcm(track, kCreditsFrames);
  return clip;
}
