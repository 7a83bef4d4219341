// The pieces of a board as origin cells (y * width + x), the form the
// engines search in, and back.
#pragma once

#include <cstdint>

#include "BoardGeometry.h"
#include "StepMoves.h"
#include "model/BoardState.h"

// Writes the origin cell of each piece of `root`, in its order, to `cells`;
// false when a piece lies off the board or on another.
template <typename CellMask>
bool rootCells(const BoardState& root, const BoardGeometry<CellMask>& geometry, uint8_t* cells) {
  CellMask taken = 0;
  for (int i = 0; i < root.pieceCount(); ++i) {
    const Piece& piece = root.pieces[i];
    if (!root.size.contains(piece.x(), piece.y())) return false;
    cells[i] = static_cast<uint8_t>(piece.y() * root.size.width + piece.x());
    const CellMask own = geometry.mask[piece.shapeIndex()][cells[i]];
    if (own == 0 || cellsMeet(own, taken)) return false;
    taken |= own;
  }
  return true;
}

// Puts each piece of `board` at its origin cell in `cells` (in its order).
void placeAtCells(const uint8_t* cells, BoardState& board);
