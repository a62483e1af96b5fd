// The scene flow: what plays when the open clip ends. The next scene in the fixed order (a
// scene or its mirror image, by the coin), the scene again from its last checkpoint after a
// death with the clip of the lives left, the continue offer and game over, the replay of a
// scene whose object was passed by, and the credits.
#include <cstring>

#include "game/game.h"

void loadSceneTables(const char* scene) {
  char base[kSceneBaseLength + 1];
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
  char scene[kSceneBaseLength + sizeof ".avi"];
  copyText(scene, kSceneBaseLength + 1, base);
  appendText(scene, sizeof scene, ".avi");
  writeName(game.sceneFile, scene);
}

// The credits, and the demo after them, play with the first scene's tables.
static void loadCreditsTables() {
  loadSceneTables(kFirstScene);
}

static int32_t restartFrame() {
  int32_t index = game.hotspotIndex;
  QVK_ASSERT(index >= 0 && index < kHotspotEntries);
  return game.hotspotTable[index];
}

static void clearRestartFrame() {
  int32_t index = game.hotspotIndex;
  QVK_ASSERT(index >= 0 && index < kHotspotEntries);
  game.hotspotTable[index] = 0;
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

static bool isNamed(const char* name, const char* scene) {
  return scene && std::strcmp(name, scene) == 0;
}

int sceneStepOf(const char* name) {
  for (int step = 0; step < kSceneSteps; ++step)
    if (isNamed(name, kSceneOrder[step].scene) || isNamed(name, kSceneOrder[step].mirror))
      return step;
  return -1;
}

bool isSceneName(const char* name) {
  return sceneStepOf(name) >= 0;
}

static void replayMissedScene() {
  openClip(kMissedClip, 0);
  char missed[kClipNameSize];
  readName(game.missedScene, missed);
  int step = sceneStepOf(missed);
  if (step >= 0 && step <= kMissedSceneStep) makeSceneCurrent(missed);
  writeName(game.missedScene, "");
}

// The scene after step: its mirror image when the coin gives 0. No coin is drawn for a step
// without a mirror image.
static void makeNextSceneCurrent(int step) {
  const SceneStep& next = kSceneOrder[step + 1];
  makeSceneCurrent(next.mirror && !randomCoin() ? next.mirror : next.scene);
}

void advanceScene() {
  int step = sceneStepOf(playback.openClipName);
  if (step < 0) return;
  if (step == kMissedSceneStep && !nameIsEmpty(game.missedScene)) {
    replayMissedScene();
  } else if (step + 1 < kSceneSteps) {
    makeNextSceneCurrent(step);
  } else {
    loadCreditsTables();
    writeName(game.sceneFile, kCreditsClip);
    game.judgingOff = true;
    clearRestartFrame();
  }
}

const char* livesClip(int32_t lives) {
  static const char* const kLivesClips[kMostLivesShown] = {"1lives.avi", "2lives.avi", "3lives.avi",
                                                           "4lives.avi"};
  return lives >= 1 && lives <= kMostLivesShown ? kLivesClips[lives - 1] : nullptr;
}

void livesStep() {
  if (const char* clip = livesClip(game.lives)) openClip(clip, 0);

  if (game.lives == 0) {
    openClip(kContinueClip, 0);
    game.lives = -1;
    game.continueOffered = true;
  } else if (game.continueOffered) {
    openClip(kGameOverClip, 0);
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
  QVK_ASSERT(row >= 0 && row < kMoveRows);
  if (game.moveTable[row].frame == kEndRowFrame) {
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
  if (isNamed(playback.openClipName, kCreditsClip)) {
    loadCreditsTables();
    writeName(game.sceneFile, kDemoClip);
    game.judgingOff = true;
    game.demoActive = true;
    clearRestartFrame();
  }
  if (game.demoActive) {
    finishGameThread();
    return;
  }
  judging.decision = kDecisionNoMove;
  judging.objectTaken = false;
  openCurrentScene(restartFrame());
}
