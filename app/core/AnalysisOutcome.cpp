#include "AnalysisOutcome.h"

#include <cstdio>

namespace {

AnalysisOutcome hardestStartOf(const BoardState& layout, const AnalysisResult& analysis) {
  AnalysisOutcome outcome{layout, {}};
  outcome.layout.pieces = analysis.hardestStart.pieces;
  char line[64];
  std::snprintf(line, sizeof line, "D\xe9part le plus dur : %d coup%s", analysis.hardest,
                analysis.hardest > 1 ? "s" : "");
  outcome.message = line;
  return outcome;
}

}  // namespace

AnalysisOutcome outcomeOfAnalysis(const BoardState& layout, const AnalysisResult& analysis) {
  switch (analysis.outcome) {
    case SolveOutcome::solved:
      if (analysis.hardest < 0) break;
      return hardestStartOf(layout, analysis);
    case SolveOutcome::noSolution:
      break;
    case SolveOutcome::stopped:
      return {layout, {}};
    case SolveOutcome::outOfMemory:
    case SolveOutcome::spillFailed:
    case SolveOutcome::failed:
      // As for the search: the window sets no spill folder, and anything
      // else the analysis could meet is a resource running out.
      return {layout, "Echec : m\xe9moire, rien chang\xe9"};
  }
  return {layout, "Sortie impossible : rien chang\xe9"};
}
