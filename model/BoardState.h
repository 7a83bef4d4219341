// One arrangement of pieces on a board of a given size, and the moves that
// led to it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "BoardSize.h"
#include "OccupancyGrid.h"
#include "Piece.h"

class BoardState {
 public:
  // An empty board of `size`.
  explicit BoardState(BoardSize size = BoardSize()) : size(size) {}

  // The board's columns and rows; the same for every state of one puzzle.
  BoardSize size;
  // Index 0 is the piece that must get out; the rest in placement order.
  std::vector<Piece> pieces;
  // One move byte per move from the edited board to this state, oldest first.
  std::vector<uint8_t> moves;

  int pieceCount() const { return static_cast<int>(pieces.size()); }
  // The piece at `index` (0 to pieceCount() - 1), changeable in place.
  Piece& pieceAt(int index);
  const Piece& pieceAt(int index) const;

  // A grid showing every piece but the one at `excludeIndex` (-1, or any
  // index that names no piece, excludes none).
  OccupancyGrid occupancy(int excludeIndex) const;

  // Whether every cell of `piece` lies on the board and on no cell covered by
  // a piece of this state other than the one at `excludeIndex`.
  bool canPlace(const Piece& piece, int excludeIndex) const;

  // Target -1 appends a copy of `piece`; any index overwrites that piece. The
  // position must be one canPlace accepted.
  void placePiece(const Piece& piece, int target);

  // Appends the move byte for moving piece `pieceIndex` by (dx, dy).
  void appendMove(int pieceIndex, int dx, int dy);
  // A copy of the move log, oldest move first.
  std::vector<uint8_t> moveLog() const { return moves; }
  // Whether piece 0 stands in the exit (BoardSize::isExit).
  bool isGoal() const;
};
