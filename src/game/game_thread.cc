// The game thread: one pass after another, each keeping the current move row in step with the
// clock, judging the player's input against the row whose window is open, taking the row's
// verdict when the window closes, and then running the media steps with the checkpoint step
// and, at a clip's end, the scene flow.
#include <cstring>

#include "game/game.h"

JudgingState judging;

void startJudging() {
  traceEvent("thread start");
  judging = JudgingState{};
  game.continueOffered = false;
  game.judgingOff = false;
  // A game or demo that starts is not paused, whatever was paused before it.
  setHold(kHoldPaused, false);
}

void openClip(const char* fileName, int32_t startFrame) {
  openSequence(fileName, startFrame);
  game.moveIndex = game.resumeMoveIndex < 0 ? 0 : static_cast<int32_t>(game.resumeMoveIndex);
}

static MoveRow& currentRow() {
  return game.moveTable[game.moveIndex];
}

static void takeVerdict();

// Whether moves are judged now: not during the continue offer, game over, the demo, or F5.
static bool judgingActive() {
  return !judging.gameOverPlaying && !game.continueOffered && !game.judgingOff &&
         !readFlagLocked(game.demoActive);
}

// At most one row is passed per pass; the end row only by a clip running beyond frame 10011.
// A pass that comes so late that the clock has gone past the last frame of a window it saw open
// still takes that window's verdict: a missed move must never pass for a good one.
static void rowAdvance() {
  if (game.moveIndex >= kMoveRows - 1 ||
      currentRow().frame + kMoveFrameOffset >= playback.currentFrame)
    return;
  if (judging.openWindowRow == game.moveIndex && judgingActive()) {
    takeVerdict();
    return;
  }
  game.moveIndex++;
}

// The row's window is open from its frame to twelve frames later, both included.
static bool windowOpen() {
  const MoveRow& row = currentRow();
  return row.frame != kEndRowFrame && row.frame <= playback.currentFrame &&
         playback.currentFrame <= row.frame + kMoveFrameOffset;
}

// A later input in the same window overwrites an earlier decision. Returns whether the move
// was good (the object or the correct move).
static bool judgeInput(InputCode code) {
  int32_t row = game.moveIndex;
  const MoveRow& move = currentRow();
  Decision moveDecision = static_cast<Decision>(code);
  if (move.objectMove == code) {
    judging.objectTaken = true;
    judging.decision = moveDecision;
    judging.objectResumeFrame = row == 0 ? 0 : game.moveTable[row - 1].frame;
    judging.objectResumeRow = row;
    return true;
  }
  if (std::strcmp(clipForDecision(move, moveDecision), kCorrectMoveClip) != 0) {
    judging.decision = moveDecision;
    return false;
  }
  // The correct move on a row that offers an object passes the object by.
  if (move.objectMove != kInputNone && judging.objectRow != row && nameIsEmpty(game.missedScene)) {
    char scene[kClipNameSize];
    readName(game.sceneFile, scene);
    writeName(game.missedScene, scene);
  }
  judging.decision = kDecisionCorrect;
  return true;
}

// Whether the missed scene is the current one, comparing at most the 15 characters a saved
// game keeps of a name.
static bool missedSceneIsCurrent() {
  char missed[kClipNameSize], scene[kClipNameSize];
  readName(game.missedScene, missed);
  readName(game.sceneFile, scene);
  return std::strncmp(missed, scene, kSaveNameSize) == 0;
}

// The verdict when the window closes: the next row, or the clip of the decision, which costs
// a life (the object clip costs the life its verdict credited).
static void takeVerdict() {
  judging.openWindowRow = -1;
  // With no life left the clip that took the last one plays on to the continue offer, even where
  // it runs into a window of its own: a verdict there would take lives the player has not got,
  // clip after clip, and the offer would never come.
  if (game.lives <= 0) {
    judging.decision = kDecisionNoMove;
    judging.objectTaken = false;
    return;
  }
  int32_t row = game.moveIndex;
  traceEvent("verdict %d %d", row, judging.decision);
  if (judging.objectTaken) {
    if (judging.objectRow == row) {
      judging.decision = kDecisionNoMove;
      judging.objectTaken = false;
    } else {
      game.lives++;
      judging.objectRow = row;
    }
  }

  if (judging.decision == kDecisionCorrect) {
    judging.decision = kDecisionNoMove;
    game.moveIndex++;
    return;
  }

  if (!judging.objectTaken) {
    judging.objectRow = kNoObjectRow;
    if (missedSceneIsCurrent()) writeName(game.missedScene, "");
  }
  char clip[kClipNameSize];
  copyText(clip, sizeof clip, clipForDecision(game.moveTable[row], judging.decision));
  openClip(clip, 0);
  judging.decision = kDecisionNoMove;
  judging.outcomeClipPlaying = true;
  game.lives--;
}

