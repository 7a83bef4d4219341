#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "app/core/AnalysisOutcome.h"
#include "app/core/BackgroundJob.h"
#include "tests/model/TestBoards.h"

namespace {

// The classic's pieces on its 5 by 4 board.
BoardState classic() {
  return boardOf(
      5, 4,
      {pieceAt(0, 0, 1), pieceAt(2, 0, 3), pieceAt(2, 0, 0), pieceAt(2, 2, 3), pieceAt(2, 2, 0),
       pieceAt(3, 2, 1), pieceAt(1, 3, 2), pieceAt(1, 3, 1), pieceAt(1, 4, 3), pieceAt(1, 4, 0)});
}

// Each piece's shape and place, in order.
std::vector<std::tuple<int, int, int>> placesOf(const BoardState& board) {
  std::vector<std::tuple<int, int, int>> places;
  for (const Piece& piece : board.pieces)
    places.emplace_back(piece.shapeIndex(), piece.x(), piece.y());
  return places;
}

}  // namespace

// The editor goes on with the hardest start, which the window then solves in
// the metric of the analysis: in exactly as many moves as the line says.
TEST(BackgroundAnalysisTest, TheHardestStartReplacesTheLayoutAndSolvesInItsDistance) {
  const BoardState layouts[] = {boardOf(4, 3, {pieceAt(0, 0, 0), pieceAt(1, 3, 0)}), classic()};
  for (const MoveMetric metric : {MoveMetric::step, MoveMetric::line, MoveMetric::path}) {
    SolveOptions options;
    options.metric = metric;
    for (const BoardState& layout : layouts) {
      const AnalysisResult direct = analyzeBoard(layout, options);
      BackgroundAnalysis analysis(layout, metric);
      const AnalysisResult background = analysis.takeResult();
      EXPECT_TRUE(analysis.finished());
      ASSERT_EQ(background.outcome, SolveOutcome::solved);
      EXPECT_EQ(background.positions, direct.positions);
      EXPECT_EQ(background.layers, direct.layers);
      EXPECT_EQ(background.hardest, direct.hardest);
      EXPECT_EQ(analysis.positions(), direct.stats.positions);

      const AnalysisOutcome outcome = outcomeOfAnalysis(layout, background);
      EXPECT_EQ(outcome.layout.size, layout.size);
      EXPECT_TRUE(outcome.layout.moves.empty());
      EXPECT_EQ(placesOf(outcome.layout), placesOf(background.hardestStart));
      const SolveResult solve = solveBoard(outcome.layout, options);
      ASSERT_EQ(solve.outcome, SolveOutcome::solved);
      EXPECT_EQ(static_cast<int>(solve.stepsPerMove.size()), background.hardest);
      EXPECT_EQ(outcome.message,
                "D\xe9part le plus dur : " + std::to_string(background.hardest) + " coups");
    }
  }
  // As cavel-solve --analyze prints for the classic; and one move is one "coup".
  const AnalysisOutcome hardest = outcomeOfAnalysis(classic(), analyzeBoard(classic()));
  EXPECT_EQ(hardest.message, "D\xe9part le plus dur : 126 coups");
  EXPECT_EQ(solveBoard(hardest.layout).stepsPerMove.size(), 126u);
  const BoardState oneAway = boardOf(2, 3, {pieceAt(0, 0, 0)});
  EXPECT_EQ(outcomeOfAnalysis(oneAway, analyzeBoard(oneAway)).message,
            "D\xe9part le plus dur : 1 coup");
}

// Whatever keeps the analysis from naming a hardest start leaves the layout
// as it was, and says why; only the person's own stop goes unsaid.
TEST(BackgroundAnalysisTest, WithoutAHardestStartTheLayoutStays) {
  const BoardState noGoal = boardOf(6, 2, {pieceAt(0, 0, 0), pieceAt(1, 3, 0)});
  const AnalysisOutcome none =
      outcomeOfAnalysis(noGoal, BackgroundAnalysis(noGoal, MoveMetric::step).takeResult());
  EXPECT_EQ(placesOf(none.layout), placesOf(noGoal));
  EXPECT_EQ(none.message, "Sortie impossible : rien chang\xe9");

  const BoardState layout = classic();
  const AnalysisResult cramped =
      BackgroundAnalysis(layout, MoveMetric::step, 64 << 10).takeResult();
  EXPECT_EQ(cramped.outcome, SolveOutcome::outOfMemory);
  const AnalysisOutcome memory = outcomeOfAnalysis(layout, cramped);
  EXPECT_EQ(placesOf(memory.layout), placesOf(layout));
  EXPECT_EQ(memory.message, "Echec : m\xe9moire, rien chang\xe9");
  // A layout without pieces is not analysed, and says so rather than
  // passing for a set of no positions.
  const AnalysisResult notRun = analyzeBoard(boardOf(4, 3, {}));
  EXPECT_EQ(notRun.outcome, SolveOutcome::failed);
  EXPECT_FALSE(notRun.failure.empty());
  AnalysisResult stopped;
  stopped.outcome = SolveOutcome::stopped;
  const AnalysisOutcome kept = outcomeOfAnalysis(layout, stopped);
  EXPECT_EQ(placesOf(kept.layout), placesOf(layout));
  EXPECT_EQ(kept.message, "");
}
