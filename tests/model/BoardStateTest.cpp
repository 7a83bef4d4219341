#include <gtest/gtest.h>

#include "model/BoardState.h"
#include "model/OccupancyGrid.h"
#include "tests/model/TestBoards.h"

TEST(BoardStateTest, GridSizeFollowsTheBoard) {
  const OccupancyGrid small = boardOf(2, 2).occupancy(-1);
  EXPECT_EQ(small.size().cellCount(), 4);
  EXPECT_TRUE(small.fits(pieceAt(0, 0, 0)));
  EXPECT_FALSE(small.fits(pieceAt(0, 1, 0)));
  const OccupancyGrid large = boardOf(10, 8).occupancy(-1);
  EXPECT_EQ(large.size().cellCount(), 80);
  EXPECT_TRUE(large.fits(pieceAt(0, 8, 6)));
  EXPECT_FALSE(large.fits(pieceAt(0, 9, 6)));
  EXPECT_FALSE(large.occupied(10, 0));  // off the board: read as free, never addressed
}

TEST(BoardStateTest, CanPlaceStopsAtEveryEdgeOfTheBoard) {
  const BoardState empty = boardOf(6, 5);
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
  EXPECT_FALSE(boardOf(2, 2).canPlace(pieceAt(14, 0, 0), -1));
  EXPECT_TRUE(boardOf(2, 2).canPlace(pieceAt(0, 0, 0), -1));
}

TEST(BoardStateTest, CellsCountNotBoxes) {
  BoardState board = boardOf(6, 5);
  board.placePiece(pieceAt(1, 0, 0), -1);
  // The plus shape leaves its origin free, so it fits over the single cell.
  EXPECT_TRUE(board.canPlace(pieceAt(5, 0, 0), -1));
  board.placePiece(pieceAt(5, 0, 0), -1);
  EXPECT_FALSE(board.canPlace(pieceAt(1, 1, 1), -1));
  EXPECT_TRUE(board.canPlace(pieceAt(1, 2, 0), -1));
  // The grid shows both pieces: six cells.
  EXPECT_EQ(board.occupancy(-1).markedCount(), 6);
}

TEST(BoardStateTest, ExcludedPieceMayMoveOntoItsOwnCells) {
  BoardState board = boardOf(6, 5);
  board.placePiece(pieceAt(0, 0, 0), -1);
  board.placePiece(pieceAt(1, 3, 0), -1);
  Piece moved = board.pieceAt(0);
  moved.setX(1);
  EXPECT_TRUE(board.canPlace(moved, 0));
  EXPECT_FALSE(board.canPlace(moved, -1));
  moved.setX(2);
  EXPECT_FALSE(board.canPlace(moved, 0));          // now touches piece 1
  EXPECT_EQ(board.occupancy(0).markedCount(), 1);  // the grid shows piece 1 only
  // An index that names no piece excludes nothing.
  EXPECT_FALSE(board.canPlace(pieceAt(1, 3, 0), 7));
}

TEST(BoardStateTest, PlacePieceAppendsOrOverwrites) {
  BoardState board = boardOf(6, 5);
  OccupancyGrid grid(board.size);
  grid.mark(pieceAt(3, 2, 2));  // marking a grid leaves the board alone
  EXPECT_EQ(board.pieceCount(), 0);
  EXPECT_EQ(grid.markedCount(), 2);
  EXPECT_TRUE(grid.occupied(2, 3));
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
  BoardState source = boardOf(6, 5);
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
  EXPECT_EQ(assigned.size, (BoardSize{6, 5}));
}

TEST(BoardStateTest, TwoBoardsOfDifferentSizesKeepTheirOwnRules) {
  // Nothing is shared between boards: each tests against its own size.
  const BoardState narrow = boardOf(4, 3, {pieceAt(0, 2, 1)});
  const BoardState wide = boardOf(10, 8, {pieceAt(0, 2, 1)});
  EXPECT_TRUE(narrow.isGoal());
  EXPECT_FALSE(wide.isGoal());
  EXPECT_FALSE(narrow.canPlace(pieceAt(1, 5, 5), -1));
  EXPECT_TRUE(wide.canPlace(pieceAt(1, 5, 5), -1));
  EXPECT_FALSE(narrow.canPlace(pieceAt(1, 3, 2), 0) && wide.canPlace(pieceAt(1, 3, 2), -1) &&
               narrow.canPlace(pieceAt(1, 2, 1), -1));
}
