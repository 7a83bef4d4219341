#include "Solver.h"

#include "search/layered/LayeredSearch.h"

SolveResult solveBoard(const BoardState& root, const SolveOptions& options) {
  return solveByLayers(root, options);
}
