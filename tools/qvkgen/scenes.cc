// The scenes of the sample game as data, and the timing every scene follows.
//
// Each scene is a walk through one place of the quest. Its beats name the correct move of each
// window (the hazard follows from it: up jumps a roller, down ducks a flyer, left and right
// step out from under a falling weight, action strikes a monster) and, for some, an object
// taken with another move. Scenes 2 to 7 also exist mirrored (seq12 to seq17).
//
// The player remembers the row number of the last object taken, not its scene, and takes a
// object on that row number for one already taken until a death comes between. Scenes can
// follow each other in any order through the replay of a missed scene, so every scene's
// object lies on a row number of its own (seq01 row 4, seq02 3, seq03 5, seq04 2, seq05 6,
// seq06 1, seq07 7), and never on the first row, whose number is the one remembered when
// nothing was taken.
#include <algorithm>

#include "qvkgen.h"

Move mirrorMove(Move move) {
  if (move == kLeft) return kRight;
  if (move == kRight) return kLeft;
  return move;
}

const char* moveKeyName(Move move) {
  static const char* kNames[] = {"UP", "DOWN", "LEFT", "RIGHT", "SPACE", ""};
  return kNames[move];
}

const char* moveVerb(Move move) {
  static const char* kVerbs[] = {"JUMP!", "DUCK!", "GO LEFT!", "GO RIGHT!", "STRIKE!", ""};
  return kVerbs[move];
}

// clang-format off
static std::vector<SceneDesign> makeDesigns() {
  const bool cp = true;  // a checkpoint follows the beat
  return {
    {1, "THE GATE", 40,
     {{kDusk, kOrange, kPink}, kDarkPurple, kDarkGreen, kMoss, kDarkStone, kTowers,
      kBarrel, kArrow, kBlock, kGoblin, kBrown, kNavy, {11, -9, false, 6, 0.09}},
     {{kUp}, {kDown}, {kAction, kNoMove, cp}, {kLeft}, {kUp, kDown, cp}, {kAction}, {kDown}}},
    {2, "THE FOREST", 38,
     {{kSkyBlue, kLightBlue, kLightGreen}, kGreen, kDarkGreen, kMoss, kDarkBrown, kTrees,
      kLog, kCrow, kBranch, kTroll, kBrown, kDarkGreen, {22, -7, false, 6, 0.09}},
     {{kDown}, {kUp}, {kRight, kNoMove, cp}, {kAction, kUp}, {kDown}, {kRight, kNoMove, cp},
      {kUp}}},
    {3, "THE CAVERNS", 36,
     {{kBlack, kDarkBrown, kDarkBrown}, kDarkStone, kStone, kDarkGrey, kBrown, kStalactites,
      kBoulder, kBat, kRock, kSlime, kGrey, kDarkBrown, {33, -12, true, 6, 0.09}},
     {{kUp}, {kLeft}, {kDown, kNoMove, cp}, {kRight}, {kUp}, {kLeft, kAction, cp}, {kDown}}},
    {4, "THE BRIDGE", 36,
     {{kSkyBlue, kSkyBlue, kLightBlue}, kBlue, kBrown, kDarkBrown, kDarkBlue, kWaves,
      kBarrel, kArrow, kBlock, kTroll, kDarkBrown, kDarkBlue, {44, -5, false, 6, 0.09}},
     {{kAction}, {kDown}, {kUp, kRight, cp}, {kLeft}, {kAction}, {kUp, kNoMove, cp}, {kDown}}},
    {5, "THE CRYPT", 34,
     {{kNight, kDarkPurple, kDarkPurple}, kDarkStone, kDarkGrey, kStone, kGrey, kPillars,
      kSkull, kBat, kChandelier, kSkeleton, kBone, kNavy, {55, -10, true, 6, 0.09}},
     {{kDown}, {kAction}, {kLeft, kNoMove, cp}, {kUp}, {kLeft}, {kAction, kNoMove, cp},
      {kDown, kUp}}},
    {6, "THE ICE HALL", 34,
     {{kLightBlue, kSkyBlue, kIce}, kCyan, kIce, kLightBlue, kWhite, kIceSpikes,
      kSnowball, kShard, kIcicle, kGolem, kBlue, kTeal, {66, -8, false, 6, 0.09}},
     {{kUp}, {kRight, kLeft}, {kDown, kNoMove, cp}, {kAction}, {kUp}, {kRight, kNoMove, cp},
      {kDown}}},
    {7, "THE TOWER", 32,
     {{kNight, kNavy, kDarkBlue}, kDarkStone, kStone, kDarkGrey, kYellow, kStars,
      kBoulder, kFireball, kBlock, kSkeleton, kDarkGrey, kNavy, {77, -3, true, 6, 0.09}},
     {{kAction}, {kUp}, {kDown, kNoMove, cp}, {kRight}, {kDown}, {kUp, kNoMove, cp}, {kAction},
      {kDown, kRight}}},
    {8, "THE DRAGON", 32,
     {{kDarkRed, kRed, kOrange}, kDarkBrown, kDarkGrey, kLava, kLava, kLavaGlow,
      kBoulder, kFireball, kRock, kDragon, kDarkRed, kBlack, {88, -9, true, 6, 0.1}},
     {{kDown}, {kUp}, {kLeft, kNoMove, cp}, {kDown}, {kUp, kNoMove, cp}, {kLeft}, {kAction}}},
  };
}
// clang-format on

