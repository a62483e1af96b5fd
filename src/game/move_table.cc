// The move table: one row per move window of the current scene, read from its move file.
#include <cstdio>
#include <cstring>
#include <string>

#include "game/game.h"
#include "game/scan.h"

// The clip fields in file order (items 2 to 7) and the InputCode of each move (none for the
// first: no decisive move).
static char* clipField(MoveRow& row, int item) {
  char* fields[] = {row.missClip, row.upClip,    row.downClip,
                    row.leftClip, row.rightClip, row.actionClip};
  return fields[item];
}
static const int32_t kItemInputCode[] = {kInputNone, kInputUp,    kInputDown,
                                         kInputLeft, kInputRight, kInputAction};
constexpr int kClipItems = 6;

// "00" marks the correct move; any other token names the clip sceneBase + token + ".avi". A
// name that would not fit its field is cut short (the author's checker reports such tokens).
static void setClip(char* field, const char* token, const char* sceneBase) {
  if (std::strcmp(token, "00") == 0) {
    copyText(field, kClipNameSize, kCorrectMoveClip);
  } else {
    copyText(field, kClipNameSize, sceneBase);
    appendText(field, kClipNameSize, token);
    appendText(field, kClipNameSize, ".avi");
  }
}

// One line of the file into one row. Items the line lacks count as empty tokens, so a blank
// line names the scene's own file for every outcome.
static void parseMoveLine(const char* line, MoveRow& row, const char* sceneBase) {
  row.missClip[0] = '\0';
  row.objectMove = 0;

  char tokens[kClipItems][kLineReadSize] = {};
  const char* p = line;
  if (scanInteger(p, &row.frame)) {
    for (int item = 0; item < kClipItems; ++item)
      if (!scanWord(p, tokens[item], kLineReadSize)) break;
  }
  // A trigger frame is a frame of the scene: none lies before its start. One read as negative
  // would open the window in the first frames of every clip, death clips included.
  row.frame = clampFrame(row.frame) + kMoveFrameShift;

  for (int item = 0; item < kClipItems; ++item) {
    setClip(clipField(row, item), tokens[item], sceneBase);
    // A lower-case t marks the object move; a later item overwrites an earlier one. The
    // no-move outcome (item 2) is never an object move.
    if (item > 0 && tokens[item][0] == 't') row.objectMove = kItemInputCode[item];
  }
}

MoveWindow moveWindow(const MoveRow& row) {
  return {row.frame, row.frame + kMoveWindowFrames};
}

void loadMoveFile(const char* fileName, const char* sceneBase) {
  std::string tried;
  FILE* file = openSceneTable(fileName, &tried);
  if (!file) {
    std::string text = "Move file not found" + tried;
    if (platform.window) platform.window->showMessage(text.c_str(), "read error", false);
    return;
  }

  for (MoveRow& row : game.moveTable) row.frame = 0;

  // The last row is kept for the end row, so the table holds at most 99 lines; later lines
  // are not read.
  int rows = 0;
  char line[kLineReadSize];
  while (rows < kMoveRows - 1 && readTextLine(file, line, sizeof line)) {
    parseMoveLine(line, game.moveTable[rows], sceneBase);
    ++rows;
  }
  game.moveTable[rows].frame = kEndRowFrame;

  std::fclose(file);
  game.moveIndex = 0;
}
