#include "PlayRecord.h"

#include <algorithm>
#include <cassert>
#include <utility>

#include "model/MoveByte.h"

PlayRecord::PlayRecord(BoardState start, MoveMetric metric)
    : start_(std::move(start)), board_(start_), metric_(metric) {
  start_.moves.clear();
  board_.moves.clear();
}

bool PlayRecord::moveCell(int pieceIndex, int direction, int sign) {
  assert(direction >= 0 && direction < moveDirectionCount);
  if (pieceIndex < 0 || pieceIndex >= board_.pieceCount()) return false;
  Piece moved = board_.pieceAt(pieceIndex);
  moved.setX(static_cast<int8_t>(moved.x() + sign * moveDx[direction]));
  moved.setY(static_cast<int8_t>(moved.y() + sign * moveDy[direction]));
  if (!board_.canPlace(moved, pieceIndex)) return false;
  board_.placePiece(moved, pieceIndex);
  return true;
}

bool PlayRecord::extendsLastMove(int pieceIndex, int direction) const {
  if (!lastMoveOpen_ || done_.empty() || done_.back().pieceIndex != pieceIndex) return false;
  switch (metric_) {
    case MoveMetric::step:
      return false;
    case MoveMetric::line:
      return done_.back().directions.back() == direction;
    case MoveMetric::path:
      return true;
  }
  return false;
}

PlayRecord::PieceOnItsWay PlayRecord::lastMoveAt(double fraction) const {
  assert(!done_.empty());
  const Move& last = done_.back();
  const Piece& arrived = board_.pieceAt(last.pieceIndex);
  // Back from where the move left the piece to where it set out, then
  // forward along its cells, the last one taken in part.
  double x = arrived.x();
  double y = arrived.y();
  for (const uint8_t direction : last.directions) {
    x -= moveDx[direction];
    y -= moveDy[direction];
  }
  const double along = std::clamp(fraction, 0.0, 1.0) * static_cast<double>(last.directions.size());
  for (size_t cell = 0; cell < last.directions.size() && along > static_cast<double>(cell);
       ++cell) {
    const double part = std::min(1.0, along - static_cast<double>(cell));
    x += part * moveDx[last.directions[cell]];
    y += part * moveDy[last.directions[cell]];
  }
  return {last.pieceIndex, x, y};
}

bool PlayRecord::stepPiece(int pieceIndex, int direction) {
  if (!moveCell(pieceIndex, direction, +1)) return false;
  if (extendsLastMove(pieceIndex, direction)) {
    done_.back().directions.push_back(static_cast<uint8_t>(direction));
  } else {
    done_.push_back(Move{pieceIndex, {static_cast<uint8_t>(direction)}, false});
  }
  undone_.clear();
  lastMoveOpen_ = true;
  return true;
}

bool PlayRecord::playHint(Move move) {
  const BoardState before = board_;
  for (const uint8_t direction : move.directions) {
    if (direction >= moveDirectionCount || !moveCell(move.pieceIndex, direction, +1)) {
      board_ = before;
      return false;
    }
  }
  move.hint = true;
  done_.push_back(std::move(move));
  undone_.clear();
  lastMoveOpen_ = false;
  ++hints_;
  return true;
}

const PlayRecord::Move* PlayRecord::undo() {
  if (done_.empty()) return nullptr;
  const Move& last = done_.back();
  // Every cell was free when it was played forward, so it is free back.
  for (auto direction = last.directions.rbegin(); direction != last.directions.rend();
       ++direction) {
    [[maybe_unused]] const bool moved = moveCell(last.pieceIndex, *direction, -1);
    assert(moved);
  }
  undone_.push_back(std::move(done_.back()));
  done_.pop_back();
  lastMoveOpen_ = false;
  return &undone_.back();
}

const PlayRecord::Move* PlayRecord::redo() {
  if (undone_.empty()) return nullptr;
  const Move& next = undone_.back();
  for (const uint8_t direction : next.directions) {
    [[maybe_unused]] const bool moved = moveCell(next.pieceIndex, direction, +1);
    assert(moved);
  }
  done_.push_back(std::move(undone_.back()));
  undone_.pop_back();
  lastMoveOpen_ = false;
  return &done_.back();
}
