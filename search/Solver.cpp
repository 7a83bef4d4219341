#include "Solver.h"

#include "search/layered/LayeredSearch.h"

SolveResult solveBoard(const BoardState& root, const SolveOptions& options) {
  return solveByLayers(root, options);
}

AnalysisResult analyzeBoard(const BoardState& root, const SolveOptions& options) {
  return analyzeByLayers(root, options);
}
