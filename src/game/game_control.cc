// Game control: the Game menu's commands, the game thread's start and end, and the attract
// mode that starts the demo when nobody plays. Commands and attract ticks run as commands of
// the window (platform.h), one at a time, so they never interleave and never start two game
// threads.
#include <algorithm>
#include <atomic>
#include <thread>

#include "game/game.h"
#include "platform/game_wake.h"

static constexpr uint32_t kAttractFirstMs = 10000;
static constexpr uint32_t kAttractWhilePlayingMs = 100000;

static std::thread gameThread;
static std::atomic<bool> gameThreadStop{false};
static std::atomic<bool> gameThreadRunning{false};
static std::atomic<int> gameThreadsAlive{0};
static std::atomic<int> gameThreadsAtOnce{0};
static bool shutDownStarted = false;

// A joystick is read by polling: while one is plugged in, the thread looks at it this often,
// so a move reaches the judging within 5 ms.
static constexpr uint64_t kJoystickPollUs = 3000;

uint64_t gameSleepUs() {
  uint64_t sleep = input.joystickRead ? kJoystickPollUs : platform.gameWakeTimeoutMs * 1000ull;
  int64_t clock = timeToClockMoveUs();
  return clock < 0 ? sleep : std::min(sleep, static_cast<uint64_t>(clock));
}

