#include "BackgroundAnalysis.h"

BackgroundAnalysis::BackgroundAnalysis(const BoardState& root, MoveMetric metric,
                                       size_t memoryBudget)
    : BackgroundJob(
          [root, metric](SolveOptions options) {
            options.metric = metric;
            return analyzeBoard(root, options);
          },
          memoryBudget) {}
