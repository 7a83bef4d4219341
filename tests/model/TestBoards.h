// Board set-up shared by the tests that build positions by hand.
#pragma once

#include <cstdint>

#include "model/BoardSize.h"
#include "model/OccupancyGrid.h"
#include "model/Piece.h"

// Sets the board size and allocates its grid, as the size screen does.
inline void useBoard(int width, int height) {
  boardWidth = width;
  boardHeight = height;
  allocateOccupancyGrid();
}

// A piece of catalog shape `shape` with its origin at (x, y).
inline Piece pieceAt(int shape, int x, int y) {
  Piece piece(shape);
  piece.setX(static_cast<int8_t>(x));
  piece.setY(static_cast<int8_t>(y));
  return piece;
}
