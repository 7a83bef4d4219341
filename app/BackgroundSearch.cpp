#include "BackgroundSearch.h"

BackgroundSearch::BackgroundSearch(const BoardState& root, MoveMetric metric, size_t memoryBudget)
    : BackgroundJob(
          [root, metric](SolveOptions options) {
            options.metric = metric;
            return solveBoard(root, options);
          },
          memoryBudget) {}
