#include "SolutionReplay.h"

#include <algorithm>
#include <cassert>
#include <numeric>
#include <utility>

#include "MoveByte.h"

namespace {

// Where each counted move starts in the log, and the log's end last.
std::vector<size_t> moveStarts(size_t stepCount, const std::vector<uint16_t>& stepsPerMove) {
  std::vector<size_t> starts{0};
  const size_t grouped = std::accumulate(stepsPerMove.begin(), stepsPerMove.end(), size_t{0});
  const bool usable = grouped == stepCount &&
                      std::find(stepsPerMove.begin(), stepsPerMove.end(), 0) == stepsPerMove.end();
  if (!usable) {
    for (size_t step = 1; step <= stepCount; ++step) starts.push_back(step);
    return starts;
  }
  for (const uint16_t steps : stepsPerMove) starts.push_back(starts.back() + steps);
  return starts;
}

}  // namespace

SolutionReplay::SolutionReplay(BoardState start, std::vector<uint8_t> steps,
                               const std::vector<uint16_t>& stepsPerMove)
    : board_(std::move(start)),
      steps_(std::move(steps)),
      firstStep_(moveStarts(steps_.size(), stepsPerMove)) {}

bool SolutionReplay::forward() {
  if (atEnd()) return false;
  for (size_t step = firstStep_[played_]; step < firstStep_[played_ + 1]; ++step) {
    apply(steps_[step], +1);
  }
  ++played_;
  return true;
}

bool SolutionReplay::back() {
  if (played_ == 0) return false;
  --played_;
  for (size_t step = firstStep_[played_ + 1]; step-- > firstStep_[played_];) {
    apply(steps_[step], -1);
  }
  return true;
}

int SolutionReplay::lastMoveCells() const {
  if (played_ == 0) return 0;
  return static_cast<int>(firstStep_[played_] - firstStep_[played_ - 1]);
}

SolutionReplay::PieceOnItsWay SolutionReplay::lastMoveAt(double fraction) const {
  assert(played_ > 0);
  const size_t first = firstStep_[played_ - 1];
  const size_t cells = firstStep_[played_] - first;
  const int pieceIndex = decodeMove(steps_[first]).pieceIndex;
  // Walked back from where the move left the piece to where it set out.
  const Piece& arrived = board_.pieceAt(pieceIndex);
  double x = arrived.x();
  double y = arrived.y();
  for (size_t step = first; step < first + cells; ++step) {
    x -= decodeMove(steps_[step]).dx;
    y -= decodeMove(steps_[step]).dy;
  }
  // Then forward along the route, the last step taken in part.
  const double along = std::clamp(fraction, 0.0, 1.0) * static_cast<double>(cells);
  for (size_t step = 0; step < cells && along > static_cast<double>(step); ++step) {
    const double part = std::min(1.0, along - static_cast<double>(step));
    x += part * decodeMove(steps_[first + step]).dx;
    y += part * decodeMove(steps_[first + step]).dy;
  }
  return {pieceIndex, x, y};
}

void SolutionReplay::apply(uint8_t step, int sign) {
  // The search records legal moves only, so neither way is tested for fit.
  const MoveStep cell = decodeMove(step);
  Piece moved = board_.pieceAt(cell.pieceIndex);
  moved.setX(static_cast<int8_t>(moved.x() + sign * cell.dx));
  moved.setY(static_cast<int8_t>(moved.y() + sign * cell.dy));
  board_.placePiece(moved, cell.pieceIndex);
}
