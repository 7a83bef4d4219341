// The rectangles a piece is drawn with. A piece is pulled in a little from
// its outline, so that two pieces side by side show a dark gap between them
// even when they share a colour, while the cells of one piece join up.
// Pure arithmetic, so it can be checked without a GL context.
#pragma once

#include "model/Shape.h"

// A rectangle in cells, relative to the piece's origin.
struct PieceRect {
  double left;
  double bottom;
  double right;
  double top;
};

// How far a piece's outline is pulled in, in cells: between two and three
// pixels in the window, so two pieces side by side stand five apart.
constexpr double pieceInset = 0.1;

// Whether the shape has a cell at offset (dx, dy).
inline bool shapeHasCell(const Shape& shape, int dx, int dy) {
  for (int k = 0; k < shape.cellCount; ++k) {
    if (shape.cells[2 * k] == dx && shape.cells[2 * k + 1] == dy) return true;
  }
  return false;
}

// Calls draw(rect) for rectangles that do not overlap and together cover the
// shape's cells shrunk by `inset` from the shape's outline. Each cell gives
// its own square pulled in on every side, then the strips that join it to
// its right and upper neighbours in the shape, then the square in the
// middle of a 2 by 2 block; so a notch in the outline stays a notch.
template <typename DrawRect>
void forEachPieceRect(const Shape& shape, double inset, DrawRect draw) {
  for (int k = 0; k < shape.cellCount; ++k) {
    const int dx = shape.cells[2 * k];
    const int dy = shape.cells[2 * k + 1];
    const double left = dx + inset, right = dx + 1 - inset;
    const double bottom = dy + inset, top = dy + 1 - inset;
    draw(PieceRect{left, bottom, right, top});
    const bool rightJoined = shapeHasCell(shape, dx + 1, dy);
    const bool upJoined = shapeHasCell(shape, dx, dy + 1);
    if (rightJoined) draw(PieceRect{right, bottom, right + 2 * inset, top});
    if (upJoined) draw(PieceRect{left, top, right, top + 2 * inset});
    if (rightJoined && upJoined && shapeHasCell(shape, dx + 1, dy + 1)) {
      draw(PieceRect{right, top, right + 2 * inset, top + 2 * inset});
    }
  }
}
