#include "SolutionReplay.h"

#include <utility>

#include "MoveByte.h"

SolutionReplay::SolutionReplay(BoardState start, std::vector<uint8_t> moves)
    : board_(std::move(start)), moves_(std::move(moves)) {}

bool SolutionReplay::forward() {
  if (atEnd()) return false;
  apply(moves_[played_], +1);
  ++played_;
  return true;
}

bool SolutionReplay::back() {
  if (played_ == 0) return false;
  --played_;
  apply(moves_[played_], -1);
  return true;
}

void SolutionReplay::apply(uint8_t move, int sign) {
  // The search records legal moves only, so neither way is tested for fit.
  const MoveStep step = decodeMove(move);
  Piece moved = board_.pieceAt(step.pieceIndex);
  moved.setX(static_cast<int8_t>(moved.x() + sign * step.dx));
  moved.setY(static_cast<int8_t>(moved.y() + sign * step.dy));
  board_.placePiece(moved, step.pieceIndex);
}
