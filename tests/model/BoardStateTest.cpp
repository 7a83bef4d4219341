#include "model/BoardState.h"

#include <gtest/gtest.h>

#include "model/BoardSize.h"
#include "model/OccupancyGrid.h"
#include "tests/model/TestBoards.h"

namespace {

int markedCells() {
  int count = 0;
  for (uint8_t cell : occupancyGrid) count += cell != 0;
  return count;
}

}  // namespace

TEST(BoardStateTest, GridSizeFollowsTheBoard) {
  useBoard(2, 2);
  EXPECT_EQ(occupancyGrid.size(), 4u);
  useBoard(10, 8);
  EXPECT_EQ(occupancyGrid.size(), 80u);
}

TEST(BoardStateTest, CanPlaceStopsAtEveryEdgeOfTheBoard) {
  useBoard(6, 5);
  const BoardState empty;
  EXPECT_TRUE(empty.canPlace(pieceAt(1, 5, 0), -1));
  EXPECT_FALSE(empty.canPlace(pieceAt(1, 6, 0), -1));
  EXPECT_FALSE(empty.canPlace(pieceAt(1, -1, 0), -1));
  EXPECT_FALSE(empty.canPlace(pieceAt(1, 0, -1), -1));
  EXPECT_TRUE(empty.canPlace(pieceAt(1, 0, 4), -1));
  EXPECT_FALSE(empty.canPlace(pieceAt(1, 0, 5), -1));
  EXPECT_FALSE(empty.canPlace(pieceAt(0, 5, 0), -1));
  EXPECT_TRUE(empty.canPlace(pieceAt(0, 4, 3), -1));
  // Far outside, in both signs, without touching memory beyond the grid.
  EXPECT_FALSE(empty.canPlace(pieceAt(5, 127, 127), -1));
  EXPECT_FALSE(empty.canPlace(pieceAt(5, -128, -128), -1));
  // A wide shape on a narrow board never fits.
  useBoard(2, 2);
  EXPECT_FALSE(BoardState().canPlace(pieceAt(14, 0, 0), -1));
  EXPECT_TRUE(BoardState().canPlace(pieceAt(0, 0, 0), -1));
}

TEST(BoardStateTest, CellsCountNotBoxes) {
  useBoard(6, 5);
  BoardState board;
  board.placePiece(pieceAt(1, 0, 0), -1);
  // The plus shape leaves its origin free, so it fits over the single cell.
  EXPECT_TRUE(board.canPlace(pieceAt(5, 0, 0), -1));
  board.placePiece(pieceAt(5, 0, 0), -1);
  EXPECT_FALSE(board.canPlace(pieceAt(1, 1, 1), -1));
  EXPECT_TRUE(board.canPlace(pieceAt(1, 2, 0), -1));
  // After the test the grid shows both pieces and not the tested one.
  EXPECT_EQ(markedCells(), 6);
}

TEST(BoardStateTest, ExcludedPieceMayMoveOntoItsOwnCells) {
  useBoard(6, 5);
  BoardState board;
  board.placePiece(pieceAt(0, 0, 0), -1);
  board.placePiece(pieceAt(1, 3, 0), -1);
  Piece moved = board.pieceAt(0);
  moved.setX(1);
  EXPECT_TRUE(board.canPlace(moved, 0));
  EXPECT_FALSE(board.canPlace(moved, -1));
  moved.setX(2);
  EXPECT_FALSE(board.canPlace(moved, 0));  // now touches piece 1
  EXPECT_EQ(markedCells(), 1);             // the grid shows piece 1 only
  // An index that names no piece excludes nothing.
  EXPECT_FALSE(board.canPlace(pieceAt(1, 3, 0), 7));
}

TEST(BoardStateTest, PlacePieceMarksAppendsOrOverwrites) {
  useBoard(6, 5);
  BoardState board;
  board.placePiece(pieceAt(3, 2, 2), -2);
  EXPECT_EQ(board.pieceCount(), 0);
  EXPECT_EQ(markedCells(), 2);
  board.placePiece(pieceAt(0, 0, 0), -1);
  board.placePiece(pieceAt(1, 5, 4), -1);
  ASSERT_EQ(board.pieceCount(), 2);
  board.placePiece(pieceAt(2, 3, 1), 1);
  EXPECT_EQ(board.pieceAt(1).shapeIndex(), 2);
  EXPECT_EQ(board.pieceAt(1).x(), 3);
  EXPECT_EQ(board.pieceAt(0).x(), 0);
  EXPECT_EQ(board.pieceAt(0).shapeIndex(), 0);
}

TEST(BoardStateTest, CopiesAreIndependent) {
  useBoard(6, 5);
  BoardState source;
  source.placePiece(pieceAt(0, 1, 1), -1);
  source.appendMove(0, 1, 0);
  BoardState copy = source;
  copy.pieceAt(0).setX(3);
  copy.appendMove(0, -1, 0);
  copy.placePiece(pieceAt(1, 0, 0), -1);
  EXPECT_EQ(source.pieceAt(0).x(), 1);
  EXPECT_EQ(source.pieceCount(), 1);
  EXPECT_EQ(source.moveLog().size(), 1u);
  EXPECT_EQ(copy.moveLog().size(), 2u);
  BoardState assigned;
  assigned = copy;
  EXPECT_EQ(assigned.pieceCount(), 2);
  EXPECT_EQ(assigned.moveLog(), copy.moveLog());
}
