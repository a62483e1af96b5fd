// The game: its one global state, the scene tables, the saved game, and (as they are built)
// the game thread, the scene flow and the game control commands.
//
// Contents
//   Constants        names and sizes the whole game shares
//   Shared names     file names read by one thread while another writes them
//   Scene tables     MoveRow, the move table and the hotspot table
//   GameState        the one global record of the game
//   Event trace      the game's events as qvksim prints them
//   Scene tables     loadMoveFile, loadHotspotFile
//   Saved game       saveGame, loadGame
//   Game thread      the judging state, one pass, the thread's end
//   Scene flow       what plays when a clip ends; the random coin
//   Game control     commands, start-up and shutdown, attract mode
//   Headless session the program against the headless platform (qvksim, tests)
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>

#include "platform/platform.h"

// ---------------------------------------------------------------------------------------------
// Constants

constexpr int kMoveRows = 100;        // rows of the move table, the end row included
constexpr int kHotspotEntries = 100;  // checkpoint frames of the hotspot table
constexpr int kClipNameSize = 40;     // a clip name and its terminator
constexpr int kLineReadSize = 128;    // one read of a text file takes at most 127 characters
constexpr int kMoveFrameOffset = 12;  // a move file's frames are stored 12 higher
constexpr int32_t kEndRowFrame = 9999;
constexpr int kStartLives = 5;

// InputCode: what the player did, reduced to one number.
enum InputCode : int32_t {
  kInputNone = 0,
  kInputLeft = 1,
  kInputRight = 2,
  kInputUp = 3,
  kInputDown = 4,
  kInputAction = 9,
};

// Judging decisions beside the InputCodes.
constexpr int32_t kDecisionNoMove = 100;
constexpr int32_t kDecisionCorrect = 101;

// A clip field holding this text marks the correct move of a row.
constexpr const char* kCorrectMoveClip = "x";

// ---------------------------------------------------------------------------------------------
// Shared names
//
// The current scene and the missed scene are written by the game thread while Save reads them
// on the window thread; each copy in or out is one short hold of the name's own lock, so a
// reader never sees half a name.

struct SharedName {
  mutable std::mutex lock;
  char text[kClipNameSize] = {};
};

void writeName(SharedName& name, const char* text);  // truncates to kClipNameSize - 1
void readName(const SharedName& name, char (&out)[kClipNameSize]);
bool nameIsEmpty(const SharedName& name);
bool nameEquals(const SharedName& name, const char* text);

// ---------------------------------------------------------------------------------------------
// Scene tables

// One row of the move table: a move window and the clip of each outcome.
struct MoveRow {
  int32_t frame;       // trigger frame + 12; kEndRowFrame marks the end of the table
  int32_t objectMove;  // InputCode of the row's object move, 0 when the row has none
  char missClip[kClipNameSize];
  char upClip[kClipNameSize];
  char downClip[kClipNameSize];
  char leftClip[kClipNameSize];
  char rightClip[kClipNameSize];
  char actionClip[kClipNameSize];
};

using MoveTable = MoveRow[kMoveRows];
// Read by Save on the window thread while the game thread may load a scene.
using HotspotTable = std::atomic<int32_t>[kHotspotEntries];

// The clip field of row that belongs to an InputCode (missClip for any other code).
const char* clipForInput(const MoveRow& row, int32_t inputCode);

// A frame number read from a file (a trigger frame, a checkpoint, a saved restart frame) brought
// into the frames a clip can be opened at. Each reader clamps its frames once, as it reads them,
// so the game never counts beyond them.
int32_t clampFrame(int32_t frame);

// ---------------------------------------------------------------------------------------------
// GameState
//
// Every field that more than one thread reads or writes is atomic; relaxed order would do, the
// plain operators are used for readability. Fields of one thread only are plain.

struct GameState {
  // Game progress.
  std::atomic<int32_t> lives{kStartLives};
  SharedName sceneFile;    // AVI file of the current scene ("seq03.avi")
  SharedName missedScene;  // first scene whose object was passed by, or empty
  std::atomic<int32_t> moveIndex{0};
  std::atomic<int32_t> resumeMoveIndex{0};
  std::atomic<int32_t> hotspotIndex{0};
  std::atomic<int32_t> judgingOff{0};
  std::atomic<uint8_t> continueOffered{0};

  // Run flags: a game or the demo runs on the game thread; the demo runs. Read under stateLock.
  std::atomic<uint8_t> gameActive{0};
  std::atomic<uint8_t> demoActive{0};
  std::mutex stateLock;

