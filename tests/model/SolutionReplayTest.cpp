#include <gtest/gtest.h>

#include "model/MoveByte.h"
#include "model/SolutionReplay.h"
#include "tests/model/TestBoards.h"

namespace {

// Where each piece stands, as (x, y) pairs in index order.
std::vector<std::pair<int, int>> positionsOf(const BoardState& board) {
  std::vector<std::pair<int, int>> positions;
  for (const Piece& piece : board.pieces) positions.emplace_back(piece.x(), piece.y());
  return positions;
}

}  // namespace

TEST(SolutionReplayTest, StepsBothWaysBetweenTheStartAndTheEnd) {
  // A 4 by 3 board: a cell at (2, 0) steps up and left out of the way, then
  // the square goes right twice and up into the exit.
  const BoardState start = boardOf(4, 3, {pieceAt(0, 0, 0), pieceAt(1, 2, 0)});
  SolutionReplay replay(start, {encodeMove(1, 0, 1), encodeMove(1, 0, 1), encodeMove(1, -1, 0),
                                encodeMove(0, 1, 0), encodeMove(0, 1, 0), encodeMove(0, 0, 1)});
  EXPECT_EQ(replay.total(), 6);
  EXPECT_EQ(replay.played(), 0);
  EXPECT_FALSE(replay.back());  // nothing before the start
  EXPECT_EQ(positionsOf(replay.board()), positionsOf(start));

  ASSERT_TRUE(replay.forward());
  ASSERT_TRUE(replay.forward());
  EXPECT_EQ(replay.played(), 2);
  const std::vector<std::pair<int, int>> afterTwo = {{0, 0}, {2, 2}};
  EXPECT_EQ(positionsOf(replay.board()), afterTwo);
  // Two forward, two back: the start again.
  ASSERT_TRUE(replay.back());
  ASSERT_TRUE(replay.back());
  EXPECT_EQ(replay.played(), 0);
  EXPECT_EQ(positionsOf(replay.board()), positionsOf(start));

  while (replay.forward()) {
  }
  EXPECT_TRUE(replay.atEnd());
  EXPECT_EQ(replay.played(), 6);
  EXPECT_TRUE(replay.board().isGoal());
  const std::vector<std::pair<int, int>> end = {{2, 1}, {1, 2}};
  EXPECT_EQ(positionsOf(replay.board()), end);
  EXPECT_FALSE(replay.forward());  // nothing after the end
  EXPECT_EQ(positionsOf(replay.board()), end);
  // Back from the end: each move undone on the piece it moved.
  ASSERT_TRUE(replay.back());
  const std::vector<std::pair<int, int>> beforeLast = {{2, 0}, {1, 2}};
  EXPECT_EQ(positionsOf(replay.board()), beforeLast);
  EXPECT_FALSE(replay.atEnd());
  while (replay.back()) {
  }
  EXPECT_EQ(positionsOf(replay.board()), positionsOf(start));
  EXPECT_TRUE(replay.board().moves.empty());  // the replay records no moves

  // A layout already solved has nothing to play.
  SolutionReplay solved(boardOf(4, 3, {pieceAt(0, 2, 1)}), {});
  EXPECT_TRUE(solved.atEnd());
  EXPECT_FALSE(solved.forward());
  EXPECT_FALSE(solved.back());
}
