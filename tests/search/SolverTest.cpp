#include <gtest/gtest.h>

#include <functional>
#include <random>

#include "model/MoveByte.h"
#include "oracle/PlainSearch.h"
#include "oracle/TableSearch.h"
#include "search/Solver.h"
#include "search/layered/LayeredSearch.h"
#include "tests/support/TimeLimits.h"
#include "tests/model/TestBoards.h"

namespace {

// Places `piece` when it fits; false otherwise.
bool tryPlace(BoardState& board, const Piece& piece) {
  if (!board.canPlace(piece, -1)) return false;
  board.placePiece(piece, -1);
  return true;
}

// The classic layout, turned: about 24 thousand merged positions.
BoardState classicLayout() {
  BoardState board = boardOf(5, 4);
  const int pieces[][3] = {{0, 0, 1}, {2, 0, 3}, {2, 0, 0}, {2, 2, 3}, {2, 2, 0},
                           {3, 2, 1}, {1, 3, 2}, {1, 3, 1}, {1, 4, 3}, {1, 4, 0}};
  for (const auto& p : pieces) EXPECT_TRUE(tryPlace(board, pieceAt(p[0], p[1], p[2])));
  return board;
}

// A random layout on a board of at most 5 by 4 with at most 8 pieces, drawn
// from two or three shapes so that many pieces share a shape.
BoardState randomLayout(std::mt19937& random) {
  auto below = [&random](int bound) {
    return static_cast<int>(std::uniform_int_distribution<int>(0, bound - 1)(random));
  };
  const int width = below(10) == 0 ? 2 : 3 + below(3);
  const int height = below(5) == 0 ? 2 : 3 + below(2);
  BoardState board = boardOf(width, height);
  // Now and then the square starts at the exit.
  if (below(100) == 0 && tryPlace(board, pieceAt(0, width - 2, 1))) {
  } else {
    while (!tryPlace(board, pieceAt(0, below(width), below(height)))) {
    }
  }
  const int smallShapes[] = {1, 1, 2, 3, 8, 9, 14, 4, 0};
  int shapes[3];
  for (int& shape : shapes) shape = smallShapes[below(9)];
  const int wanted = 1 + below(7);
  for (int attempt = 0; attempt < 40 && board.pieceCount() <= wanted; ++attempt) {
    tryPlace(board, pieceAt(shapes[below(3)], below(width), below(height)));
  }
  return board;
}

bool hasMergedShapes(const BoardState& board) {
  for (int i = 1; i < board.pieceCount(); ++i) {
    for (int j = i + 1; j < board.pieceCount(); ++j) {
      if (board.pieces[i].shapeIndex() == board.pieces[j].shapeIndex()) return true;
    }
  }
  return false;
}

std::string testNameOf(const testing::TestParamInfo<MoveMetric>& info) {
  return metricName(info.param);
}

std::string describe(const BoardState& board) {
  std::string text =
      "size " + std::to_string(board.size.width) + " " + std::to_string(board.size.height);
  for (const Piece& piece : board.pieces) {
    text += "\npiece " + std::to_string(piece.shapeIndex()) + " " + std::to_string(piece.x()) +
            " " + std::to_string(piece.y());
  }
  return text;
}

// The layered search as the window and the solver run it, and in the ways a
// large puzzle runs it: one to three threads, layers in several segments,
// layers in files. The answer never changes.
struct LayeredVariant {
  SolveOptions options;
  LayeredTuning tuning;
};

std::vector<LayeredVariant> layeredVariants(int round) {
  std::vector<LayeredVariant> variants(4);
  variants[0].options.threads = 1;
  variants[1].options.threads = 2;
  variants[2].options.threads = 3;
  variants[2].tuning.backMoveBytes = 1 + round % 3;  // the narrow records of wide keys
  variants[3].options.threads = 1 + round % 3;
  variants[3].tuning.childBufferBytes = 256;  // a few dozen children a segment
  variants[round % 2].tuning.lookAhead = LookAhead::always;
  variants[2].tuning.lookAhead = LookAhead::never;
  if (round % 8 == 0) variants[3].options.spillDirectory = ::testing::TempDir();
  return variants;
}

void expectSameAnswer(const SolveResult& fast, const PlainSearchResult& plain,
                      const BoardState& root) {
  ASSERT_EQ(fast.outcome, plain.solved ? SolveOutcome::solved : SolveOutcome::noSolution);
  if (!plain.solved) return;
  ASSERT_EQ(fast.solution.moveLog(), plain.goal.moveLog());
  ASSERT_EQ(fast.stepsPerMove, plain.stepsPerMove);
  for (int i = 0; i < root.pieceCount(); ++i) {
    EXPECT_EQ(fast.solution.pieces[i].x(), plain.goal.pieces[i].x());
    EXPECT_EQ(fast.solution.pieces[i].y(), plain.goal.pieces[i].y());
    EXPECT_EQ(fast.solution.pieces[i].shapeIndex(), root.pieces[i].shapeIndex());
  }
}

}  // namespace

