// The move file of a scene: first its lines as text (the items of each, the table's limits),
// then the rows the player's own loader builds from it (clip names, frames, object moves). The
// author knows rows as lines, and is told in those words.
#include <cctype>
#include <cstdio>
#include <cstring>

#include "qvkcheck.h"

// One read of the file, as the player makes it, split into its items as the player splits it,
// and the line of the file it came from.
struct Piece {
  int line;
  std::vector<std::string> tokens;
  bool cutShort;   // by a NUL byte, which is reported: its items say nothing more
  bool continues;  // a later piece of a long line, which is reported: nothing more is said of it
};

static std::vector<std::string> splitWords(const char* text) {
  std::vector<std::string> words;
  const char* p = text;
  while (*p) {
    while (*p && std::isspace(static_cast<unsigned char>(*p))) ++p;
    const char* start = p;
    while (*p && !std::isspace(static_cast<unsigned char>(*p))) ++p;
    if (p > start) words.emplace_back(start, p);
  }
  return words;
}

static bool isInteger(const std::string& word) {
  size_t i = (word[0] == '-' || word[0] == '+') ? 1 : 0;
  if (i == word.size()) return false;
  for (; i < word.size(); ++i)
    if (!std::isdigit(static_cast<unsigned char>(word[i]))) return false;
  return true;
}

// One read past the rows the player takes is enough to know the rest is ignored.
static std::vector<Piece> readPieces(const std::string& path, const std::string& file) {
  std::vector<Piece> pieces;
  for (const TextRead& read : readAsThePlayerDoes(path, file, kMoveRows, "a move"))
    pieces.push_back({read.line, splitWords(read.text.c_str()), read.nulHidesText, read.continues});
  return pieces;
}

static void checkItems(const Piece& piece, const std::string& file, const std::string& base) {
  const std::vector<std::string>& items = piece.tokens;
  if (items.empty()) {
    problem(file, piece.line,
            "blank line: the player reads it as a move at frame 0 whose every clip is the scene "
            "itself; delete it");
    return;
  }
  if (!isInteger(items[0]))
    problem(file, piece.line,
            "does not start with a frame number: begin the line with the frame where the move's "
            "cue starts");
  if (items.size() != 7)
    problem(file, piece.line,
            "has " + std::to_string(items.size()) +
                " items; a line is a frame and six tokens (no move, up, down, left, right, "
                "action)");
  if (items.size() > 1 && items[1] == "00")
    problem(file, piece.line,
            "\"00\" in the no-move column: when no key is pressed the player opens a file named "
            "\"x\"; name a death clip there");
  if (items.size() > 1 && items[1][0] == 't')
    warning(file, piece.line,
            "the no-move column names the object clip " + base + items[1] +
                ".avi: when no key is pressed it plays as a death and costs a life; name a death "
                "clip there unless that is meant");

  int correct = 0, objects = 0;
  for (size_t i = 2; i < items.size() && i < 7; ++i) {
    correct += items[i] == "00";
    objects += items[i][0] == 't';
  }
  if (correct == 0)
    problem(file, piece.line,
            "no correct move: write \"00\" in the column of the key the player must press");
  if (correct > 1)
    problem(file, piece.line,
            std::to_string(correct) + " correct moves (\"00\"); a line has exactly one");
  if (objects > 1)
    problem(
        file, piece.line,
        std::to_string(objects) + " objects (tokens starting with t); a line offers at most one");

  for (size_t i = 1; i < items.size() && i < 7; ++i) {
    std::string clip = base + items[i] + ".avi";
    if (items[i] != "00" && clip.size() > kClipNameSize - 1)
      problem(file, piece.line,
              "token " + items[i] + " makes the clip name " + std::to_string(clip.size()) +
                  " characters long; at most " + std::to_string(kClipNameSize - 1) +
                  " fit: shorten it");
  }
}

// A window as the author counts it, in frames of the picture.
static std::string pictureFrames(const MoveWindow& window) {
  return "frames " + std::to_string(window.opens - kMoveFrameShift) + " to " +
         std::to_string(window.closes - kMoveFrameShift);
}

void checkMoveFile(SceneInfo& scene) {
  const std::string file = scene.base + ".txt";
  std::string path = locateFile(file, file, 0, sceneFileMissing(scene.base, "move file"));
  if (path.empty()) return;
  std::vector<Piece> pieces = readPieces(path, file);

  const int rowsRead = std::min(static_cast<int>(pieces.size()), kMoveRows - 1);
  if (static_cast<int>(pieces.size()) > rowsRead)
    problem(file, pieces[rowsRead].line,
            "the player reads only the first " + std::to_string(rowsRead) +
                " moves of a move file and ignores this line and the rest; a scene has at most " +
                std::to_string(rowsRead) + " moves");
  for (int i = 0; i < rowsRead; ++i)
    if (!pieces[i].cutShort && !pieces[i].continues) checkItems(pieces[i], file, scene.base);

  // The rows as the player has them.
  loadMoveFile(file.c_str(), scene.base.c_str());
  scene.movesRead = true;
  for (int i = 0; i < rowsRead; ++i) {
    // A blank line's row, and a row of a long line's later piece, are reported as such, and
    // nothing else is said of them: their frame 0 would also count as out of order, and as the
    // scene's last move when it is the last line.
    if (pieces[i].tokens.empty() || pieces[i].continues) continue;
    const MoveRow& row = game.moveTable[i];
    RowInfo info;
    info.line = pieces[i].line;
    info.trigger = int64_t{row.frame} - kMoveFrameShift;
    info.window = moveWindow(row);
    info.objectMove = row.objectMove;
    for (const char* clip :
         {row.missClip, row.upClip, row.downClip, row.leftClip, row.rightClip, row.actionClip})
      info.clips.push_back(clip);
    scene.rows.push_back(info);
  }

  for (size_t i = 1; i < scene.rows.size(); ++i) {
    const RowInfo& before = scene.rows[i - 1];
    const RowInfo& row = scene.rows[i];
    if (row.trigger <= before.trigger)
      problem(file, row.line,
              "frame " + std::to_string(row.trigger) + " does not follow frame " +
                  std::to_string(before.trigger) + ": the lines must be in ascending frame order");
    else if (row.window.opens <= before.window.closes)
      warning(file, row.line,
              "its window (" + pictureFrames(row.window) + ") overlaps the window of line " +
                  std::to_string(before.line) + " (" + pictureFrames(before.window) +
                  "); leave at least 13 frames between two moves");
  }
}
