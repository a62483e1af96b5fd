// The cues that tell the player which move is due (arrows and the action burst), the title bar
// and the bottom panel that carries the texts.
#include "qvkgen.h"

void drawArrow(Picture& p, Move move, int cx, int cy, int size, uint8_t colour) {
  int head = size / 2, shaft = size / 4;
  switch (move) {
    case kUp:
      fillTriangle(p, cx - head, cy, cx + head, cy, cx, cy - head, colour);
      fillRect(p, cx - shaft / 2, cy, shaft, head, colour);
      break;
    case kDown:
      fillTriangle(p, cx - head, cy, cx + head, cy, cx, cy + head, colour);
      fillRect(p, cx - shaft / 2, cy - head, shaft, head, colour);
      break;
    case kLeft:
      fillTriangle(p, cx, cy - head, cx, cy + head, cx - head, cy, colour);
      fillRect(p, cx, cy - shaft / 2, head, shaft, colour);
      break;
    case kRight:
      fillTriangle(p, cx, cy - head, cx, cy + head, cx + head, cy, colour);
      fillRect(p, cx - head, cy - shaft / 2, head, shaft, colour);
      break;
    default: break;
  }
}

// A star with an exclamation mark: strike now.
void drawActionBurst(Picture& p, int cx, int cy, int size, uint8_t colour) {
  int r = size / 2;
  fillTriangle(p, cx - r, cy - r / 3, cx + r, cy - r / 3, cx, cy + r, colour);
  fillTriangle(p, cx - r, cy + r / 3, cx + r, cy + r / 3, cx, cy - r, colour);
  int bar = size / 10 + 1;
  fillRect(p, cx - bar / 2, cy - r / 2, bar, r * 2 / 3, kRed);
  fillRect(p, cx - bar / 2, cy + r / 4, bar, bar, kRed);
}

void drawCue(Picture& p, Move move, int cx, int cy, int size, uint8_t colour) {
  if (move == kAction)
    drawActionBurst(p, cx, cy, size, colour);
  else
    drawArrow(p, move, cx, cy, size, colour);
}

void drawTitleBar(Picture& p, const std::string& left, const std::string& right) {
  fillRect(p, 0, 0, kWidth, kTopBar, kNavy);
  drawText(p, 4, 3, left, 1, kGold);
  drawText(p, kWidth - 4 - textWidth(right, 1), 3, right, 1, kGrey);
}

void drawPanel(Picture& p, uint8_t colour) {
  fillRect(p, 0, kPanelY, kWidth, kHeight - kPanelY, colour);
  fillRect(p, 0, kPanelY, kWidth, 1, kBlack);
}
