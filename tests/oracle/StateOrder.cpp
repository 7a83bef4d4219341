#include "StateOrder.h"

#include <cassert>

bool positionLess(const Piece& a, const Piece& b) {
  if (a.x() != b.x()) return a.x() < b.x();
  return a.y() < b.y();
}

bool stateLess(const BoardState& a, const BoardState& b) {
  assert(b.pieceCount() >= a.pieceCount());
  for (int i = 0; i < a.pieceCount(); ++i) {
    if (positionLess(a.pieces[i], b.pieces[i])) return true;
    if (positionLess(b.pieces[i], a.pieces[i])) return false;
  }
  return false;
}