  // Input.
  std::atomic<uint8_t> inputLatch{0};
  std::atomic<uint8_t> focusLost{0};

  // Scene tables. Until a move file has been read the move table is empty: a scene plays
  // through unjudged.
  MoveTable moveTable = {{kEndRowFrame}};
  HotspotTable hotspotTable = {};

  // Clock and open clip.
  std::atomic<int32_t> clockFrame{0};
  std::atomic<int32_t> currentFrame{0};
  std::atomic<uint8_t> sequenceEnded{0};
  std::atomic<int32_t> sequenceLength{0};
  char openClipName[kClipNameSize] = {};
  std::atomic<int32_t> drawSlot{0};

  // Playback pump.
  int32_t chunkClock = 0;
  int32_t soundReadPos = 0;
  uint8_t chunkFilled[6] = {};
  int32_t lastFilledChunk = -1;
  int32_t playChunk = 0;
  uint32_t playCursor = 0;
  uint8_t soundExhausted = 0;
  uint8_t drainStarted = 0;
  uint8_t drawDown = 0;
  int32_t lastLoadedSlot = -1;

  // Platform objects, each possibly absent and tested before every use.
  SoundDevice* soundDevice = nullptr;
  SoundBuffer* streamBuffer = nullptr;
  SoundBuffer* goodBeep = nullptr;
  SoundBuffer* badBeep = nullptr;
  MediaFile* aviFile = nullptr;
  std::atomic<TimerId> frameTimerId{0};
  std::atomic<TimerId> attractTimerId{0};

  // Display: 2 windowed, 3 full screen.
  std::atomic<int32_t> displayMode{2};
};

constexpr int32_t kDisplayWindowed = 2;
constexpr int32_t kDisplayFullScreen = 3;

extern GameState game;

// Puts every field of the game state, and the input poll, back to its start value: for the tools
// and tests that play several games in one process.
void resetGameState();

// Reads gameActive or demoActive in a short hold of stateLock of its own.
bool readFlagLocked(const std::atomic<uint8_t>& flag);

// ---------------------------------------------------------------------------------------------
// Event trace
//
// qvksim prints the game's events as they happen. When a hook is set, the places where they
// happen report them as one line each ("open seq01.avi 0", "verdict 8 3"), on their own thread.
extern void (*gameTraceHook)(const char* line);
void traceGameEvent(const char* format, ...) __attribute__((format(printf, 1, 2)));
// Tells the hook (with no line) that the followed state may have changed: the game thread does
// so after the game side of every pass and after the scene flow.
void traceGameState();

// ---------------------------------------------------------------------------------------------
// Scene tables: loading

// Reads fileName (install directory first, then the current directory) into the move table;
// clip names are sceneBase + token + ".avi". Sets moveIndex to 0. A missing file is reported
// ("Move file not found") and leaves the table and moveIndex as they were.
void loadMoveFile(const char* fileName, const char* sceneBase);

// Reads fileName into the hotspot table and sets hotspotIndex and resumeMoveIndex to 0. A
// missing file is reported ("Hotspot file not found") and changes nothing.
void loadHotspotFile(const char* fileName);

// ---------------------------------------------------------------------------------------------
// Saved game

constexpr int kSaveRecordSize = 50;
constexpr int kSaveNameSize = 15;

// Writes the position into the install directory's qvk.sav. The previous saved game stays
// whole until the new one is completely written.
void saveGame();

// Restores the saved position (or sets up a new game at the first scene when there is none)
// and loads its scene's tables. clockFrame receives the restart frame.
void loadGame();

// The 50-byte record and its file form (every LF stored as CR LF), for the tools and tests.
struct SaveRecord {
  char missedScene[kSaveNameSize];
  int32_t lives;
  char scene[kSaveNameSize];
  int32_t restartFrame;
  int32_t moveIndex;
  int32_t hotspotIndex;
  int32_t resumeMoveIndex;
};
void encodeSaveRecord(const SaveRecord& record, uint8_t (&bytes)[kSaveRecordSize]);
// Decodes a file's bytes; returns how many bytes of the record they held (up to 50).
int decodeSaveFile(const uint8_t* fileBytes, size_t fileSize, uint8_t (&bytes)[kSaveRecordSize]);

// ---------------------------------------------------------------------------------------------
// Game thread

// The row of no object: objectRow when no object has been credited in this scene, since a
// death, or since the thread started.
constexpr int32_t kNoObjectRow = -1;

