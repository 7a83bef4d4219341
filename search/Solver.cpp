#include "Solver.h"

#include "LayeredSearch.h"

std::vector<uint16_t> oneStepPerMove(size_t stepCount) {
  return std::vector<uint16_t>(stepCount, 1);
}

SolveResult solveBoard(const BoardState& root, const SolveOptions& options) {
  if (options.metric != MoveMetric::step) return solveByTable(root, options);
  SolveResult result = solveByLayers(root, options);
  if (result.outcome == SolveOutcome::solved) {
    result.stepsPerMove = oneStepPerMove(result.solution.moves.size());
  }
  return result;
}
