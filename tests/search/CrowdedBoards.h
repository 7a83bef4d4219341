// Crowded boards of the largest size, whose positions mostly take keys of
// three words: for the tests of those keys.
#pragma once

#include <algorithm>
#include <iterator>
#include <random>

#include "tests/model/TestBoards.h"

// A 10 by 8 board crowded with small pieces of every shape, piece 0 near
// the exit, then single cells, then opened by up to `free` cells.
inline BoardState crowdedBoard(std::mt19937& random, int free) {
  auto below = [&random](int bound) {
    return std::uniform_int_distribution<int>(0, bound - 1)(random);
  };
  BoardState board = boardOf(10, 8, {pieceAt(0, 3 + below(6), below(4))});
  const int shapes[] = {2, 2, 2, 3, 3, 3, 14, 14, 4, 4, 8, 9, 10, 11, 6, 7, 12, 13, 15, 16, 17, 18};
  for (int attempt = 0; attempt < 3000; ++attempt) {
    const Piece piece = pieceAt(shapes[below(std::size(shapes))], below(10), below(8));
    if (board.canPlace(piece, -1)) board.placePiece(piece, -1);
  }
  for (int cell = 0; cell < 80; ++cell) {
    const Piece single = pieceAt(1, cell % 10, cell / 10);
    if (board.canPlace(single, -1)) board.placePiece(single, -1);
  }
  for (int attempt = 0; attempt < 1000 && free > 0; ++attempt) {
    const int i = 1 + below(board.pieceCount() - 1);
    if (board.pieces[i].cellCount() > std::min(free, 2)) continue;
    free -= board.pieces[i].cellCount();
    board.pieces.erase(board.pieces.begin() + i);
  }
  return board;
}
