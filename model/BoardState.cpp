#include "BoardState.h"

#include <algorithm>
#include <cassert>

#include "BoardSize.h"
#include "MoveByte.h"
#include "OccupancyGrid.h"

namespace {

size_t gridIndex(int cx, int cy) {
  return static_cast<size_t>(boardWidth) * cy + cx;
}

bool onBoard(int cx, int cy) {
  return cx >= 0 && cy >= 0 && cx <= boardWidth - 1 && cy <= boardHeight - 1;
}

}  // namespace

Piece& BoardState::pieceAt(int index) {
  assert(index >= 0 && index < pieceCount());
  return pieces[index];
}

const Piece& BoardState::pieceAt(int index) const {
  assert(index >= 0 && index < pieceCount());
  return pieces[index];
}

void markOccupancy(const Piece& piece) {
  const int x = piece.x();
  const int y = piece.y();
  const int8_t* cells = piece.cells();
  for (int k = 0; k < piece.cellCount(); ++k) {
    const size_t at = gridIndex(x + cells[2 * k], y + cells[2 * k + 1]);
    assert(at < occupancyGrid.size());
    occupancyGrid[at] = 1;
  }
}

void BoardState::rebuildOccupancy(int excludeIndex) const {
  assert(occupancyGrid.size() == static_cast<size_t>(boardWidth) * boardHeight);
  std::fill(occupancyGrid.begin(), occupancyGrid.end(), 0);
  for (int i = 0; i < pieceCount(); ++i) {
    if (i != excludeIndex) markOccupancy(pieces[i]);
  }
}

bool BoardState::canPlace(const Piece& piece, int excludeIndex) const {
  const int x = piece.x();
  const int y = piece.y();
  const int8_t* cells = piece.cells();
  rebuildOccupancy(excludeIndex);
  for (int k = 0; k < piece.cellCount(); ++k) {
    const int cx = x + cells[2 * k];
    const int cy = y + cells[2 * k + 1];
    if (!onBoard(cx, cy) || occupancyGrid[gridIndex(cx, cy)] != 0) return false;
  }
  return true;
}

void BoardState::placePiece(const Piece& piece, int target) {
  markOccupancy(piece);
  if (target == -2) return;
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
  return square.x() == boardWidth - 2 && square.y() == 1;
}
