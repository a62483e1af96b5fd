// The game: its one global state, the scene tables, the saved game, the game thread, the scene
// flow, the keys and the focus, and the game control commands. The game stands on the media
// engine (which plays the clips it opens) and the input (which reports the player's moves).
//
// Contents
//   Constants        names and sizes the whole game shares
//   (shared_name.h)  file names read by one thread while another writes them
//   Scene tables     MoveRow, the move table and the hotspot table
//   GameState        the one global record of the game
//   Scene tables     loadMoveFile, loadHotspotFile
//   Saved game       saveGame, loadGame
//   Game thread      the judging state, one pass, the checkpoint step, the thread's end
//   Scene flow       what plays when a clip ends; the random coin
//   Keys and focus   the key handler's reactions, the focus handlers, menus and the pause key
//   Status           the few words of the window's title
//   Game directory   where the game is, the sample game when there is none
//   Game control     commands, display modes, start-up and shutdown, attract mode
#pragma once

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <mutex>
#include <string>
#include <vector>

#include "game/shared_name.h"
#include "input/input.h"
#include "media/media.h"

// ---------------------------------------------------------------------------------------------
// Constants

constexpr int kMoveRows = 100;        // rows of the move table, the end row included
constexpr int kHotspotEntries = 100;  // checkpoint frames of the hotspot table
constexpr int kLineReadSize = 128;    // one read of a text file takes at most 127 characters
// A move file counts the frames of the picture, and the table stores each frame this much
// higher: currentFrame, which the judging compares with it, runs one frame cache (a second)
// ahead of the picture on screen.
constexpr int kMoveFrameShift = kCacheSlots;
// A move's window lasts from its row's frame to this many frames later, both included: a second.
constexpr int kMoveWindowFrames = kFramesPerSecond;
constexpr int32_t kEndRowFrame = 9999;  // the frame of the row that ends the move table
constexpr int kStartLives = 5;

// What the verdict of the open window will do: play the clip of a move (or the object clip of
// the row's object move), play the row's missClip, or pass the row. The moves keep their
// InputCodes, so a verdict's trace line shows the move.
enum Decision : int32_t {
  kDecisionLeft = kInputLeft,
  kDecisionRight = kInputRight,
  kDecisionUp = kInputUp,
  kDecisionDown = kInputDown,
  kDecisionAction = kInputAction,
  kDecisionNoMove = 100,   // no decisive move: the row's missClip
  kDecisionCorrect = 101,  // the correct move: on to the next row
};

// The display modes, with the numbers the game has always given them.
enum DisplayMode : int32_t {
  kDisplayWindowed = 2,    // the 320 by 240 picture under the menu bar
  kDisplayFullScreen = 3,  // the picture stretched over the whole screen, no menu
};

// A clip field holding this text marks the correct move of a row.
constexpr const char* kCorrectMoveClip = "x";

// The game's own clips.
constexpr const char* kDemoClip = "demo.avi";          // the demo, while nobody plays
constexpr const char* kContinueClip = "cont.avi";      // the continue offer after the last life
constexpr const char* kGameOverClip = "gameover.avi";  // when the offer passes without a key
constexpr const char* kMissedClip = "missed.avi";      // before a missed scene comes back
constexpr const char* kCreditsClip = "credits.avi";    // after the last scene; a game saved
                                                       // while it plays goes on with it
// After a death that leaves 1 to 4 lives, the clip that shows them ("3lives.avi"); nullptr for
// any other count.
constexpr int kMostLivesShown = 4;
const char* livesClip(int32_t lives);

// ---------------------------------------------------------------------------------------------
// Scene tables

// One row of the move table: a move window and the clip of each outcome.
struct MoveRow {
  int32_t frame;       // frames: the trigger frame + 12; kEndRowFrame marks the table's end
  int32_t objectMove;  // InputCode of the row's object move, kInputNone when it has none
  char missClip[kClipNameSize];
  char upClip[kClipNameSize];
  char downClip[kClipNameSize];
  char leftClip[kClipNameSize];
  char rightClip[kClipNameSize];
  char actionClip[kClipNameSize];
};

using MoveTable = MoveRow[kMoveRows];

// A row's move window: the values of currentFrame in which its move is judged, both included,
// from the row's frame to a second later. Its verdict falls as it closes.
struct MoveWindow {
  int32_t opens;
  int32_t closes;
};
MoveWindow moveWindow(const MoveRow& row);
// Checkpoint frames. Read by Save on the window thread while the game thread may load a scene.
using HotspotTable = std::atomic<int32_t>[kHotspotEntries];

// The clip field of row that a decision plays (missClip for kDecisionNoMove and any code that
// is no move).
const char* clipForDecision(const MoveRow& row, int32_t decision);

