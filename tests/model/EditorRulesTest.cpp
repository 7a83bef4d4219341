#include <gtest/gtest.h>

#include "model/EditorRules.h"
#include "tests/model/TestBoards.h"

namespace {

// Arrow presses, then the end of the frame.
void press(EditorCursor& cursor, CursorStep step, int times, BoardSize size) {
  for (int i = 0; i < times; ++i) moveCursor(cursor, step, size);
  settleCursor(cursor);
}

}  // namespace

TEST(EditorRulesTest, ArrowsKeepEveryCellOfTheCursorOnTheBoard) {
  EditorCursor square;
  press(square, CursorStep::right, 9, {6, 5});
  press(square, CursorStep::up, 9, {6, 5});
  EXPECT_EQ(square.piece.x(), 4);  // its right column on x = 5
  EXPECT_EQ(square.piece.y(), 3);
  press(square, CursorStep::left, 9, {6, 5});
  press(square, CursorStep::down, 9, {6, 5});
  EXPECT_EQ(square.piece.x(), 0);
  EXPECT_EQ(square.piece.y(), 0);

  // On a 2-wide board the square cannot move right at all.
  EditorCursor narrow;
  press(narrow, CursorStep::right, 3, {2, 4});
  EXPECT_EQ(narrow.x, 0);
  // A shape wider than the board stays at 0, sticking out, and is refused.
  BoardState board = boardOf(2, 4, {pieceAt(0, 0, 2)});
  EditorCursor wide = cursorOfShape(14);
  press(wide, CursorStep::right, 3, board.size);
  press(wide, CursorStep::up, 1, board.size);
  EXPECT_EQ(wide.piece.x(), 0);
  EXPECT_EQ(wide.piece.y(), 1);
  EXPECT_EQ(placeCursor(wide, board), Placement::occupied);
  EXPECT_EQ(board.pieceCount(), 1);
}

TEST(EditorRulesTest, ShapesCycleOnlyOnceTheSquareStands) {
  BoardState board = boardOf(6, 5);
  EditorCursor cursor;
  cycleShape(cursor, board, +1);
  cycleShape(cursor, board, +1);
  cycleShape(cursor, board, -1);
  EXPECT_EQ(cursor.shapeIndex, 0);  // inert, and not remembered
  EXPECT_EQ(canSearch(board), false);
  press(cursor, CursorStep::right, 2, board.size);
  ASSERT_EQ(placeCursor(cursor, board), Placement::placed);
  EXPECT_TRUE(canSearch(board));
  EXPECT_EQ(cursor.shapeIndex, 0);  // the next piece keeps the shape just placed
  EXPECT_EQ(cursor.piece.x(), 0);

  press(cursor, CursorStep::up, 2, board.size);
  cycleShape(cursor, board, -1);
  EXPECT_EQ(cursor.shapeIndex, 18);  // 0 wraps to 18
  EXPECT_EQ(cursor.piece.shapeIndex(), 18);
  EXPECT_EQ(cursor.x, 0);  // and the cursor is back at (0, 0)
  EXPECT_EQ(cursor.y, 0);
  cycleShape(cursor, board, +1);
  EXPECT_EQ(cursor.shapeIndex, 0);  // 18 wraps to 0
  for (int i = 0; i < 19; ++i) cycleShape(cursor, board, +1);
  EXPECT_EQ(cursor.shapeIndex, 0);
}

TEST(EditorRulesTest, PlacementsUseThePositionLastShown) {
  BoardState board = boardOf(6, 5);
  EditorCursor cursor;
  ASSERT_EQ(placeCursor(cursor, board), Placement::placed);  // the square at (0, 0)
  cycleShape(cursor, board, +1);                             // a single cell
  press(cursor, CursorStep::right, 1, board.size);
  // An arrow and space in the same frame: the test uses (1, 0), shown before
  // the arrow, which the square covers; the arrow's step still counts.
  moveCursor(cursor, CursorStep::right, board.size);
  EXPECT_EQ(placeCursor(cursor, board), Placement::occupied);
  EXPECT_EQ(placeCursor(cursor, board), Placement::occupied);  // each press refused
  settleCursor(cursor);
  EXPECT_EQ(cursor.piece.x(), 2);
  ASSERT_EQ(placeCursor(cursor, board), Placement::placed);
  ASSERT_EQ(board.pieceCount(), 2);
  EXPECT_EQ(board.pieces[1].x(), 2);
  EXPECT_EQ(board.pieces[1].shapeIndex(), 1);

  // O then space in one frame: the new shape is placed at (0, 0) if it fits.
  BoardState other = boardOf(6, 5, {pieceAt(0, 2, 2)});
  EditorCursor next = cursorOfShape(2);
  press(next, CursorStep::up, 1, other.size);
  cycleShape(next, other, +1);  // shape 3, two cells along y, back at (0, 0)
  ASSERT_EQ(placeCursor(next, other), Placement::placed);
  EXPECT_EQ(other.pieces[1].shapeIndex(), 3);
  EXPECT_EQ(other.pieces[1].y(), 0);
}