class SolverMetricTest : public testing::TestWithParam<MoveMetric> {};

TEST_P(SolverMetricTest, EqualsThePlainSearchOnRandomLayouts) {
  const MoveMetric metric = GetParam();
  SolveOptions options;
  options.metric = metric;
  std::mt19937 random(20240611);
  int compared = 0, solved = 0, unsolvable = 0, merged = 0, rootGoals = 0, twoRows = 0,
      secondSquares = 0, deep = 0, large = 0, longMoves = 0;
  // Under a sanitizer, as many fewer as it is slower (tests/TimeLimits.h):
  // still every path of the search, in the time the plain build takes.
  const double share = 1.0 / sanitizerSlowdown();
  const auto atLeast = [share](int count) { return static_cast<int>(count * share); };
  for (int tries = 0; compared < atLeast(1200) && tries < 20000; ++tries) {
    const BoardState root = randomLayout(random);
    const PlainSearchResult plain = plainSearch(root, 40000, metric);
    if (!plain.finished) continue;
    ++compared;
    SCOPED_TRACE(describe(root));
    const SolveResult fast = solveByTable(root, options);
    expectSameAnswer(fast, plain, root);
    for (LayeredVariant variant : layeredVariants(compared)) {
      SCOPED_TRACE(variant.options.threads);
      variant.options.metric = metric;
      // A search that loses positions need not end: they come back two
      // layers on. Stopped once it counts more positions than there are,
      // it fails here rather than hang.
      uint64_t counted = 0;
      variant.options.progress = [&counted](const SolveStats& stats) { counted = stats.positions; };
      variant.options.shouldStop = [&counted, &plain] { return counted > plain.states; };
      const SolveResult layered = solveByLayers(root, variant.options, variant.tuning);
      expectSameAnswer(layered, plain, root);
      if (HasFailure()) return;  // one layout shows the fault
      // Nothing to merge: in steps, the very layers of the plain search.
      if (metric == MoveMetric::step && !hasMergedShapes(root)) {
        const uint64_t positions = layered.stats.positions;
        if (variant.tuning.lookAhead == LookAhead::always) {
          EXPECT_EQ(positions, plain.statesLookingAhead);
        } else if (variant.tuning.lookAhead == LookAhead::never) {
          EXPECT_EQ(positions, plain.statesBeforeGoals);
        } else {
          EXPECT_TRUE(positions == plain.statesBeforeGoals || positions == plain.statesLookingAhead)
              << positions;
        }
      }
    }
    // Every kind of key, whatever the board would choose.
    const LayerKeys kind = static_cast<LayerKeys>(1 + compared % 3);
    SCOPED_TRACE(static_cast<int>(kind));
    SolveOptions keyed;
    keyed.metric = metric;
    keyed.threads = 1 + compared % 2;
    LayeredTuning tuning;
    tuning.keys = kind;
    expectSameAnswer(solveByLayers(root, keyed, tuning), plain, root);
    expectSameAnswer(solveBoard(root, options), plain, root);
    if (hasMergedShapes(root)) {
      ++merged;
      EXPECT_LE(fast.stats.positions, plain.states);
    } else {
      // Nothing to merge: the very same states, expanded the same number of times.
      EXPECT_EQ(fast.stats.positions, plain.states);
      EXPECT_EQ(fast.stats.expanded, static_cast<uint64_t>(plain.expanded));
    }
    deep += plain.solved && plain.goal.moveLog().size() >= 10;
    large += plain.states >= 1000;
    solved += plain.solved;
    unsolvable += !plain.solved;
    rootGoals += plain.solved && plain.goal.moveLog().empty();
    twoRows += root.size.height == 2;
    longMoves += plain.solved && plain.stepsPerMove.size() < plain.goal.moveLog().size();
    for (int i = 1; i < root.pieceCount(); ++i) secondSquares += root.pieces[i].shapeIndex() == 0;
  }
  EXPECT_GE(compared, atLeast(1000));
  // The draw covers every kind of layout the comparison is meant for.
  EXPECT_GE(solved, atLeast(100));
  EXPECT_GE(unsolvable, atLeast(100));
  EXPECT_GE(merged, atLeast(300));
  EXPECT_GE(rootGoals, atLeast(5));
  EXPECT_GE(twoRows, atLeast(50));
  EXPECT_GE(secondSquares, atLeast(20));
  EXPECT_GE(deep, atLeast(25));   // solutions of ten steps or more
  EXPECT_GE(large, atLeast(40));  // a thousand states or more
  // Solutions in which some counted move takes several steps.
  if (metric != MoveMetric::step) {
    EXPECT_GE(longMoves, atLeast(50));
  }
}

