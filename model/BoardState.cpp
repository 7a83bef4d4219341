#include "BoardState.h"

#include <cassert>

#include "MoveByte.h"

Piece& BoardState::pieceAt(int index) {
  assert(index >= 0 && index < pieceCount());
  return pieces[index];
}

const Piece& BoardState::pieceAt(int index) const {
  assert(index >= 0 && index < pieceCount());
  return pieces[index];
}

OccupancyGrid BoardState::occupancy(int excludeIndex) const {
  OccupancyGrid grid(size);
  for (int i = 0; i < pieceCount(); ++i) {
    if (i != excludeIndex) grid.mark(pieces[i]);
  }
  return grid;
}

bool BoardState::canPlace(const Piece& piece, int excludeIndex) const {
  return occupancy(excludeIndex).fits(piece);
}

void BoardState::placePiece(const Piece& piece, int target) {
  assert(target >= -1);
  if (target == -1) {
    pieces.push_back(piece);
    return;
  }
  pieceAt(target) = piece;
}

void BoardState::appendMove(int pieceIndex, int dx, int dy) {
  moves.push_back(encodeMove(pieceIndex, dx, dy));
}

bool BoardState::isGoal() const {
  const Piece& square = pieceAt(0);
  return size.isExit(square.x(), square.y());
}
