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

// The square in the far corner of a 10 by 8 board among a dozen single
// cells: far more positions than a test can wait for, for tests of stopping.
inline BoardState endlessLayout() {
  BoardState board = boardOf(10, 8, {pieceAt(0, 0, 6)});
  for (int x = 3; x < 10; x += 2) {
    for (int y = 0; y < 8; y += 3) board.pieces.push_back(pieceAt(1, x, y));
  }
  return board;
}
