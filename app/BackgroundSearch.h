// The window program's search for the fewest moves, run on a worker thread
// (see BackgroundJob).
#pragma once

#include <cstddef>

#include "BackgroundJob.h"
#include "model/BoardState.h"
#include "search/Solver.h"

class BackgroundSearch : public BackgroundJob<SolveResult> {
 public:
  // Starts searching a copy of `root` at once for the fewest moves in
  // `metric`, within `memoryBudget` bytes (0: the search's default).
  BackgroundSearch(const BoardState& root, MoveMetric metric, size_t memoryBudget = 0);
};
