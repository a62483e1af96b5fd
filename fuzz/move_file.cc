// Any bytes as a move file: the loader stays inside the table and every clip field stays a
// terminated name.
#include <cstring>

#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  writeFuzzFile("seq01.txt", data, size);
  loadMoveFile("seq01.txt", "seq01");
  bool endRowSeen = false;
  for (const MoveRow& row : game.moveTable) {
    for (const char* field :
         {row.missClip, row.upClip, row.downClip, row.leftClip, row.rightClip, row.actionClip})
      fuzzCheck(memchr(field, '\0', kClipNameSize) != nullptr);
    fuzzCheck(row.objectMove == 0 || row.objectMove == 1 || row.objectMove == 2 ||
              row.objectMove == 3 || row.objectMove == 4 || row.objectMove == 9);
    if (row.frame == kEndRowFrame) endRowSeen = true;
  }
  fuzzCheck(endRowSeen);
  fuzzCheck(game.moveIndex == 0);
  fuzzWindow.clear();
  return 0;
}