TEST(EditorRulesTest, ABoardHoldsAtMostSixtyFourPieces) {
  BoardState board = boardOf(10, 8);
  EditorCursor cursor;
  ASSERT_EQ(placeCursor(cursor, board), Placement::placed);
  cycleShape(cursor, board, +1);
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 10; ++x) {
      cursor.x = x;
      cursor.y = y;
      settleCursor(cursor);
      placeCursor(cursor, board);
    }
  }
  EXPECT_EQ(board.pieceCount(), 64);
  cursor.x = 9;
  cursor.y = 7;
  settleCursor(cursor);
  EXPECT_TRUE(board.canPlace(cursor.piece, -1));  // free, yet refused
  EXPECT_EQ(placeCursor(cursor, board), Placement::full);
  EXPECT_EQ(board.pieceCount(), 64);
}

TEST(EditorRulesTest, AnEditorOpenedOnALayoutGoesOnAsAfterItsLastPlacement) {
  BoardState empty = boardOf(6, 5);
  EditorCursor first = startingCursor(empty);
  EXPECT_EQ(first.shapeIndex, 0);
  cycleShape(first, empty, +1);
  EXPECT_EQ(first.shapeIndex, 0);  // still the first phase

  // Lay out a square and a bar by hand, then open the layout again.
  BoardState board = boardOf(6, 5);
  EditorCursor placing;
  ASSERT_EQ(placeCursor(placing, board), Placement::placed);
  cycleShape(placing, board, -5);  // shape 14, a bar of three
  press(placing, CursorStep::up, 3, board.size);
  ASSERT_EQ(placeCursor(placing, board), Placement::placed);

  EditorCursor reopened = startingCursor(board);
  EXPECT_EQ(reopened.shapeIndex, placing.shapeIndex);
  EXPECT_EQ(reopened.piece.shapeIndex(), 14);
  EXPECT_EQ(reopened.x, 0);
  EXPECT_EQ(reopened.y, 0);
  EXPECT_EQ(reopened.piece.x(), 0);
  EXPECT_EQ(reopened.piece.y(), 0);
  cycleShape(reopened, board, +1);  // the second phase: O and P work
  EXPECT_EQ(reopened.shapeIndex, 15);
}

TEST(EditorRulesTest, BackspaceTakesOffTheLastPieceDownToTheFirstPhase) {
  BoardState board = boardOf(6, 5, {pieceAt(0, 0, 1), pieceAt(3, 5, 0), pieceAt(14, 2, 4)});
  EditorCursor cursor = cursorOfShape(9);
  press(cursor, CursorStep::right, 2, board.size);

  ASSERT_TRUE(removeLastPiece(cursor, board));
  ASSERT_EQ(board.pieceCount(), 2);
  EXPECT_EQ(board.pieces[1].shapeIndex(), 3);  // the earlier pieces stay in order
  EXPECT_EQ(cursor.shapeIndex, 9);             // and so does the cursor
  EXPECT_EQ(cursor.piece.x(), 2);
  // The freed cells take a piece again.
  EditorCursor bar = cursorOfShape(14);
  bar.y = 4;
  press(bar, CursorStep::right, 2, board.size);
  EXPECT_EQ(placeCursor(bar, board), Placement::placed);
  ASSERT_TRUE(removeLastPiece(cursor, board));

  // Taking the square off is the first phase again: a square cursor at
  // (0, 0), O and P inert, Return refused.
  ASSERT_TRUE(removeLastPiece(cursor, board));
  ASSERT_TRUE(removeLastPiece(cursor, board));
  EXPECT_EQ(board.pieceCount(), 0);
  EXPECT_EQ(cursor.shapeIndex, 0);
  EXPECT_EQ(cursor.piece.shapeIndex(), 0);
  EXPECT_EQ(cursor.x, 0);
  EXPECT_EQ(cursor.piece.x(), 0);
  cycleShape(cursor, board, +1);
  EXPECT_EQ(cursor.shapeIndex, 0);
  EXPECT_FALSE(canSearch(board));

  // Nothing placed: nothing happens.
  EXPECT_FALSE(removeLastPiece(cursor, board));
  EXPECT_EQ(board.pieceCount(), 0);
  EXPECT_EQ(cursor.shapeIndex, 0);
}
