#include "Solver.h"

#include "search/layered/LayeredSearch.h"
#include "search/table/TableSearch.h"

SolveResult solveBoard(const BoardState& root, const SolveOptions& options) {
  if (options.metric != MoveMetric::step) return solveByTable(root, options);
  SolveResult result = solveByLayers(root, options);
  // Every counted move is one step.
  if (result.outcome == SolveOutcome::solved) {
    result.stepsPerMove.assign(result.solution.moves.size(), 1);
  }
  return result;
}