const std::vector<SceneDesign>& sceneDesigns() {
  static const std::vector<SceneDesign> designs = makeDesigns();
  return designs;
}

std::vector<Scene> allScenes() {
  std::vector<Scene> scenes;
  for (const SceneDesign& design : sceneDesigns())
    scenes.push_back({&design, "seq0" + std::to_string(design.number), false});
  for (const SceneDesign& design : sceneDesigns())
    if (design.number >= 2 && design.number <= 7)
      scenes.push_back({&design, "seq1" + std::to_string(design.number), true});
  return scenes;
}

// ---------------------------------------------------------------------------------------------
// Timing

Move Scene::move(int beat) const {
  Move m = design->beats[beat].move;
  return mirrored ? mirrorMove(m) : m;
}

Move Scene::object(int beat) const {
  Move m = design->beats[beat].object;
  return mirrored ? mirrorMove(m) : m;
}

// A checkpoint buys a pause before the next hazard, so that a replay from it shows the hazard
// coming before its window opens.
int Scene::trigger(int beat) const {
  int frame = kFirstTrigger;
  for (int i = 0; i < beat; ++i)
    frame += design->spacing + (design->beats[i].checkpoint ? kCheckpointPause : 0);
  return frame;
}

int Scene::length() const {
  return trigger(beats() - 1) + kOutroFrames;
}

std::vector<int> Scene::checkpoints() const {
  std::vector<int> frames;
  for (int i = 0; i < beats(); ++i)
    if (design->beats[i].checkpoint) frames.push_back(trigger(i) + kCheckpointDelay);
  return frames;
}

static std::vector<Move> deathKinds(const SceneDesign& design) {
  std::vector<Move> kinds;
  for (const Beat& beat : design.beats)
    if (std::find(kinds.begin(), kinds.end(), beat.move) == kinds.end()) kinds.push_back(beat.move);
  return kinds;
}

int Scene::deathClips() const {
  return static_cast<int>(deathKinds(*design).size());
}

Move Scene::deathKind(int clip) const {
  return deathKinds(*design)[clip];
}

int Scene::deathClipOf(int beat) const {
  std::vector<Move> kinds = deathKinds(*design);
  auto at = std::find(kinds.begin(), kinds.end(), design->beats[beat].move);
  return static_cast<int>(at - kinds.begin());
}

std::vector<int> Scene::objectBeats() const {
  std::vector<int> beatsWithObject;
  for (int i = 0; i < beats(); ++i)
    if (design->beats[i].object != kNoMove) beatsWithObject.push_back(i);
  return beatsWithObject;
}