INSTANTIATE_TEST_SUITE_P(EachMetric, SolverMetricTest,
                         testing::Values(MoveMetric::step, MoveMetric::line, MoveMetric::path),
                         testNameOf);

TEST(SolverTest, SquareAloneTakesTheFirstOfThreeShortestPaths) {
  BoardState root = boardOf(4, 3);
  root.placePiece(pieceAt(0, 0, 0), -1);
  const SolveResult layered = solveBoard(root);
  const SolveResult table = solveByTable(root);
  for (const SolveResult& result : {std::cref(layered), std::cref(table)}) {
    ASSERT_EQ(result.outcome, SolveOutcome::solved);
    EXPECT_EQ(result.solution.moveLog(), (std::vector<uint8_t>{0x00, 0x00, 0x80}));
    EXPECT_EQ(result.solution.pieces[0].x(), 2);
    EXPECT_EQ(result.solution.pieces[0].y(), 1);
    // The root, (1, 0), (0, 1), (2, 0) and (1, 1) were expanded by the table
    // search; the layered one expanded the root and, looking ahead near the
    // goal, (1, 0) and (0, 1), which found (2, 0) and (1, 1) next to it.
    EXPECT_EQ(result.stats.expanded, &result == &layered ? 3u : 5u);
    EXPECT_EQ(result.stepsPerMove, (std::vector<uint16_t>{1, 1, 1}));
  }
  // The root is the caller's and stays as it was.
  EXPECT_EQ(root.pieces[0].x(), 0);
  EXPECT_TRUE(root.moveLog().empty());

  // Sliding: two cells right, then up (not up, then right right).
  SolveOptions options;
  options.metric = MoveMetric::line;
  const SolveResult line = solveBoard(root, options);
  EXPECT_EQ(line.solution.moveLog(), (std::vector<uint8_t>{0x00, 0x00, 0x80}));
  EXPECT_EQ(line.stepsPerMove, (std::vector<uint16_t>{2, 1}));
  // Walking: one move, by the walk's first route.
  options.metric = MoveMetric::path;
  const SolveResult path = solveBoard(root, options);
  EXPECT_EQ(path.solution.moveLog(), (std::vector<uint8_t>{0x00, 0x00, 0x80}));
  EXPECT_EQ(path.stepsPerMove, (std::vector<uint16_t>{3}));
  // The table search expands the root, then the four places the walk
  // reaches before the exit; the layered one sees the goal one move from
  // the root before it expands anything.
  EXPECT_EQ(solveByTable(root, options).stats.expanded, 5u);
  EXPECT_EQ(path.stats.expanded, 0u);
}

TEST(SolverTest, RootsWithoutAnyMove) {
  for (auto solve : {solveBoard, solveByTable}) {
    // Already at the exit: returned at once with an empty log, even when asked to stop.
    BoardState atExit = boardOf(6, 5);
    atExit.placePiece(pieceAt(0, 4, 1), -1);
    atExit.placePiece(pieceAt(1, 0, 0), -1);
    SolveOptions stopAtOnce;
    stopAtOnce.shouldStop = [] { return true; };
    SolveResult result = solve(atExit, stopAtOnce);
    ASSERT_EQ(result.outcome, SolveOutcome::solved);
    EXPECT_TRUE(result.solution.moveLog().empty());
    EXPECT_EQ(result.stats.expanded, 0u);

    // Two rows: the exit lies off the board, so every position is expanded in vain.
    BoardState twoRows = boardOf(6, 2);
    twoRows.placePiece(pieceAt(0, 0, 0), -1);
    result = solve(twoRows, SolveOptions());
    EXPECT_EQ(result.outcome, SolveOutcome::noSolution);
    EXPECT_EQ(result.stats.expanded, 5u);
    EXPECT_EQ(result.stats.positions, 5u);

    // No pieces: nothing to move and no goal.
    result = solve(BoardState(), SolveOptions());
    EXPECT_EQ(result.outcome, SolveOutcome::noSolution);
  }
}

