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
  QVK_ASSERT(game.resumeMoveIndex >= 0 && game.resumeMoveIndex < kMoveRows);
  game.moveIndex = static_cast<int32_t>(game.resumeMoveIndex);
}

static MoveRow& currentRow() {
  QVK_ASSERT(game.moveIndex >= 0 && game.moveIndex < kMoveRows);
  return game.moveTable[game.moveIndex];
}

// Whether moves are judged now: not during the continue offer, game over, the demo, or F5.
static bool judgingActive() {
  return !judging.gameOverPlaying && !game.continueOffered && !game.judgingOff && !game.demoActive;
}

// Whether the current row's window is open; the end row has none.
static bool windowOpen() {
  const MoveRow& row = currentRow();
  MoveWindow window = moveWindow(row);
  return row.frame != kEndRowFrame && window.opens <= playback.currentFrame &&
         playback.currentFrame <= window.closes;
}

// The verdict of the current row is due once the clock has reached the last frame of its
// window and the judging has seen the window open. A pass that comes so late that the clock
// has gone past that frame still takes it: a missed move must never pass for a good one.
static bool verdictDue() {
  return judging.openWindowRow == game.moveIndex && !game.judgingOff &&
         playback.currentFrame >= moveWindow(currentRow()).closes;
}

// At most one row is passed per pass; the end row only by a clip running beyond its window.
// A row whose verdict is due is left to the judging step, which takes it.
static void rowAdvance() {
  if (game.moveIndex >= kMoveRows - 1 || playback.currentFrame <= moveWindow(currentRow()).closes)
    return;
  if (verdictDue() && judgingActive()) return;
  game.moveIndex++;
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

// What the verdict of a row does, decided from the judging state and the lives alone.
struct Verdict {
  bool taken = false;  // false with no life left: the clip that took the last one plays on to
                       // the continue offer, even where it runs into a window of its own (a
                       // verdict there would take lives the player has not got, clip after
                       // clip, and the offer would never come)
  Decision decision = kDecisionNoMove;  // as judged in the window
  bool creditsObject = false;        // the object taken in the window: a life for it, its row kept
  bool objectTaken = false;          // an object move stays to be settled after the verdict
  bool passesRow = false;            // the correct move: on to the next row, nothing plays
  Decision plays = kDecisionNoMove;  // else the clip of this decision opens, for a life
};

static Verdict decideVerdict(int32_t row) {
  Verdict verdict;
  if (game.lives <= 0) return verdict;
  verdict.taken = true;
  verdict.decision = judging.decision;
  verdict.plays = judging.decision;
  verdict.objectTaken = judging.objectTaken;
  if (judging.objectTaken) {
    if (judging.objectRow == row) {
      // The object of this row was credited before: making its move again plays the missClip.
      verdict.plays = kDecisionNoMove;
      verdict.objectTaken = false;
    } else {
      verdict.creditsObject = true;
    }
  }
  verdict.passesRow = verdict.plays == kDecisionCorrect;
  return verdict;
}

// Whether the missed scene is the current one, comparing at most the 15 characters a saved
// game keeps of a name.
static bool missedSceneIsCurrent() {
  char missed[kClipNameSize], scene[kClipNameSize];
  readName(game.missedScene, missed);
  readName(game.sceneFile, scene);
  return std::strncmp(missed, scene, kSaveNameSize) == 0;
}

// The one place a verdict changes the game: the next row, or the clip of the decision, which
// costs a life (the object clip costs the life its verdict credited). The window is settled
// and the next one starts without a decision.
static void applyVerdict(int32_t row, const Verdict& verdict) {
  judging.openWindowRow = -1;
  judging.decision = kDecisionNoMove;
  judging.objectTaken = verdict.objectTaken;
  if (!verdict.taken) return;
  traceEvent("verdict %d %d", row, verdict.decision);
  if (verdict.creditsObject) {
    game.lives++;
    judging.objectRow = row;
  }
  if (verdict.passesRow) {
    game.moveIndex++;
    return;
  }
  if (!verdict.objectTaken) {
    judging.objectRow = kNoObjectRow;
    if (missedSceneIsCurrent()) writeName(game.missedScene, "");
  }
  char clip[kClipNameSize];
  copyText(clip, sizeof clip, clipForDecision(game.moveTable[row], verdict.plays));
  openClip(clip, 0);
  judging.outcomeClipPlaying = true;
  game.lives--;
}

// The judging of a pass: a window that the judging saw open and the clock has since passed gets
// its verdict first; then the input is judged against the window open now, whose verdict falls
// in the pass in which it closes. So a pass takes at most two verdicts, both here. Returns
// whether the input was a good move.
static bool judgingStep(InputCode code) {
  if (!judgingActive()) return false;
  bool goodMove = false;
  bool inputJudged = false;
  for (;;) {
    if (!inputJudged && windowOpen()) {
      judging.openWindowRow = game.moveIndex;
      inputJudged = true;
      if (code != kInputNone) goodMove = judgeInput(code);
    }
    if (!verdictDue()) return goodMove;
    int32_t row = game.moveIndex;
    applyVerdict(row, decideVerdict(row));
  }
}

void checkpointStep() {
  if (game.demoActive) return;
  int32_t index = game.hotspotIndex;
  QVK_ASSERT(index >= 0 && index < kHotspotEntries);
  // A hotspot file whose every entry lies within the scene leaves no checkpoint beyond the last.
  if (index + 1 >= kHotspotEntries) return;
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

  if (game.demoActive && takeInput() != kInputNone) {
    finishGameThread();
    return false;
  }

  InputCode code = takeInput();
  bool goodMove = judgingStep(code);

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
