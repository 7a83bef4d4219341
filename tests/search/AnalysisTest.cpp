// The analysis of a layout's whole set of positions against the set explored
// one position at a time, in every metric and every way a large puzzle runs
// it.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "oracle/PlainSearch.h"
#include "search/Solver.h"
#include "search/layered/LayeredSearch.h"
#include "tests/model/TestBoards.h"

namespace {

// A random layout on a board of at most 5 by 4, with pieces of two or three
// shapes so that many share one.
BoardState randomLayout(std::mt19937& random) {
  auto below = [&random](int bound) {
    return std::uniform_int_distribution<int>(0, bound - 1)(random);
  };
  BoardState board = boardOf(below(6) == 0 ? 2 : 3 + below(3), below(5) == 0 ? 2 : 3 + below(2));
  while (board.pieceCount() == 0) {
    const Piece square = pieceAt(0, below(board.size.width), below(board.size.height));
    if (board.canPlace(square, -1)) board.placePiece(square, -1);
  }
  const int smallShapes[] = {1, 1, 2, 3, 8, 9, 14, 4, 0};
  int shapes[3];
  for (int& shape : shapes) shape = smallShapes[below(9)];
  for (int attempt = 0; attempt < 40 && board.pieceCount() <= 1 + below(7); ++attempt) {
    const Piece piece =
        pieceAt(shapes[below(3)], below(board.size.width), below(board.size.height));
    if (board.canPlace(piece, -1)) board.placePiece(piece, -1);
  }
  return board;
}

// Whether the pieces of each shape stand in the order of their origins,
// lowest first (bottom row first), as the hardest start puts them.
bool inOriginOrder(const BoardState& board) {
  for (int i = 1; i < board.pieceCount(); ++i) {
    for (int j = i + 1; j < board.pieceCount(); ++j) {
      const Piece& a = board.pieces[i];
      const Piece& b = board.pieces[j];
      if (a.shapeIndex() != b.shapeIndex()) continue;
      if (a.y() * board.size.width + a.x() > b.y() * board.size.width + b.x()) return false;
    }
  }
  return true;
}

}  // namespace

TEST(AnalysisTest, EveryFigureEqualsTheSetExploredOneByOne) {
  std::mt19937 random(41);
  const std::string folder = ::testing::TempDir();
  int compared = 0, withoutGoal = 0, large = 0;
  for (int tries = 0; compared < 360 && tries < 4000; ++tries) {
    const BoardState root = randomLayout(random);
    const MoveMetric metric = static_cast<MoveMetric>(tries % 3);
    const PlainAnalysis plain = plainAnalysis(root, 20000, metric);
    if (!plain.finished) continue;
    ++compared;
    withoutGoal += plain.goals == 0;
    large += plain.positions >= 500;
    SCOPED_TRACE(testing::Message() << "layout " << tries << ", metric " << tries % 3);
    for (int threads = 1; threads <= 3; ++threads) {
      SCOPED_TRACE(threads);
      SolveOptions options;
      options.metric = metric;
      options.threads = threads;
      if (threads == 2 && compared % 4 == 0) options.spillDirectory = folder;
      LayeredTuning tuning;
      if (threads == 3) tuning.childBufferBytes = 512;  // many runs a layer
      const AnalysisResult analysis = analyzeByLayers(root, options, tuning);
      ASSERT_EQ(analysis.outcome, SolveOutcome::solved);
      EXPECT_EQ(analysis.positions, plain.positions);
      EXPECT_EQ(analysis.goals, plain.goals);
      EXPECT_EQ(analysis.layers, plain.layers);
      ASSERT_EQ(analysis.hardest, plain.hardest);
      EXPECT_EQ(analysis.hardestPositions, plain.hardestPositions);
      if (plain.hardest < 0) continue;
      // The same pieces in the same order, at a hardest place of the set.
      const BoardState& start = analysis.hardestStart;
      ASSERT_EQ(start.pieceCount(), root.pieceCount());
      for (int i = 0; i < root.pieceCount(); ++i) {
        EXPECT_EQ(start.pieces[i].shapeIndex(), root.pieces[i].shapeIndex());
      }
      EXPECT_EQ(plain.goalDistance(start), plain.hardest);
      EXPECT_TRUE(inOriginOrder(start));
      if (threads == 1) {
        // Solved, it takes exactly that many moves.
        const SolveResult solved = solveBoard(start, options);
        ASSERT_EQ(solved.outcome, SolveOutcome::solved);
        EXPECT_EQ(static_cast<int>(solved.stepsPerMove.size()), plain.hardest);
      }
      if (HasFailure()) return;
    }
  }
  EXPECT_GE(compared, 300);
  EXPECT_GE(withoutGoal, 10);
  EXPECT_GE(large, 20);
}

// The classic layout reaches the published size of its set in every metric.
TEST(AnalysisTest, TheClassicSetHoldsItsPublishedCount) {
  const BoardState classic = boardOf(
      5, 4,
      {pieceAt(0, 0, 1), pieceAt(2, 0, 3), pieceAt(2, 0, 0), pieceAt(2, 2, 3), pieceAt(2, 2, 0),
       pieceAt(3, 2, 1), pieceAt(1, 3, 2), pieceAt(1, 3, 1), pieceAt(1, 4, 3), pieceAt(1, 4, 0)});
  for (const MoveMetric metric : {MoveMetric::step, MoveMetric::line, MoveMetric::path}) {
    SolveOptions options;
    options.metric = metric;
    const AnalysisResult analysis = analyzeBoard(classic, options);
    ASSERT_EQ(analysis.outcome, SolveOutcome::solved);
    EXPECT_EQ(analysis.positions, 25955u);
    EXPECT_EQ(analysis.goals, 964u);
  }
}