void checkpointStep() {
  if (readFlagLocked(game.demoActive)) return;
  int32_t index = game.hotspotIndex;
  if (index < 0 || index + 1 >= kHotspotEntries) return;
  if (game.hotspotTable[index + 1] > playback.clockFrame) return;

  int32_t resumeRow = game.moveIndex;
  game.hotspotIndex = index + 1;
  int32_t checkpoint = game.hotspotTable[index + 1];
  while (resumeRow >= 0 && resumeRow < kMoveRows - 1 &&
         game.moveTable[resumeRow].frame <= checkpoint && game.moveTable[resumeRow].frame != 0)
    ++resumeRow;
  game.resumeMoveIndex = resumeRow;
  traceEvent("checkpoint %d %d", index + 1, resumeRow);
}

static int32_t pollClockAndCheckpoint() {
  game.gameActive = true;
  ClockReading reading = pollClock();
  if (reading.clockRead) checkpointStep();
  return reading.cursorChunk;
}

void runMediaSteps() {
  int32_t cursorChunk = pollClockAndCheckpoint();
  pictureStep();
  pollClockAndCheckpoint();
  refillStep(cursorChunk);
  pollClockAndCheckpoint();
}

// The player's input of this pass. While the player's pause or an open menu holds the game,
// what was pressed meanwhile is taken and dropped: judging stands still, and a key pressed during
// the pause is not judged after it.
static InputCode takeInput() {
  InputCode code = pollInput();
  return isHeld(kHoldPaused | kHoldMenu) ? kInputNone : code;
}

static bool runPass(bool* changed);

bool runGamePass(bool* changed) {
  bool goesOn = runPass(changed);
  updateStatus();
  return goesOn;
}

static bool runPass(bool* changed) {
  int32_t frameBefore = playback.currentFrame;
  int32_t slotBefore = playback.drawSlot;
  // The cursor moves with time; what a pass does changes only where it enters another frame's
  // sound (chunks are whole frames of it).
  uint32_t cursorFrameBefore = playback.playCursor / kSoundBytesPerFrame;

  rowAdvance();
  continueCheck();
  if (judging.finished) return false;  // the scene to continue in cannot be opened

  if (readFlagLocked(game.demoActive) && takeInput() != kInputNone) {
    finishGameThread();
    return false;
  }

  InputCode code = takeInput();
  bool goodMove = false;
  if (judgingActive() && windowOpen()) {
    judging.openWindowRow = game.moveIndex;
    if (code != kInputNone) goodMove = judgeInput(code);
    if (!game.judgingOff && playback.currentFrame == currentRow().frame + kMoveFrameOffset)
      takeVerdict();
  }

  if (goodMove) {
    playBeep(kGoodBeep);
  } else if (code != kInputNone) {
    playBeep(kBadBeep);
  }

  traceState();
  runMediaSteps();

  if (changed)
    *changed = code != kInputNone || playback.currentFrame != frameBefore ||
               playback.drawSlot != slotBefore ||
               playback.playCursor / kSoundBytesPerFrame != cursorFrameBefore ||
               playback.sequenceEnded;
  if (playback.sequenceEnded) {
    sceneFlow();
    traceState();
    if (judging.finished) return false;
  }
  return true;
}

void finishGameThread() {
  traceEvent("finish");
  judging.finished = true;
  closeSequence();
  returnToWindowed();
  game.gameActive = false;
  game.demoActive = false;
  if (platform.window) platform.window->invalidate();
}

InputCode moveGuide() {
  if (!judgingActive() || !windowOpen()) return kInputNone;
  const MoveRow& row = currentRow();
  for (InputCode move : {kInputUp, kInputDown, kInputLeft, kInputRight, kInputAction}) {
    if (std::strcmp(clipForDecision(row, move), kCorrectMoveClip) == 0) return move;
  }
  return kInputNone;
}