void gameThreadProc() {
  startJudging();
  while (!stopRequested()) {
    uint64_t wakes = gameWakeCount();
    bool changed = false;
    if (!runGamePass(&changed)) break;
    // Nothing moved: sleep until something can change the next pass. Every frame of every
    // window is still judged: the thread wakes as the play cursor enters the next frame's sound.
    if (!changed) waitForGameWake(wakes, gameSleepUs());
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
  return game.gameActive || game.demoActive;
}

bool virtualGameThreadRunning() {
  return platform.virtualGameThread && gameThreadRunning;
}

void runVirtualGamePass(bool* changed) {
  if (!virtualGameThreadRunning()) return;
  if (!runGamePass(changed)) gameThreadRunning = false;
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
  stopStream();
  joinGameThread();
  game.gameActive = false;
}

static void startGameThread() {
  if (shutDownStarted) return;
  // Never two game threads, whatever ran while the command waited.
  joinGameThread();
  gameThreadRunning = true;
  if (platform.virtualGameThread) {
    startJudging();
  } else {
    gameThreadStop = false;
    gameThread = std::thread(gameThreadMain);
  }
  // A clip without sound runs on the FrameTimer; its stream buffer stays silent.
  if (playback.soundClock) playStream();
}

// Nothing plays: the clip is released and the window shows the title picture.
static void showTitle() {
  closeSequence();
  resetToWindowed();
  game.gameActive = false;
  game.demoActive = false;
  if (platform.window) platform.window->invalidate();
}

// A clip that could not be opened has shown its message and is not played: at its end the
// scene flow would only open it again, and show the message again, for ever.
static bool clipOpened() {
  return playback.aviFile != nullptr;
}

void setUpNewGame() {
  game.lives = kStartLives;
  writeName(game.missedScene, "");
  game.moveIndex = 0;
  game.hotspotIndex = 0;
  game.resumeMoveIndex = 0;
  writeName(game.sceneFile, "seq01.avi");
  loadSceneTables("seq01");
}

static void newGame() {
  if (!game.gameActive && !game.demoActive) drawCachedFrame(playback.drawSlot);
  endGameThread();
  setUpNewGame();
  game.demoActive = false;
  game.gameActive = true;
  game.judgingOff = false;
  openClip("seq01.avi", 0);
  if (!clipOpened()) {
    showTitle();
    return;
  }
  startGameThread();
}

static void loadSavedGame() {
  endGameThread();
  int32_t restartFrame = loadGame();
  game.demoActive = false;
  game.judgingOff = false;
  game.gameActive = true;
  char scene[kClipNameSize];
  readName(game.sceneFile, scene);
  openClip(scene, restartFrame);
  if (!clipOpened()) {
    showTitle();
    return;
  }
  startGameThread();
}

static void stopGame() {
  endGameThread();
  showTitle();
}

// Full Screen is entered only while a game or the demo runs.
static void fullScreen() {
  if (!gameOrDemoRunning() || !platform.window) return;
  game.displayMode = kDisplayFullScreen;
  platform.window->enterFullScreen();
}

void toggleFullScreen() {
  if (game.displayMode == kDisplayFullScreen) {
    returnToWindowed();
  } else {
    fullScreen();
  }
}

void returnToWindowed() {
  if (game.displayMode == kDisplayWindowed || !platform.window) return;
  game.displayMode = kDisplayWindowed;
  platform.window->returnToWindowed();
}

void resetToWindowed() {
  if (game.displayMode == kDisplayWindowed || !platform.window) return;
  game.displayMode = kDisplayWindowed;
  platform.window->resetToWindowed();
}

void restoreFullScreen() {
  if (!platform.window) return;
  game.displayMode = kDisplayFullScreen;
  platform.window->enterFullScreen();
}

bool runGameCommand(int commandId) {
  void (*command)() = nullptr;
  switch (commandId) {
    case kCommandNew: command = newGame; break;
    case kCommandLoad: command = loadSavedGame; break;
    case kCommandSave: command = saveCommand; break;
    case kCommandStop: command = stopGame; break;
    case kCommandFullScreen: command = fullScreen; break;
    default: return false;
  }
  runCommand([command] {
    // A command held until the window closed comes after the shutdown, and does nothing.
    if (!shutDownStarted) command();
  });
  return true;
}

static void armAttractTimer(uint32_t delayMs) {
  if (platform.timers)
    game.attractTimerId = platform.timers->setEvent(delayMs, attractTimerFired, false);
}

// The attract mode's look, on the window thread. The demo must not start in the middle of a
// command (one that waits runs the window's loop, and with it this look): the next look finds
// the command done.
static void attractLook() {
  if (!runCommandIfIdle(attractTick)) armAttractTimer(kAttractFirstMs);
}

void attractTimerFired() {
  if (platform.window) {
    platform.window->runOnWindowThread(attractLook);
  } else {
    attractLook();
  }
}

void attractTick() {
  if (shutDownStarted) return;
  if (gameOrDemoRunning()) {
    armAttractTimer(kAttractWhilePlayingMs);
    return;
  }
  // A thread that ended by itself is joined before anything of it is replaced.
  joinGameThread();
  game.demoActive = true;
  game.gameActive = true;
  openClip("demo.avi", 0);
  if (!clipOpened()) {
    // Without its clip there is no demo; looking again every ten seconds would only bring its
    // message back every ten seconds.
    showTitle();
    armAttractTimer(kAttractWhilePlayingMs);
    return;
  }
  startGameThread();
  armAttractTimer(kAttractFirstMs);
}

void startUp() {
  shutDownStarted = false;
  writeName(game.sceneFile, "");
  playback.openClipName[0] = '\0';
  // The diagnostic files of earlier versions; only ever in our own directory.
  std::remove(resolveInDirectory(platform.directories.install, "qv.out").c_str());
  std::remove(resolveInDirectory(platform.directories.install, "qv.err").c_str());
  initJoystick();
  seedRandom();
  // Without a game, one message instead of one for each of its files; no demo to wait for.
  bool gameFound = gameInCurrentDirectory();
  if (gameFound) {
    loadStartScene();
  } else {
    reportNoGame();
  }
  initSound();
  if (gameFound) openClip("demo.avi", 0);
  initStreamBuffer();
  // The demo is opened only to fill the frame cache and the stream buffer; nothing plays it
  // until the attract timer or a command opens a clip again, so its FrameTimer (started before
  // the stream buffer existed) would tick for nobody on the title.
  killTimer(playback.frameTimerId);
  game.displayMode = kDisplayWindowed;
  if (gameFound) armAttractTimer(kAttractFirstMs);
}

void shutDown() {
  shutDownStarted = true;
  stopStream();
  // The game thread may be playing a beep: it ends before anything it uses is released.
  joinGameThread();
  closeSequence();  // stops the FrameTimer too
  killTimer(game.attractTimerId);
  for (SoundBuffer** beep : {&playback.goodBeep, &playback.badBeep}) {
    if (*beep) (*beep)->release();
    *beep = nullptr;
  }
}
