// Sound effects: each hazard's coming, the move made, and the blow that ends a life. Panned as
// the straight world has them: hazards come from the right towards the hero, left of centre.
#include "qvkgen.h"

static const double kHeroPan = -0.35;

void addApproachSound(SoundTrack& track, Move kind, double at) {
  const double span = frameTime(kApproachFrames + kCueFrames);
  switch (kind) {
    case kUp:  // a rumble that grows
      addTone(track, {at, span, 90, 140, kNoise, 0.16, 0.5, span * 0.8, 0.1});
      break;
    case kDown:  // a whistle that falls
      addTone(track, {at, span * 0.7, 1900, 900, kSine, 0.10, 0.6, 0.05, 0.2});
      break;
    case kLeft:
    case kRight:  // a creak overhead
      for (int i = 0; i < 3; ++i)
        addTone(track, {at + i * 0.45, 0.3, 110, 80, kSaw, 0.12, kHeroPan, 0.05, 0.1});
      break;
    case kAction:  // a growl
      addTone(track, {at + 0.3, 0.7, 70, 120, kSaw, 0.16, 0.5, 0.1, 0.2});
      break;
    default: break;
  }
}

void addMoveSound(SoundTrack& track, Move kind, double at) {
  addTone(track, {at, 0.08, noteFreq(15), 0, kSquare, 0.10, kHeroPan, 0.002, 0.03});
  addTone(track, {at + 0.09, 0.12, noteFreq(22), 0, kSquare, 0.10, kHeroPan, 0.002, 0.05});
  switch (kind) {
    case kUp: addTone(track, {at, 0.25, 200, 700, kSquare, 0.12, kHeroPan, 0.005, 0.05}); break;
    case kDown: addTone(track, {at, 0.4, 2500, 600, kNoise, 0.14, 0, 0.05, 0.2}); break;
    case kLeft:
    case kRight:
      addTone(track, {at + frameTime(4), 0.45, 160, 60, kNoise, 0.35, kHeroPan, 0.002, 0.3});
      break;
    case kAction:
      addTone(track, {at, 0.06, 1400, 0, kSquare, 0.16, kHeroPan, 0.001, 0.03});
      addTone(track, {at + 0.15, 0.3, 900, 200, kNoise, 0.16, 0, 0.01, 0.2});
      break;
    default: break;
  }
}

void addDeathSound(SoundTrack& track, Move kind, double at) {
  addTone(track, {at, 0.35, 200, 50, kNoise, 0.4, kHeroPan, 0.002, 0.25});
  if (kind == kAction) addTone(track, {at - 0.1, 0.5, 80, 50, kSaw, 0.2, 0, 0.02, 0.2});
  // A falling "wah wah".
  for (int i = 0; i < 3; ++i)
    addTone(track, {at + 0.45 + i * 0.3, i == 2 ? 0.6 : 0.28, noteFreq(-2 - i), noteFreq(-3 - i),
                    kTriangle, 0.25, 0, 0.01, 0.1});
}