// The judging state of the game thread: reset at every start of the thread, touched by it alone.
struct JudgingState {
  int32_t decision = kDecisionNoMove;  // what the verdict of the current window will do
  bool objectTaken = false;            // an object move made and not yet settled
  int32_t objectRow = kNoObjectRow;    // row whose object was last credited at a verdict
  int32_t objectResumeFrame = 0;       // where the scene resumes after the object clip
  int32_t objectResumeRow = 0;         // the row current again after the object clip
  bool outcomeClipPlaying = false;     // an outcome clip opened, its lives step still due
  bool gameOverPlaying = false;        // "gameover.avi" is open
  bool finished = false;               // finishGameThread has run: the thread ends
  int32_t openWindowRow = -1;          // row whose open window a pass judged, verdict still due
};

extern JudgingState judging;

// The game thread's entry: resets the judging state, then runs passes until the thread ends
// or is asked to stop.
void gameThreadProc();
// Resets the judging state as every start of the thread does.
void startJudging();
// One pass of the loop; false once the thread has ended through finishGameThread. Returns
// through changed whether the pass moved anything (the clock, the picture, the input).
bool runGamePass(bool* changed = nullptr);
// The thread's own end: closes the clip, returns to the window, clears the run flags.
void finishGameThread();

// ---------------------------------------------------------------------------------------------
// Scene flow

// At the end of the open clip: opens what comes next, or ends the thread.
void sceneFlow();
// Top of every pass: while the continue offer runs, any input restarts the scene.
void continueCheck();
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
// Seeds the generator from the clock's seconds, as start-up does.
void seedRandom();
// Seeds the generator with seed and draws the five numbers that start-up discards.
void seedRandomFrom(uint32_t seed);
// The generator's state, for tools and tests: seed it, and force the results of the next draws
// ("10011": 1, 0, 0, 1, 1), after which the generator takes over again.
void setRandomSeed(uint32_t seed);
void forceCoins(const char* bits);

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

// Runs New, Load, Save or Stop; false (nothing done) for any other identifier.
bool runGameCommand(int commandId);

// The game's part of the program's start-up, in order: joystick, random seed, start scene,
// sound device and beeps, the demo's AVI file, the stream buffer, the windowed display mode,
// and the attract timer. The window exists and is placed before it runs.
void startUp();
// The game's part of shutdown, in order: beeps released, stream stopped, game thread ended,
// AVI file released, frame timer and attract timer killed.
void shutDown();

// Whether a game thread exists (for the focus handlers).
bool gameThreadExists();
// The most game threads that ever ran at once in this run: never more than one.
int mostGameThreadsAtOnce();
// Whether a game or the demo runs (each flag read in its own hold of stateLock): full screen
// is entered only then.
bool gameOrDemoRunning();

// The AttractTimer's callback (timer thread): hands attractTick to the window thread.
void attractTimerFired();
// Starts the demo when nobody plays; re-arms itself.
void attractTick();
// Picks the start scene (infile.txt or seq01) and loads its tables.
void loadStartScene();
// Ends the running game thread (asks it to stop and joins it) and stops the stream buffer.
void endGameThread();

// With a virtual game thread: whether it runs, and one pass of it (nothing when it does not
// run). The pass ends the thread when the game or the demo is over.
bool virtualGameThreadRunning();
void runVirtualGamePass();

// ---------------------------------------------------------------------------------------------
// Headless session
//
// The program run against the headless platform, for qvksim and the tests: the real start-up,
// commands, game thread (virtual: its passes run one by one) and shutdown, with a virtual clock.
// Before every pass, virtual time moves on by a tenth of a frame: the sound card by 367 or 368
// bytes (sound clock), the timers by 8.3 ms (so the FrameTimer ticks once every ten passes).

struct HeadlessSession {
  HeadlessWindow window;
  HeadlessJoystick joystick;
  HeadlessTimers timers;
  VirtualSoundDevice sound;
  VirtualMediaLibrary virtualMedia;
  HeadlessDrawer drawer;
  bool soundClock = true;  // false: no sound device, the FrameTimer drives the clock
  uint64_t passes = 0;
};

// Puts the headless platform in place: gameDir is the current directory, installDir the install
// directory, media the AVI files (nullptr: the session's virtual media). Then runs the start-up.
void openHeadlessSession(HeadlessSession& session, const std::string& gameDir,
                         const std::string& installDir, MediaLibrary* media);
// Moves virtual time on by a tenth of a frame, then runs one pass of the game thread if one runs.
void runHeadlessPass(HeadlessSession& session);
// Ends a running game thread and shuts down in order; the platform is emptied.
void closeHeadlessSession(HeadlessSession& session);