// A frame number read from a file (a trigger frame, a checkpoint, a saved restart frame) brought
// into the frames a clip can be opened at. Each reader clamps its frames once, as it reads them,
// so the game never counts beyond them.
int32_t clampFrame(int32_t frame);

// ---------------------------------------------------------------------------------------------
// GameState
//
// The game's one global record. The game thread writes it while a game or the demo runs; the
// commands on the window thread write it only after they have ended the game thread, except
// that Save runs beside it (it reads the position, and writes lives only to clamp a count it
// would not save) and the key handler switches judging. So every field that two threads touch
// is atomic (relaxed order would do; the plain operators are used for reading ease), and the
// names, which are longer than one word, have locks of their own. The tables are written only
// by the game thread or by a command while no game thread runs.

struct GameState {
  // Game progress.
  std::atomic<int32_t> lives{kStartLives};  // lives left; -1 while the continue offer runs
  SharedName sceneFile;                     // AVI file of the current scene ("seq03.avi")
  SharedName missedScene;  // AVI file of the first scene whose object was passed by, or empty
  std::atomic<int32_t> moveIndex{0};         // row of the move table whose window comes next
  std::atomic<int32_t> resumeMoveIndex{0};   // row current again when the scene restarts at
                                             // its last checkpoint
  std::atomic<int32_t> hotspotIndex{0};      // entry of the hotspot table: the last checkpoint
  std::atomic<bool> judgingOff{false};       // no move is judged: F5 (window thread), the
                                             // credits and the demo (game thread); F6 clears it
  std::atomic<bool> continueOffered{false};  // the continue clip runs: any move continues

  // Run flags: a game or the demo runs on the game thread; the demo runs. Written by the game
  // thread and by the commands, read by both and by the key handler.
  std::atomic<bool> gameActive{false};
  std::atomic<bool> demoActive{false};

  // The current scene's tables, loaded by the scene flow (game thread) and by the commands.
  // Until a move file has been read the move table is empty: a scene plays through unjudged.
  MoveTable moveTable = {{kEndRowFrame}};
  HotspotTable hotspotTable = {};

  // Written by the game control on the window thread and by the game thread's returns from
  // full screen; read by the key handler.
  std::atomic<DisplayMode> displayMode{kDisplayWindowed};
  std::atomic<TimerId> attractTimerId{0};
};

extern GameState game;

// Puts the game state, the judging state, the playback state (its platform objects kept) and
// the input state back to their start values: for the tools and tests that play several games
// in one process.
void resetGameState();

// Scene tables: loading

// Reads fileName (install directory first, then the current directory) into the move table;
// clip names are sceneBase + token + ".avi". Sets moveIndex to 0. A missing file is reported
// ("Move file not found") and leaves the table and moveIndex as they were.
void loadMoveFile(const char* fileName, const char* sceneBase);

// Reads fileName into the hotspot table and sets hotspotIndex and resumeMoveIndex to 0. A
// missing file is reported ("Hotspot file not found") and changes nothing.
void loadHotspotFile(const char* fileName);

// Opens a move or hotspot file where the loaders look for it: the install directory first, then
// the current directory. nullptr when neither opens, with *tried naming each path tried and
// why it failed, a line each (each line begins with a line end).
FILE* openSceneTable(const char* fileName, std::string* tried);

// The move and hotspot files (seqNN.txt and seqNN.hot, in any case) that this user's install
// directory holds: the player reads each of them instead of a game's own. Their paths, by name;
// none when `except` is that directory (a tool that reads it already).
std::vector<std::string> playersInstalledTables(const std::string& except);

// ---------------------------------------------------------------------------------------------
// Saved game

constexpr int kSaveNameSize = 15;  // a saved game keeps this much of a name

// Writes the position into the install directory's qvk.sav. The previous saved game stays
// whole until the new one is completely written. A failure is reported ("Failed to create save
// file", the path and the reason) and returns false.
bool saveGame();
// The Save command: saves a game that runs and says "Game saved" in the window's title; with no
// game running (the title, the demo) it says that there is nothing to save and writes nothing.
void saveCommand();

// Restores the saved position (or sets up a new game at the first scene when there is none)
// and loads its scene's tables. Returns the frame the scene restarts at.
int32_t loadGame();

// ---------------------------------------------------------------------------------------------
// Game thread

// The row of no object: objectRow when no object has been credited in this scene, since a
// death, or since the thread started.
constexpr int32_t kNoObjectRow = -1;

