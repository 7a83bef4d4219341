#include <gtest/gtest.h>

#include "oracle/StateOrder.h"
#include "model/BoardState.h"
#include "model/MoveByte.h"
#include "tests/model/TestBoards.h"

namespace {

BoardState stateOf(std::initializer_list<Piece> pieces) {
  BoardState state;
  state.pieces = pieces;
  return state;
}

}  // namespace

TEST(MoveLogTest, MoveBytesEncodeAndDecode) {
  BoardState state;
  state.appendMove(5, -1, 0);
  state.appendMove(0, +1, 0);
  state.appendMove(2, 0, +1);
  state.appendMove(63, 0, -1);
  EXPECT_EQ(state.moveLog(), (std::vector<uint8_t>{0x45, 0x00, 0x82, 0xFF}));

  const MoveStep left = decodeMove(0x45);
  EXPECT_EQ(left.pieceIndex, 5);
  EXPECT_EQ(left.dx, -1);
  EXPECT_EQ(left.dy, 0);
  const MoveStep down = decodeMove(0xFF);
  EXPECT_EQ(down.pieceIndex, 63);
  EXPECT_EQ(down.dx, 0);
  EXPECT_EQ(down.dy, -1);
  // Every byte decodes to a step that encodes back to the same byte.
  for (int byte = 0; byte < 256; ++byte) {
    const MoveStep step = decodeMove(static_cast<uint8_t>(byte));
    EXPECT_EQ(std::abs(step.dx) + std::abs(step.dy), 1);
    EXPECT_EQ(encodeMove(step.pieceIndex, step.dx, step.dy), byte);
  }
}

TEST(MoveLogTest, StateOrderIsStrictAndLooksAtPositionsOnly) {
  const BoardState s = stateOf({pieceAt(0, 1, 1), pieceAt(1, 3, 0)});
  EXPECT_FALSE(stateLess(s, s));
  BoardState otherLog = s;
  otherLog.appendMove(1, 1, 0);
  EXPECT_FALSE(stateLess(s, otherLog));
  EXPECT_FALSE(stateLess(otherLog, s));
  // Shapes take no part either.
  const BoardState otherShapes = stateOf({pieceAt(3, 1, 1), pieceAt(2, 3, 0)});
  EXPECT_FALSE(stateLess(s, otherShapes));
  EXPECT_FALSE(stateLess(otherShapes, s));
}

TEST(MoveLogTest, StateOrderDecidesAtTheFirstDifferentPiece) {
  const Piece a = pieceAt(1, 0, 0);
  const BoardState smallerX = stateOf({a, a, a, pieceAt(1, 1, 4), pieceAt(1, 9, 9)});
  const BoardState largerX = stateOf({a, a, a, pieceAt(1, 2, 0), pieceAt(1, 0, 0)});
  EXPECT_TRUE(stateLess(smallerX, largerX));
  EXPECT_FALSE(stateLess(largerX, smallerX));
  const BoardState smallerY = stateOf({a, a, a, pieceAt(1, 2, 0), pieceAt(1, 9, 9)});
  const BoardState largerY = stateOf({a, a, a, pieceAt(1, 2, 1), pieceAt(1, 0, 0)});
  EXPECT_TRUE(stateLess(smallerY, largerY));
  EXPECT_FALSE(stateLess(largerY, smallerY));
  // Signed coordinates: -1 comes before 0.
  EXPECT_TRUE(positionLess(pieceAt(1, -1, 5), pieceAt(1, 0, 0)));
  EXPECT_TRUE(positionLess(pieceAt(1, 0, -1), pieceAt(1, 0, 0)));
}

TEST(MoveLogTest, SwappedPiecesOfEqualShapeAreDifferentStates) {
  const BoardState first = stateOf({pieceAt(0, 0, 2), pieceAt(1, 0, 0), pieceAt(1, 3, 0)});
  const BoardState swapped = stateOf({pieceAt(0, 0, 2), pieceAt(1, 3, 0), pieceAt(1, 0, 0)});
  EXPECT_NE(stateLess(first, swapped), stateLess(swapped, first));
}

TEST(MoveLogTest, GoalIsTheSquareInTheTwoRightmostColumnsOnRowsOneAndTwo) {
  EXPECT_TRUE(boardOf(6, 5, {pieceAt(0, 4, 1)}).isGoal());
  EXPECT_FALSE(boardOf(6, 5, {pieceAt(0, 4, 0)}).isGoal());
  EXPECT_FALSE(boardOf(6, 5, {pieceAt(0, 4, 2)}).isGoal());
  EXPECT_FALSE(boardOf(6, 5, {pieceAt(0, 3, 1)}).isGoal());
  // Other pieces and the shape of piece 0 do not matter.
  EXPECT_TRUE(boardOf(6, 5, {pieceAt(1, 4, 1), pieceAt(1, 0, 0)}).isGoal());
  EXPECT_TRUE(boardOf(10, 8, {pieceAt(0, 8, 1)}).isGoal());
  EXPECT_FALSE(boardOf(10, 8, {pieceAt(0, 4, 1)}).isGoal());
  EXPECT_TRUE(boardOf(2, 3, {pieceAt(0, 0, 1)}).isGoal());
}
