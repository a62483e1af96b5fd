// The scene flow: what plays when the open clip ends. The next scene in the fixed order (a
// scene or its mirror image, by the coin), the scene again from its last checkpoint after a
// death with the clip of the lives left, the continue offer and game over, the replay of a
// scene whose object was passed by, and the credits.
#include <cstring>

#include "game/game.h"

void loadSceneTables(const char* scene) {
  char base[6];
  copyText(base, sizeof base, scene);
  char name[16];
  std::snprintf(name, sizeof name, "%s.txt", base);
  loadMoveFile(name, base);
  std::snprintf(name, sizeof name, "%s.hot", base);
  loadHotspotFile(name);
}

void makeSceneCurrent(const char* base) {
  // The row of the object taken last belongs to the scene it was taken in: the same row number
  // in the next scene is another object.
  judging.objectRow = kNoObjectRow;
  loadSceneTables(base);
  char scene[16];
  std::snprintf(scene, sizeof scene, "%.5s.avi", base);
  writeName(game.sceneFile, scene);
}

// The credits, and the demo after them, play with the first scene's tables.
static void loadCreditsTables() {
  loadSceneTables("seq01");
}

static int32_t restartFrame() {
  int32_t index = game.hotspotIndex;
  return index >= 0 && index < kHotspotEntries ? static_cast<int32_t>(game.hotspotTable[index]) : 0;
}

static void clearRestartFrame() {
  int32_t index = game.hotspotIndex;
  if (index >= 0 && index < kHotspotEntries) game.hotspotTable[index] = 0;
}

// Opens the current scene at frame. A scene that cannot be opened ends the game once its message
// has been shown: every later open of it would fail again, each with its message.
static bool openCurrentScene(int32_t frame) {
  char scene[kClipNameSize];
  readName(game.sceneFile, scene);
  openClip(scene, frame);
  if (playback.aviFile) return true;
  finishGameThread();
  return false;
}

void continueCheck() {
  if (!game.continueOffered || pollInput() == kInputNone) return;
  game.continueOffered = false;
  game.lives = kStartLives;
  judging.openWindowRow = -1;
  judging.outcomeClipPlaying = false;
  judging.gameOverPlaying = false;
  game.hotspotIndex = 0;
  game.resumeMoveIndex = 0;
  openCurrentScene(0);
}

// The scenes that a missed object brings back, in the order they are looked for.
static const char* const kReplayableScenes[] = {"seq01.avi", "seq02.avi", "seq12.avi", "seq03.avi",
                                                "seq13.avi", "seq04.avi", "seq14.avi", "seq05.avi",
                                                "seq15.avi", "seq06.avi", "seq16.avi"};

static void replayMissedScene() {
  openClip("missed.avi", 0);
  char missed[kClipNameSize];
  readName(game.missedScene, missed);
  for (const char* scene : kReplayableScenes) {
    if (std::strcmp(missed, scene) == 0) {
      makeSceneCurrent(scene);
      break;
    }
  }
  writeName(game.missedScene, "");
}

// The scene order: the clip that has just ended, and the scene that follows it when the coin
// gives 1 and when it gives 0.
struct SceneStep {
  const char* ended[2];
  const char* heads;
  const char* tails;
};
static const SceneStep kSceneOrder[] = {
    {{"seq01.avi", nullptr}, "seq02", "seq12"},     {{"seq02.avi", "seq12.avi"}, "seq03", "seq13"},
    {{"seq03.avi", "seq13.avi"}, "seq04", "seq14"}, {{"seq04.avi", "seq14.avi"}, "seq05", "seq15"},
    {{"seq05.avi", "seq15.avi"}, "seq06", "seq16"},
};

static bool ended(const char* name) {
  return std::strcmp(playback.openClipName, name) == 0;
}

void advanceScene() {
  for (const SceneStep& step : kSceneOrder) {
    if (ended(step.ended[0]) || (step.ended[1] && ended(step.ended[1]))) {
      makeSceneCurrent(randomCoin() ? step.heads : step.tails);
      return;
    }
  }
  if (ended("seq06.avi") || ended("seq16.avi")) {
    if (nameIsEmpty(game.missedScene)) {
      makeSceneCurrent(randomCoin() ? "seq07" : "seq17");
    } else {
      replayMissedScene();
    }
  } else if (ended("seq07.avi") || ended("seq17.avi")) {
    makeSceneCurrent("seq08");
  } else if (ended("seq08.avi")) {
    loadCreditsTables();
    writeName(game.sceneFile, "credits.avi");
    game.judgingOff = true;
    clearRestartFrame();
  }
}

void livesStep() {
  static const char* const kLivesClips[] = {nullptr, "1lives.avi", "2lives.avi", "3lives.avi",
                                            "4lives.avi"};
  int32_t lives = game.lives;
  if (lives >= 1 && lives <= 4) openClip(kLivesClips[lives], 0);

  if (game.lives == 0) {
    openClip("cont.avi", 0);
    game.lives = -1;
    game.continueOffered = true;
  } else if (game.continueOffered) {
    openClip("gameover.avi", 0);
    judging.gameOverPlaying = true;
    game.continueOffered = false;
  } else if (judging.gameOverPlaying) {
    finishGameThread();
    return;
  }
  judging.outcomeClipPlaying = false;
}

void sceneFlow() {
  judging.openWindowRow = -1;  // the next clip's windows are its own
  // The clip that took the last life, the continue offer and game over end in the lives step,
  // however far the rows have run while they played: at the table's end row the game would
  // otherwise go on to the next scene with no lives, or with the offer still open.
  if (game.continueOffered || judging.gameOverPlaying ||
      (judging.outcomeClipPlaying && game.lives <= 0)) {
    livesStep();
    return;
  }
  int32_t row = game.moveIndex;
  if (row >= 0 && row < kMoveRows && game.moveTable[row].frame == kEndRowFrame) {
    advanceScene();
    openCurrentScene(restartFrame());
    return;
  }
  if (judging.objectTaken) {
    if (!openCurrentScene(judging.objectResumeFrame)) return;
    game.moveIndex = judging.objectResumeRow;
    judging.objectTaken = false;
    judging.decision = kDecisionNoMove;
    return;
  }
  if (judging.outcomeClipPlaying || game.continueOffered || judging.gameOverPlaying) {
    livesStep();
    return;
  }

  advanceScene();
  if (ended("credits.avi")) {
    loadCreditsTables();
    writeName(game.sceneFile, "demo.avi");
    game.judgingOff = true;
    game.demoActive = true;
    clearRestartFrame();
  }
  if (readFlagLocked(game.demoActive)) {
    finishGameThread();
    return;
  }
  judging.decision = kDecisionNoMove;
  judging.objectTaken = false;
  openCurrentScene(restartFrame());
}
