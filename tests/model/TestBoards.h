// Board set-up shared by the tests that build positions by hand.
#pragma once

#include <cstdint>
#include <initializer_list>

#include "model/BoardState.h"
#include "model/Piece.h"

// A piece of catalog shape `shape` with its origin at (x, y).
inline Piece pieceAt(int shape, int x, int y) {
  Piece piece(shape);
  piece.setX(static_cast<int8_t>(x));
  piece.setY(static_cast<int8_t>(y));
  return piece;
}

// A board of width by height holding `pieces` in order, placed without tests.
inline BoardState boardOf(int width, int height, std::initializer_list<Piece> pieces = {}) {
  BoardState board(BoardSize{width, height});
  board.pieces = pieces;
  return board;
}
