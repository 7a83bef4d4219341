// One arrangement of pieces on the board and the moves that led to it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "Piece.h"

class BoardState {
 public:
  // Index 0 is the piece that must get out; the rest in placement order.
  std::vector<Piece> pieces;
  // One move byte per move from the edited board to this state, oldest first.
  std::vector<uint8_t> moves;

  int pieceCount() const { return static_cast<int>(pieces.size()); }
  // The piece at `index` (0 to pieceCount() - 1), changeable in place.
  Piece& pieceAt(int index);
  const Piece& pieceAt(int index) const;

  // Makes the occupancy grid show every piece but the one at `excludeIndex`
  // (-1, or any index that names no piece, excludes none).
  void rebuildOccupancy(int excludeIndex) const;

  // Whether every cell of `piece` lies on the board and on no cell covered by
  // a piece of this state other than the one at `excludeIndex`. Leaves the
  // grid showing those other pieces.
  bool canPlace(const Piece& piece, int excludeIndex) const;

  // Marks the cells of `piece` in the grid, then: target -2 stops there,
  // -1 appends a copy of the piece, any index overwrites that piece. The
  // position must be one canPlace accepted.
  void placePiece(const Piece& piece, int target);

  // Appends the move byte for moving piece `pieceIndex` by (dx, dy).
  void appendMove(int pieceIndex, int dx, int dy);
  // A copy of the move log, oldest move first.
  std::vector<uint8_t> moveLog() const { return moves; }
  // Whether piece 0 stands in the exit: x = boardWidth - 2, y = 1.
  bool isGoal() const;
};

// Marks the cells of `piece` in the occupancy grid, without any test.
void markOccupancy(const Piece& piece);
