// Layouts for the tests of the play screen's logic: the classic, and small
// random ones.
#pragma once

#include <random>
#include <utility>
#include <vector>

#include "model/BoardState.h"
#include "tests/model/TestBoards.h"

// The classic 4 by 5 layout turned so that its exit is on the right
// (data/puzzles/classic.txt): 116, 90 and 81 moves by step, line and path.
inline BoardState classicLayout() {
  return boardOf(
      5, 4,
      {pieceAt(0, 0, 1), pieceAt(2, 0, 3), pieceAt(2, 0, 0), pieceAt(2, 2, 3), pieceAt(2, 2, 0),
       pieceAt(3, 2, 1), pieceAt(1, 3, 2), pieceAt(1, 3, 1), pieceAt(1, 4, 3), pieceAt(1, 4, 0)});
}

// A random layout on a board of 4 to 6 by 3 to 5 with the square and up to
// seven more pieces of small shapes, placed where they fit.
inline BoardState randomPlayLayout(std::mt19937& random) {
  const auto below = [&random](int bound) {
    return std::uniform_int_distribution<int>(0, bound - 1)(random);
  };
  BoardState board = boardOf(4 + below(3), 3 + below(3));
  const auto tryPlace = [&board](const Piece& piece) {
    if (!board.canPlace(piece, -1)) return false;
    board.placePiece(piece, -1);
    return true;
  };
  while (!tryPlace(pieceAt(0, below(board.size.width), below(board.size.height)))) {
  }
  const int shapes[] = {1, 1, 2, 3, 4, 8, 14};
  const int wanted = 1 + below(7);
  for (int attempt = 0; attempt < 40 && board.pieceCount() <= wanted; ++attempt) {
    tryPlace(pieceAt(shapes[below(7)], below(board.size.width), below(board.size.height)));
  }
  return board;
}

// Where each piece stands, as (x, y) pairs in index order.
inline std::vector<std::pair<int, int>> placesOf(const BoardState& board) {
  std::vector<std::pair<int, int>> places;
  for (const Piece& piece : board.pieces) places.emplace_back(piece.x(), piece.y());
  return places;
}
