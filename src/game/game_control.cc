// Game control: the Game menu's commands, the game thread's start and end, and the attract
// mode that starts the demo when nobody plays. Commands and attract ticks are serialised by
// one command lock, so they never interleave and never start two game threads.
#include <atomic>
#include <mutex>
#include <thread>

#include "game/game.h"
#include "input/input.h"
#include "media/media.h"

static constexpr uint32_t kAttractFirstMs = 10000;
static constexpr uint32_t kAttractWhilePlayingMs = 100000;

// Recursive, because a command's message box may run a nested window loop.
static std::recursive_mutex commandLock;
static std::thread gameThread;
static std::atomic<bool> gameThreadStop{false};
static std::atomic<bool> gameThreadRunning{false};
static std::atomic<int> gameThreadsAlive{0};
static std::atomic<int> gameThreadsAtOnce{0};
static bool shutDownStarted = false;

// A joystick is read by polling: while one is plugged in, the thread looks at it this often,
// so a move reaches the judging within 5 ms.
static constexpr uint32_t kJoystickPollMs = 3;

void gameThreadProc() {
  startJudging();
  while (!stopRequested()) {
    uint64_t wakes = gameWakeCount();
    bool changed = false;
    if (!runGamePass(&changed)) break;
    // Nothing moved: sleep until something can change the next pass. Every frame of every
    // window is still judged, since the clock's every frame wakes the thread.
    if (!changed)
      waitForGameWake(wakes, inputPoll.joystickRead ? kJoystickPollMs : platform.gameWakeTimeoutMs);
  }
}

static void gameThreadMain() {
  int alive = ++gameThreadsAlive;
  if (alive > gameThreadsAtOnce) gameThreadsAtOnce = alive;
  threadStopRequest = &gameThreadStop;
  gameThreadProc();
  gameThreadRunning = false;
  --gameThreadsAlive;
}

int mostGameThreadsAtOnce() {
  return gameThreadsAtOnce;
}

bool gameThreadExists() {
  return gameThreadRunning;
}

bool gameOrDemoRunning() {
  return readFlagLocked(game.gameActive) || readFlagLocked(game.demoActive);
}

bool virtualGameThreadRunning() {
  return platform.virtualGameThread && gameThreadRunning;
}

void runVirtualGamePass() {
  if (!virtualGameThreadRunning()) return;
  if (!runGamePass()) gameThreadRunning = false;
}

// Asks the thread to stop and waits until it has; the thread gives up any wait it is in.
static void joinGameThread() {
  if (gameThread.joinable()) {
    gameThreadStop = true;
    wakeGame();
    gameThread.join();
  }
  gameThreadRunning = false;
}

void endGameThread() {
  if (game.streamBuffer) game.streamBuffer->stop();
  joinGameThread();
  game.gameActive = 0;
}

static void startGameThread() {
  gameThreadRunning = true;
  if (platform.virtualGameThread) {
    startJudging();
  } else {
    gameThreadStop = false;
    gameThread = std::thread(gameThreadMain);
  }
  // A clip without sound runs on the FrameTimer; its stream buffer stays silent.
  if (game.streamBuffer && sequence.soundClock && !game.streamBuffer->play(true))
    debugPrint("stream buffer did not start");
}

static void newGame() {
  if (!game.gameActive && !game.demoActive) drawCachedFrame(game.drawSlot);
  endGameThread();
  game.lives = kStartLives;
  writeName(game.missedScene, "");
  game.clockFrame = 0;
  game.moveIndex = 0;
  game.hotspotIndex = 0;
  game.resumeMoveIndex = 0;
  writeName(game.sceneFile, "seq01.avi");
  loadSceneTables("seq01");
  game.demoActive = 0;
  game.gameActive = 1;
  game.judgingOff = 0;
  openSequence("seq01.avi", 0);
  startGameThread();
}

static void loadSavedGame() {
  endGameThread();
  loadGame();
  game.demoActive = 0;
  game.judgingOff = 0;
  game.gameActive = 1;
  char scene[kClipNameSize];
  readName(game.sceneFile, scene);
  openSequence(scene, game.clockFrame);
  startGameThread();
}

static void stopGame() {
  endGameThread();
  closeSequence();
  if (game.displayMode != kDisplayWindowed && platform.window) platform.window->resetToWindowed();
  game.gameActive = 0;
  game.demoActive = 0;
  if (platform.window) platform.window->invalidate();
}

bool runGameCommand(int commandId) {
  std::lock_guard<std::recursive_mutex> hold(commandLock);
  switch (commandId) {
    case kCommandNew: newGame(); return true;
    case kCommandLoad: loadSavedGame(); return true;
    case kCommandSave: saveGame(); return true;
    case kCommandStop: stopGame(); return true;
    default: return false;
  }
}

static void armAttractTimer(uint32_t delayMs) {
  if (platform.timers)
    game.attractTimerId = platform.timers->setEvent(delayMs, attractTimerFired, false);
}

void attractTimerFired() {
  if (platform.window) {
    platform.window->runOnWindowThread(attractTick);
  } else {
    attractTick();
  }
}

void attractTick() {
  std::lock_guard<std::recursive_mutex> hold(commandLock);
  if (shutDownStarted) return;
  if (gameOrDemoRunning()) {
    armAttractTimer(kAttractWhilePlayingMs);
    return;
  }
  // A thread that ended by itself is joined before anything of it is replaced.
  joinGameThread();
  game.demoActive = 1;
  game.gameActive = 1;
  openSequence("demo.avi", 0);
  startGameThread();
  armAttractTimer(kAttractFirstMs);
}

void startUp() {
  std::lock_guard<std::recursive_mutex> hold(commandLock);
  shutDownStarted = false;
  writeName(game.sceneFile, "");
  game.openClipName[0] = '\0';
  // The diagnostic files of earlier versions; only ever in our own directory.
  std::remove(resolveInDirectory(platform.directories.install, "qv.out").c_str());
  std::remove(resolveInDirectory(platform.directories.install, "qv.err").c_str());
  initJoystick();
  seedRandom();
  loadStartScene();
  initSound();
  openSequence("demo.avi", 0);
  initStreamBuffer();
  game.displayMode = kDisplayWindowed;
  armAttractTimer(kAttractFirstMs);
}

void shutDown() {
  std::lock_guard<std::recursive_mutex> hold(commandLock);
  shutDownStarted = true;
  for (SoundBuffer** beep : {&game.goodBeep, &game.badBeep}) {
    if (*beep) (*beep)->release();
    *beep = nullptr;
  }
  if (game.streamBuffer) game.streamBuffer->stop();
  joinGameThread();
  closeSequence();
  if (TimerId timer = game.frameTimerId.exchange(0); timer && platform.timers)
    platform.timers->killEvent(timer);
  if (TimerId timer = game.attractTimerId.exchange(0); timer && platform.timers)
    platform.timers->killEvent(timer);
}
