// The window program's analysis of every position a layout reaches, run on a
// worker thread (see BackgroundJob).
#pragma once

#include <cstddef>

#include "BackgroundJob.h"
#include "model/BoardState.h"
#include "search/Solver.h"

class BackgroundAnalysis : public BackgroundJob<AnalysisResult> {
 public:
  // Starts analysing a copy of `root` at once in `metric`, within
  // `memoryBudget` bytes (0: the search's default).
  BackgroundAnalysis(const BoardState& root, MoveMetric metric, size_t memoryBudget = 0);
};
