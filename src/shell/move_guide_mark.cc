// The move guide's mark: a dark square in the picture's top-right corner holding a yellow arrow
// for a direction or a yellow disc for the action. It is drawn over the painted picture on the
// screen alone; the game's pictures are never changed.
#include <cmath>

#include "shell/shell.h"

namespace {

// Sizes as parts of the picture's height: the square is 40 pixels at 1x, 6 pixels from the
// edges.
constexpr double kMarkSize = 1.0 / 6;
constexpr double kMarkMargin = 1.0 / 40;

// The arrow pointing up, in the square's own units (0 to 1 across and down): a head over a shaft.
constexpr double kArrow[][2] = {{0.5, 0.15},  {0.85, 0.5}, {0.62, 0.5}, {0.62, 0.85},
                                {0.38, 0.85}, {0.38, 0.5}, {0.15, 0.5}};
constexpr double kDiscRadius = 0.3;

// Turns of the up arrow, in quarter turns clockwise, for each direction.
int quarterTurns(InputCode move) {
  switch (move) {
    case kInputRight: return 1;
    case kInputDown: return 2;
    case kInputLeft: return 3;
    default: return 0;
  }
}

}  // namespace

void paintMoveGuide(cairo_t* cr, double x, double y, double width, double height, InputCode move) {
  double size = std::round(height * kMarkSize);
  double margin = std::round(height * kMarkMargin);
  if (size < 1) return;
  cairo_save(cr);
  cairo_translate(cr, x + width - margin - size, y + margin);
  cairo_scale(cr, size, size);
  cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
  cairo_rectangle(cr, 0, 0, 1, 1);
  cairo_set_source_rgba(cr, 0, 0, 0, 0.75);
  cairo_fill(cr);

  cairo_set_source_rgb(cr, 1, 0.85, 0);
  if (move == kInputAction) {
    cairo_arc(cr, 0.5, 0.5, kDiscRadius, 0, 2 * M_PI);
  } else {
    cairo_translate(cr, 0.5, 0.5);
    cairo_rotate(cr, quarterTurns(move) * M_PI / 2);
    cairo_translate(cr, -0.5, -0.5);
    cairo_move_to(cr, kArrow[0][0], kArrow[0][1]);
    for (const auto& point : kArrow) cairo_line_to(cr, point[0], point[1]);
    cairo_close_path(cr);
  }
  cairo_fill(cr);
  cairo_restore(cr);
}
