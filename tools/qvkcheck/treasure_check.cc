// Treasure rows. The player remembers the number of the row whose treasure it credited last,
// not its scene, and forgets it only at a death; a treasure taken on a row of that number is
// judged as taken already, and the row's no-move clip plays. At the start the number is 0, so a
// treasure on the first row is never taken, and two scenes that can be played one after the
// other without a death between must not offer treasures on the same row. The scenes of one
// number (seq03 and its mirror seq13) share their rows and are left out of the comparison.
#include "qvkcheck.h"

static int sceneNumber(const std::string& base) {
  return std::stoi(base.substr(4));
}

// Whether scene number a can be played before b with no other scene's treasure between: in
// the order of the game, or, for the scenes a missed treasure brings back, in any order.
static bool canComeBefore(int a, int b) {
  constexpr int kLastReplayed = 6;
  return a < b || (a <= kLastReplayed && b <= kLastReplayed);
}

void checkTreasureRows(const std::vector<SceneInfo>& scenes) {
  for (const SceneInfo& scene : scenes) {
    if (!scene.rows.empty() && scene.rows[0].objectMove != 0)
      problem(scene.base + ".txt", scene.rows[0].line,
              "a treasure on the first row can never be taken: the player counts it as taken "
              "already and plays the row's no-move clip");
  }
  for (const SceneInfo& later : scenes) {
    for (size_t row = 1; row < later.rows.size(); ++row) {
      if (later.rows[row].objectMove == 0) continue;
      for (const SceneInfo& earlier : scenes) {
        int a = sceneNumber(earlier.base), b = sceneNumber(later.base);
        if (a == b || !canComeBefore(a, b) || row >= earlier.rows.size() ||
            earlier.rows[row].objectMove == 0)
          continue;
        warning(later.base + ".txt", later.rows[row].line,
                "its treasure is on row " + std::to_string(row + 1) + ", as the treasure of " +
                    earlier.base + ".txt (line " + std::to_string(earlier.rows[row].line) +
                    ") is: who takes that one and then this, with no death between, is judged to "
                    "have it already and gets the row's no-move clip");
        break;
      }
    }
  }
}