// The judging state of the game thread: reset at every start of the thread, touched by it alone.
struct JudgingState {
  Decision decision = kDecisionNoMove;  // what the verdict of the current window will do
  bool objectTaken = false;             // an object move made and not yet settled
  int32_t objectRow = kNoObjectRow;     // row whose object was last credited at a verdict
  int32_t objectResumeFrame = 0;        // where the scene resumes after the object clip
  int32_t objectResumeRow = 0;          // the row current again after the object clip
  bool outcomeClipPlaying = false;      // an outcome clip opened, its lives step still due
  bool gameOverPlaying = false;         // "gameover.avi" is open
  bool finished = false;                // finishGameThread has run: the thread ends
  int32_t openWindowRow = -1;           // row whose open window a pass judged, verdict still due
};

extern JudgingState judging;

// The game thread's entry: startJudging, then passes until the thread ends or must stop.
void gameThreadProc();
void startJudging();  // resets the judging state, as every start of the thread does
// One pass of the loop; false once the thread has ended through finishGameThread. Returns
// through changed whether the pass moved anything (the clock, the picture, the input).
bool runGamePass(bool* changed = nullptr);
// How long the thread sleeps after a pass that moved nothing, unless woken: until the play
// cursor enters the next frame's sound, the joystick's next look, or the longest sleep.
uint64_t gameSleepUs();
// The thread's own end: closes the clip, returns to the window, clears the run flags.
void finishGameThread();

// The move guide's mark: the correct move of the row whose window is open now and judged, or
// kInputNone (no window open, judging off, the demo, the continue offer, a row without one).
// Called by the game thread as it shows a picture, or while no game thread runs.
InputCode moveGuide();

// Opens a clip (openSequence); the row current again after a death (the checkpoint's row) is
// then the current row, and the scene flow moves on from there where another row is due.
void openClip(const char* fileName, int32_t startFrame);

// The media steps of a pass, in order: three clock polls, each followed by the checkpoint step
// when it read the clock, with the picture step after the first and the refill after the
// second. The run flag gameActive is set again before every poll.
void runMediaSteps();
// Once the clock reaches the next checkpoint, it becomes the restart point, and play resumes
// there at the first row whose window lies beyond it. One checkpoint per call; none while the
// demo runs.
void checkpointStep();

// ---------------------------------------------------------------------------------------------
// Scene flow

// At the end of the open clip: opens what comes next, or ends the thread.
void sceneFlow();
// Top of every pass: while the continue offer runs, any input restarts the scene.
void continueCheck();
// The scene order: the game's scenes step by step, each with the mirror image that the coin
// may pick instead (none for the first and the last step). A scene's base name is its first
// five characters ("seq03"): its move file is base.txt, its hotspot file base.hot, its outcome
// clips base + token + ".avi".
struct SceneStep {
  const char* scene;
  const char* mirror;
};
inline constexpr SceneStep kSceneOrder[] = {
    {"seq01.avi", nullptr},     {"seq02.avi", "seq12.avi"}, {"seq03.avi", "seq13.avi"},
    {"seq04.avi", "seq14.avi"}, {"seq05.avi", "seq15.avi"}, {"seq06.avi", "seq16.avi"},
    {"seq07.avi", "seq17.avi"}, {"seq08.avi", nullptr},
};
constexpr int kSceneSteps = sizeof kSceneOrder / sizeof kSceneOrder[0];
constexpr int kSceneBaseLength = 5;
// After this step (seq06 or seq16) a scene whose object was passed by comes back; only the
// scenes up to it can be the missed one.
constexpr int kMissedSceneStep = 5;
// Every game starts with the first scene, unless infile.txt names another.
constexpr const char* kFirstScene = kSceneOrder[0].scene;

// The step of the scene order that holds name, as a scene or as its mirror image, spelt as the
// game spells it ("seq05.avi", "seq15.avi"); -1 for any other name.
int sceneStepOf(const char* name);
// Whether name is a scene of the scene order or its mirror image: what a start scene must be,
// and a saved game's scene unless it is the credits.
bool isSceneName(const char* name);
// The scene order, keyed on the clip that has just ended.
void advanceScene();
// The lives clips, the continue offer and game over.
void livesStep();
// Loads a scene's move and hotspot files; the scene's base name is the first five characters
// of scene ("seq05.avi" and "seq05" both load seq05.txt and seq05.hot).
void loadSceneTables(const char* scene);
// Makes a scene current: its tables, then sceneFile = base + ".avi".
void makeSceneCurrent(const char* base);

// One fair random bit from the game's generator.
int randomCoin();
void seedRandom();                   // from the clock's seconds, as start-up does
void seedRandomFrom(uint32_t seed);  // and draws the five numbers that start-up discards
// The generator's state, for tools and tests: seed it, and force the results of the next draws
// ("10011": 1, 0, 0, 1, 1), after which the generator takes over again.
void setRandomSeed(uint32_t seed);
void forceCoins(const char* bits);

// ---------------------------------------------------------------------------------------------
// Keys and focus

