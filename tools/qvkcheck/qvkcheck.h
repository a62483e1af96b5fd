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
// timing hazard that shows only in some plays. Both are printed as "FILE:LINE: text" (or
// "FILE: text"), warnings with "warning: " before the text.

void problem(const std::string& file, int line, const std::string& text);
void warning(const std::string& file, int line, const std::string& text);
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
// reported once per name, at `namedBy`/`line` (the file that needs it, or the name itself).
std::string locateFile(const std::string& name, const std::string& namedBy, int line,
                       const std::string& role);

// ---------------------------------------------------------------------------------------------
// Scenes

// Frames are 64-bit here: the checker adds windows and margins to whatever frames a file holds.
struct RowInfo {
  int line = 0;         // line of the move file
  int64_t trigger = 0;  // the frame the file gives (the table stores it 12 higher)
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

// The fourteen scene bases in the order of the game: seq01..seq08, seq12..seq17.
std::vector<std::string> sceneBases();

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
// Checks one AVI file against the reference. namedBy/line say who needs it.
ClipInfo checkClip(const std::string& name, const std::string& namedBy, int line,
                   const std::string& role, bool isScene);

// Timing between the files: clips long enough to be judged, credits and demo that would
// start again, scenes that end before their last window, checkpoints inside windows.
void checkTiming(const std::vector<SceneInfo>& scenes, const std::map<std::string, ClipInfo>& clips,
                 const std::string& startBase);

// infile.txt, when there is one: the start scene it names. Returns the start scene's base name
// ("seq01" without the file).
std::string checkStartScene();