TEST(SolverTest, TableSearchStopAndProgressCallbacks) {
  const BoardState root = classicLayout();
  // A stop asked before the search: the root is expanded, then it stops.
  int asked = 0;
  SolveOptions stop;
  stop.shouldStop = [&asked] { return ++asked >= 1; };
  SolveResult result = solveByTable(root, stop);
  EXPECT_EQ(result.outcome, SolveOutcome::stopped);
  EXPECT_EQ(asked, 1);
  EXPECT_EQ(result.stats.expanded, 1u);

  // Progress comes after the stop test of every 10000th expansion.
  std::vector<uint64_t> progressAt;
  int stopTests = 0;
  SolveOptions watch;
  watch.shouldStop = [&stopTests] {
    ++stopTests;
    return false;
  };
  watch.progress = [&](const SolveStats& stats) {
    EXPECT_EQ(static_cast<uint64_t>(stopTests), stats.expanded);
    progressAt.push_back(stats.expanded);
  };
  result = solveByTable(root, watch);
  ASSERT_EQ(result.outcome, SolveOutcome::solved);
  EXPECT_EQ(result.solution.moveLog().size(), 116u);
  EXPECT_EQ(progressAt, (std::vector<uint64_t>{10000, 20000}));
  EXPECT_EQ(static_cast<uint64_t>(stopTests), result.stats.expanded);
  EXPECT_GT(result.stats.positions, 20000u);
  EXPECT_LT(result.stats.positions, 30000u);
}

// The layered search's budget is tested with a larger puzzle, in
// LayeredSearchTest.
TEST(SolverTest, TableSearchMemoryBudgetEndsTheSearchWithoutAResultInEveryMetric) {
  const BoardState root = classicLayout();
  for (const MoveMetric metric : {MoveMetric::step, MoveMetric::line, MoveMetric::path}) {
    SCOPED_TRACE(static_cast<int>(metric));
    SolveOptions tight;
    tight.metric = metric;
    tight.memoryBudget = 3 << 20;  // room for the first blocks, not for the whole search
    SolveResult result = solveByTable(root, tight);
    EXPECT_EQ(result.outcome, SolveOutcome::outOfMemory);
    EXPECT_LE(result.stats.peakBytes, tight.memoryBudget);
    EXPECT_TRUE(result.solution.moveLog().empty());
    EXPECT_TRUE(result.stepsPerMove.empty());

    SolveOptions ample;
    ample.metric = metric;
    ample.memoryBudget = 64 << 20;
    result = solveByTable(root, ample);
    EXPECT_EQ(result.outcome, SolveOutcome::solved);
    EXPECT_LE(result.stats.peakBytes, ample.memoryBudget);
    EXPECT_GT(result.stats.peakBytes, 0u);
  }
}

TEST(SolverTest, ClassicTakesThePublishedCountsAndEveryStepIsLegal) {
  const BoardState root = classicLayout();
  const struct {
    MoveMetric metric;
    size_t moves;
  } cases[] = {{MoveMetric::step, 116}, {MoveMetric::line, 90}, {MoveMetric::path, 81}};
  for (const auto& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.metric));
    SolveOptions options;
    options.metric = c.metric;
    const SolveResult result = solveBoard(root, options);
    ASSERT_EQ(result.outcome, SolveOutcome::solved);
    EXPECT_EQ(result.stepsPerMove.size(), c.moves);
    // Too large for the plain search: replay the steps instead, each counted
    // move one piece, each step onto free cells, ending at the exit.
    BoardState board = root;
    size_t at = 0;
    for (const uint16_t steps : result.stepsPerMove) {
      ASSERT_GE(steps, 1);
      ASSERT_LE(at + steps, result.solution.moves.size());
      const int piece = decodeMove(result.solution.moves[at]).pieceIndex;
      for (size_t k = at; k < at + steps; ++k) {
        const MoveStep step = decodeMove(result.solution.moves[k]);
        ASSERT_EQ(step.pieceIndex, piece);
        Piece moved = board.pieceAt(piece);
        moved.setX(static_cast<int8_t>(moved.x() + step.dx));
        moved.setY(static_cast<int8_t>(moved.y() + step.dy));
        ASSERT_TRUE(board.canPlace(moved, piece)) << "step " << k;
        board.placePiece(moved, piece);
      }
      at += steps;
    }
    EXPECT_EQ(at, result.solution.moves.size());
    EXPECT_TRUE(board.isGoal());
    // The same positions are reachable whatever counts as a move.
    EXPECT_GT(result.stats.positions, 20000u);
    EXPECT_LT(result.stats.positions, 30000u);
  }
}