// One key event, a press, an auto-repeat or a release alike: the latch, F5/F6, Esc; while the
// demo runs, any key ends it. The key is never swallowed; the shell passes it on afterwards.
void keyboardHookProc(uint32_t virtualKey);

// The main window gained or lost the keyboard focus: install or remove the keyboard hook,
// resume or pause the game (the stream buffer and the FrameTimer's clock).
void onFocusGained();
void onFocusLost();
// A menu of the window opened or closed: the game pauses under it as it does without the focus.
void setMenuOpen(bool open);
// The pause key: pauses a game or the demo that runs, or resumes it. The game plays only while
// the window has the focus, no menu is open and the player has not paused it.
void pauseKey();
// Full Screen as the command does while windowed, and back to the window while full screen, so
// that one key (F11) goes there and back.
void toggleFullScreen();

// ---------------------------------------------------------------------------------------------
// Status
//
// The few words the window's title shows beside the game's name: "Game saved" (for a few
// seconds), "Paused", "Judging off", "No sound device: silent". Any thread.

// Tells the window the status when it has changed since it was last told.
void updateStatus();
// A save has succeeded: "Game saved" for three seconds.
void noteGameSaved();
// Forgets what the window was told, for a new session (resetGameState).
void resetStatus();

// ---------------------------------------------------------------------------------------------
// Game directory

// Whether the current directory holds a game: its demo or its first scene opens.
bool gameInCurrentDirectory();
// For a program started with no game directory: when the current directory holds no game, the
// first of samplePlaces that holds one (the installed sample game) becomes the current
// directory, and standard error says so.
void findGame(const std::vector<std::string>& samplePlaces);
// Start-up in a place without a game: one message says where it looked (the current directory
// and the places findGame tried) and how to name a game's directory.
void reportNoGame();

// ---------------------------------------------------------------------------------------------
// Game control

// Menu command identifiers.
constexpr int kCommandNew = 40001;
constexpr int kCommandLoad = 40003;
constexpr int kCommandSave = 40004;
constexpr int kCommandStop = 40008;
constexpr int kCommandWindowed = 40005;
constexpr int kCommandFullScreen = 40007;
constexpr int kCommandAbout = 65535;

// Runs New, Load, Save, Stop or Full Screen as a command of the window (runCommand: held
// while another command runs); false (nothing done) for any other identifier.
bool runGameCommand(int commandId);

// New's reset of the game's progress: five lives, nothing missed, the first scene and its
// tables, every index at 0.
void setUpNewGame();

// The returns from full screen: the display mode is windowed at once, and the window follows
// on its own thread. returnToWindowed is the plain one (Esc, the end of a game); Stop's
// resetToWindowed renews the drawing resources too. Nothing happens while windowed.
void returnToWindowed();
void resetToWindowed();

// Start-up's return to full screen, for a window that was full screen when the program last
// ended: the title shows over the whole screen until a game or the demo starts, and Esc returns
// to the window as ever.
void restoreFullScreen();

// The game's part of the program's start-up, in order: joystick, random seed, start scene,
// sound device and beeps, the demo's AVI file, the stream buffer, the windowed display mode,
// and the attract timer. The window exists and is placed before it runs; it runs as a command
// or before any can run. In a place without a game it shows reportNoGame's message instead of
// the start scene, and neither opens the demo nor arms the attract timer.
void startUp();
// The game's part of shutdown, in order: stream stopped, game thread ended, AVI file released,
// frame timer and attract timer killed, beeps released. It runs as a command, or inside the
// command that closes the window.
void shutDown();

// Whether a game thread exists (for the focus handlers).
bool gameThreadExists();
// The most game threads that ever ran at once in this run: never more than one.
int mostGameThreadsAtOnce();
// Whether a game or the demo runs: full screen is entered only then.
bool gameOrDemoRunning();

// The AttractTimer's callback (timer thread): hands the attract mode's look to the window
// thread, which runs attractTick as a command when no command runs and looks again ten seconds
// later when one does.
void attractTimerFired();
// Starts the demo when nobody plays; re-arms itself.
void attractTick();
// The start scene: the first word of the first line of infile.txt (current directory). read is
// false when there is no such file the game can read; word is empty when its first line has
// none. Only a scene name (isSceneName) is started with; else the game starts with kFirstScene.
struct StartSceneFile {
  bool read = false;
  std::string word;
};
StartSceneFile readStartSceneFile();
// Picks the start scene (infile.txt or the first scene), reporting a word that names no scene,
// and loads its tables.
void loadStartScene();
// Ends the running game thread (asks it to stop and joins it) and stops the stream buffer.
void endGameThread();

// With a virtual game thread: whether it runs, and one pass of it (nothing when it does not
// run). The pass ends the thread when the game or the demo is over.
bool virtualGameThreadRunning();
void runVirtualGamePass(bool* changed = nullptr);
