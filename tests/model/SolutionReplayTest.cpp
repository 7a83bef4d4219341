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

TEST(SolutionReplayTest, MovesOfSeveralCellsArePlayedCountedAndShownAlongTheirRoute) {
  // The cell at (2, 0) walks up twice and left out of the square's way (one
  // move of three cells), then the square slides right twice (one move) and
  // goes up (one move).
  const BoardState start = boardOf(4, 3, {pieceAt(0, 0, 0), pieceAt(1, 2, 0)});
  const std::vector<uint8_t> steps = {encodeMove(1, 0, 1),  encodeMove(1, 0, 1),
                                      encodeMove(1, -1, 0), encodeMove(0, 1, 0),
                                      encodeMove(0, 1, 0),  encodeMove(0, 0, 1)};
  SolutionReplay replay(start, steps, {3, 2, 1});
  EXPECT_EQ(replay.total(), 3);
  EXPECT_EQ(replay.lastMoveCells(), 0);

  ASSERT_TRUE(replay.forward());
  EXPECT_EQ(replay.played(), 1);
  const std::vector<std::pair<int, int>> afterOne = {{0, 0}, {1, 2}};
  EXPECT_EQ(positionsOf(replay.board()), afterOne);
  EXPECT_EQ(replay.lastMoveCells(), 3);
  // On its way the cell follows its route round the corner, never across.
  const std::pair<double, double> route[] = {{2, 0}, {2, 0.5}, {2, 1}, {2, 1.5},
                                             {2, 2}, {1.5, 2}, {1, 2}};
  for (int sixth = 0; sixth <= 6; ++sixth) {
    const SolutionReplay::PieceOnItsWay at = replay.lastMoveAt(sixth / 6.0);
    EXPECT_EQ(at.pieceIndex, 1);
    EXPECT_NEAR(at.x, route[sixth].first, 1e-9) << sixth;
    EXPECT_NEAR(at.y, route[sixth].second, 1e-9) << sixth;
  }

  ASSERT_TRUE(replay.forward());
  EXPECT_EQ(replay.lastMoveAt(0.5).pieceIndex, 0);
  EXPECT_NEAR(replay.lastMoveAt(0.5).x, 1.0, 1e-9);  // one cell into its slide of two
  ASSERT_TRUE(replay.forward());
  EXPECT_TRUE(replay.atEnd());
  EXPECT_TRUE(replay.board().isGoal());
  EXPECT_EQ(replay.lastMoveCells(), 1);
  // Back a whole move at a time, each of its steps undone.
  ASSERT_TRUE(replay.back());
  ASSERT_TRUE(replay.back());
  EXPECT_EQ(replay.played(), 1);
  EXPECT_EQ(positionsOf(replay.board()), afterOne);
  ASSERT_TRUE(replay.back());
  EXPECT_EQ(positionsOf(replay.board()), positionsOf(start));

  // A grouping that does not cover the log counts every step.
  EXPECT_EQ(SolutionReplay(start, steps, {3, 2}).total(), 6);
  EXPECT_EQ(SolutionReplay(start, steps, {3, 0, 2, 1}).total(), 6);
}
