// The moves a person plays from a layout, counted as the metric counts, with
// undo and redo. Whatever the metric, the person moves one cell at a time;
// the metric decides which runs of those cells make one counted move:
//   step  every cell is a move;
//   line  a longest run of cells of one piece in one direction;
//   path  a longest run of cells of one piece.
// A run ends where another piece moves (or, in line, the piece turns), and
// also at a hint, an undo or a redo: a hint is a move of its own, an undo
// takes the last move back whole and a redo plays it again whole, and the
// next cell moved after any of them starts a new move.
#pragma once

#include <cstdint>
#include <vector>

#include "model/BoardState.h"
#include "model/MoveMetric.h"

class PlayRecord {
 public:
  // One counted move: a piece and the direction codes of its cells, in order
  // (0 right, 1 left, 2 up, 3 down, as in move bytes).
  struct Move {
    int pieceIndex = 0;
    std::vector<uint8_t> directions;
    bool hint = false;
  };

  // Play from `start` (a layout without a move log) in `metric`.
  PlayRecord(BoardState start, MoveMetric metric);

  const BoardState& start() const { return start_; }
  // The position on the board, with an empty move log.
  const BoardState& board() const { return board_; }
  MoveMetric metric() const { return metric_; }

  // The moves played and not taken back.
  int moveCount() const { return static_cast<int>(done_.size()); }
  // The hints played since the start, taken back or not: a hint once seen
  // has been used.
  int hintCount() const { return hints_; }
  // The last move played or replayed, or nullptr at the start.
  const Move* lastMove() const { return done_.empty() ? nullptr : &done_.back(); }
  // Where the piece of the last move stood on its way: its index and the
  // origin it had after `fraction` (0 to 1) of the move's cells, partway
  // between two cells inside one. Called when a move has been played.
  struct PieceOnItsWay {
    int pieceIndex;
    double x;
    double y;
  };
  PieceOnItsWay lastMoveAt(double fraction) const;
  bool canUndo() const { return !done_.empty(); }
  bool canRedo() const { return !undone_.empty(); }

  // Moves piece `pieceIndex` one cell in direction `direction` when every
  // cell it would cover lies on the board and is free; the cell joins the
  // last move or starts a new one as the metric counts. False, with nothing
  // changed, when the piece does not fit there.
  bool stepPiece(int pieceIndex, int direction);

  // Plays `move` whole as a hint, a move of its own. False, with nothing
  // changed, when one of its cells does not fit.
  bool playHint(Move move);

  // Takes the last move back whole; the move taken back, or nullptr at the
  // start.
  const Move* undo();
  // Plays the last move taken back again whole, until a new move is made;
  // the move replayed, or nullptr when there is none.
  const Move* redo();

 private:
  // Moves the piece by one cell in `direction` times `sign` (+1 or -1) when
  // it fits there.
  bool moveCell(int pieceIndex, int direction, int sign);
  // Whether a cell of `pieceIndex` in `direction` belongs to the last move.
  bool extendsLastMove(int pieceIndex, int direction) const;

  BoardState start_;
  BoardState board_;
  MoveMetric metric_;
  std::vector<Move> done_;
  // Taken back, the most recent last.
  std::vector<Move> undone_;
  // Whether the next cell may join the last move: only right after a cell
  // moved by hand.
  bool lastMoveOpen_ = false;
  int hints_ = 0;
};
