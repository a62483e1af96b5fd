// qvkcheck: reads a game directory the way the player reads it and reports every problem its
// author must fix, one line each, with the file and, where there is one, the line.
//
// Contents
//   Findings      problems and warnings, and how they are printed
//   Names         finding the game's files by the names the game uses
//   Scenes        what is known of each scene: its rows, checkpoints and length
//   Checks        move files, hotspot files, clips, timing
#pragma once

#include <map>
#include <string>
#include <vector>

#include "game/game.h"
#include "media/media.h"

// ---------------------------------------------------------------------------------------------
// Findings
//
// A problem breaks the game or makes it behave other than its author meant; a warning is a
// timing hazard that shows only in some plays; a note tells what the player does with a game
// that is not finished yet (scenes not made), and fails nothing. All are printed as
// "FILE:LINE: text" (or "FILE: text"), warnings with "warning: " and notes with "note: " before
// the text. Every text says what is wrong in the words of the authoring guide, and what to do.

void problem(const std::string& file, int line, const std::string& text);
void warning(const std::string& file, int line, const std::string& text);
void note(const std::string& file, const std::string& text);
void printFindings();  // in the order found
int problemCount();
int warningCount();

// ---------------------------------------------------------------------------------------------
// Names
//
// The game names its files in lower case; its data may have been written on a file system that
// ignores case, and the player finds such files, but an author must still make the names match.

// Sets the directory the other calls look in.
void setGameDirectory(const std::string& dir);
// The path of the file the game calls `name`, or "" when there is none. A file whose name
// differs only in case is reported (once per name) and its path returned. A missing file is
// reported once per name with the text whenMissing, at `namedBy`/`line` (the file that names
// it, or the name itself).
std::string locateFile(const std::string& name, const std::string& namedBy, int line,
                       const std::string& whenMissing);
// Whether the directory holds the file, under its name or one that differs only in case.
bool isPresent(const std::string& name);
// What to say when a file of a scene is missing: what (its "video", "move file", "hotspot
// file") is needed by a scene begun, or by the first scene, which every game starts with.
std::string sceneFileMissing(const std::string& base, const std::string& what);

// One read of a move or hotspot file as the player makes it (at most 127 characters, the line
// end included), and the line of the file it comes from. text holds every byte read, NUL bytes
// too, though the player's own reading of it stops at the first NUL.
struct TextRead {
  int line = 0;
  std::string text;
  bool nulHidesText = false;  // a NUL byte hides more of it from the player (reported)
  bool continues = false;     // the second or a later piece of a long line (reported)
};
// The first `limit` reads the player makes of the file at path (named file in findings). A line
// the player reads in pieces, making `each` of every piece ("a move"), is reported, and so is a
// NUL byte that hides text from the player, who reads nothing of its line after it.
std::vector<TextRead> readAsThePlayerDoes(const std::string& path, const std::string& file,
                                          size_t limit, const char* each);

// ---------------------------------------------------------------------------------------------
// Scenes

// Frames are 64-bit here: the checker adds windows and margins to whatever frames a file holds.
struct RowInfo {
  int line = 0;         // line of the move file
  int64_t trigger = 0;  // the frame the file gives (the table stores it kMoveFrameShift higher)
  MoveWindow window{};  // the row's window, in frames of currentFrame
  int objectMove = 0;
  std::vector<std::string> clips;  // the six clip names as the player builds them, "x" for "00"
};

struct CheckpointInfo {
  int line = 0;
  int64_t frame = 0;
};

struct SceneInfo {
  std::string base;  // "seq03"
  bool movesRead = false;
  std::vector<RowInfo> rows;
  bool hotspotsRead = false;
  std::vector<CheckpointInfo> checkpoints;
  int frames = -1;  // frames of the scene's AVI file, -1 when unknown
};

// A scene's base name ("seq03" of "seq03.avi").
std::string baseOf(const char* scene);
// The base names of the game's scenes: those of the scene order, then their mirror images.
std::vector<std::string> sceneBases();
// The scene the coin picks instead of base (seq02 and seq12 ... seq07 and seq17 are mirrors of
// each other); "" for seq01 and seq08, which have none.
std::string mirrorOf(const std::string& base);

// ---------------------------------------------------------------------------------------------
// Checks

// The move file: its lines as read, then its rows as the player's loader builds them.
void checkMoveFile(SceneInfo& scene);
// The hotspot file: its lines, their order, and its closing entry (needs scene.frames).
void checkHotspotFile(SceneInfo& scene);

// What the checker learnt of a clip. frames is -1 when it could not be read.
struct ClipInfo {
  int frames = -1;
};
// Reads demo.avi as the format every clip must share; reports it when it is not the game's.
void readReferenceClip();
// Checks one AVI file against the reference. namedBy/line say who needs it, whenMissing what
// to say when it is not there.
ClipInfo checkClip(const std::string& name, const std::string& namedBy, int line,
                   const std::string& whenMissing, bool isScene);

// Timing between the files: clips long enough to be judged, credits and demo that would
// start again, scenes that end before their last window, checkpoints inside windows.
void checkTiming(const std::vector<SceneInfo>& scenes, const std::map<std::string, ClipInfo>& clips,
                 const std::string& startBase);

// infile.txt, when there is one: the start scene it names. Returns the start scene's base name
// ("seq01" without the file).
std::string checkStartScene();
