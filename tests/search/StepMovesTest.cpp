// The one move generator in all its forms, against the model's own rule of
// where a piece may stand and against a walk of one step at a time; the goal
// rule and the root's cells with it.
#include <gtest/gtest.h>

#include <memory>
#include <random>

#include "search/core/MetricMoves.h"
#include "search/core/RootCells.h"
#include "search/core/StepMoves.h"
#include "tests/model/TestBoards.h"

namespace {

// A random crowded layout on a board of `size`, the square first.
BoardState crowdedBoard(std::mt19937& random, BoardSize size) {
  auto below = [&random](int bound) {
    return std::uniform_int_distribution<int>(0, bound - 1)(random);
  };
  BoardState board(size);
  for (int attempt = 0; attempt < 400 && board.pieceCount() < maxLoggedPieces; ++attempt) {
    const int shape = board.pieceCount() == 0 ? 0 : below(shapeCount);
    const Piece piece = pieceAt(shape, below(size.width), below(size.height));
    if (board.canPlace(piece, -1)) board.placePiece(piece, -1);
  }
  return board;
}

// Each piece's steps: the branch-free bits and the visit give the same
// directions, in order, and exactly those the model lets the piece take.
template <typename CellMask>
void expectStepsAgree(const BoardState& board) {
  const auto geometry = std::make_unique<BoardGeometry<CellMask>>(board.size);
  uint8_t cells[maxLoggedPieces];
  ASSERT_TRUE(rootCells(board, *geometry, cells));
  CellMask occupied = 0;
  for (int i = 0; i < board.pieceCount(); ++i) {
    occupied |= geometry->mask[board.pieces[i].shapeIndex()][cells[i]];
  }
  for (int i = 0; i < board.pieceCount(); ++i) {
    const int shape = board.pieces[i].shapeIndex();
    const uint64_t bits = freeSteps(geometry->entered[shape][cells[i]], occupied);
    uint64_t visited = 0;
    int lastDirection = -1;
    forEachStep(*geometry, shape, cells[i], occupied, [&](int direction, uint8_t to) {
      EXPECT_GT(direction, lastDirection);
      lastDirection = direction;
      visited |= uint64_t{1} << direction;
      EXPECT_EQ(to, cells[i] + moveDx[direction] + moveDy[direction] * board.size.width);
    });
    EXPECT_EQ(bits, visited) << "piece " << i;
    for (int direction = 0; direction < moveDirectionCount; ++direction) {
      Piece moved = board.pieces[i];
      moved.setX(static_cast<int8_t>(moved.x() + moveDx[direction]));
      moved.setY(static_cast<int8_t>(moved.y() + moveDy[direction]));
      EXPECT_EQ((bits >> direction & 1) != 0, board.canPlace(moved, i))
          << "piece " << i << " direction " << direction;
    }
  }
  // The flood fill of a piece's clear origins reaches the places a walk of
  // one-cell steps reaches, and covers what the piece covers there.
  const MetricMoves<CellMask> walks(MoveMetric::path, *geometry);
  for (int i = 0; i < board.pieceCount(); ++i) {
    const int shape = board.pieces[i].shapeIndex();
    const CellMask others = occupied & ~geometry->mask[shape][cells[i]];
    CellMask walked = BoardGeometry<CellMask>::bit(cells[i]);
    CellMask covered = geometry->mask[shape][cells[i]];
    walks.forEachDestination(shape, cells[i], occupied, [&](uint8_t to) {
      walked |= BoardGeometry<CellMask>::bit(to);
      covered |= geometry->mask[shape][to];
    });
    const CellMask reached = reachableOrigins(*geometry, shape, cells[i], others);
    EXPECT_TRUE(reached == walked) << "piece " << i;
    EXPECT_TRUE(sweptCells(*geometry, shape, reached) == covered) << "piece " << i;
  }
  // Written back, the cells give the board again.
  BoardState copy = board;
  for (Piece& piece : copy.pieces) piece.setX(0);
  placeAtCells(cells, copy);
  for (int i = 0; i < board.pieceCount(); ++i) {
    EXPECT_EQ(copy.pieces[i].x(), board.pieces[i].x());
    EXPECT_EQ(copy.pieces[i].y(), board.pieces[i].y());
  }
}

}  // namespace

TEST(StepMovesTest, BothFormsAgreeWithTheModelOnRandomBoards) {
  std::mt19937 random(17);
  for (int round = 0; round < 400; ++round) {
    const BoardSize size{2 + round % 9, 2 + (round / 9) % 7};
    SCOPED_TRACE(testing::Message() << size.width << " by " << size.height);
    const BoardState board = crowdedBoard(random, size);
    if (size.cellCount() <= 64) expectStepsAgree<uint64_t>(board);
    expectStepsAgree<CellMask128>(board);
  }
}

TEST(StepMovesTest, RootsOffTheBoardOrOnEachOtherAreRefused) {
  const auto geometry = std::make_unique<BoardGeometry<uint64_t>>(BoardSize{4, 3});
  uint8_t cells[maxLoggedPieces];
  EXPECT_TRUE(rootCells(boardOf(4, 3, {pieceAt(0, 0, 0), pieceAt(2, 2, 0)}), *geometry, cells));
  EXPECT_FALSE(rootCells(boardOf(4, 3, {pieceAt(0, 0, 0), pieceAt(2, 1, 1)}), *geometry, cells));
  EXPECT_FALSE(rootCells(boardOf(4, 3, {pieceAt(0, 3, 0)}), *geometry, cells));
  EXPECT_FALSE(rootCells(boardOf(4, 3, {pieceAt(0, -1, 0)}), *geometry, cells));
}

// The exit is where the square fits at x = width - 2, y = 1, and only there:
// a board of two rows has none, whatever asks.
TEST(StepMovesTest, TheGoalIsOneRuleForTheModelAndTheSearch) {
  for (int width = minBoardWidth; width <= maxBoardWidth; ++width) {
    for (int height = minBoardHeight; height <= maxBoardHeight; ++height) {
      const BoardSize size{width, height};
      int exits = 0;
      for (int y = -1; y <= height; ++y) {
        for (int x = -1; x <= width; ++x) {
          const bool fits = boardOf(width, height).canPlace(pieceAt(0, x, y), -1);
          const bool exit = size.isExit(x, y);
          EXPECT_EQ(exit, fits && x == width - 2 && y == 1) << width << "x" << height;
          EXPECT_EQ(exit, boardOf(width, height, {pieceAt(0, x, y)}).isGoal());
          if (exit) {
            EXPECT_EQ(size.exitCell(), y * width + x);
          }
          exits += exit;
        }
      }
      EXPECT_EQ(exits, height >= 3 ? 1 : 0);
      if (height < 3) {
        EXPECT_EQ(size.exitCell(), -1);
      }
    }
  }
}
