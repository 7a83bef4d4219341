#include "BackgroundSearch.h"

#include <cassert>
#include <utility>

BackgroundSearch::BackgroundSearch(const BoardState& root, MoveMetric metric, size_t memoryBudget)
    : worker_([this, root, metric, memoryBudget] { run(root, metric, memoryBudget); }) {}

BackgroundSearch::~BackgroundSearch() {
  if (!worker_.joinable()) return;
  handoff_.requestStop();
  worker_.join();
}

SolveResult BackgroundSearch::takeResult() {
  assert(worker_.joinable());
  worker_.join();
  return std::move(result_);
}

void BackgroundSearch::run(const BoardState& root, MoveMetric metric, size_t memoryBudget) {
  SolveOptions options = handoff_.solveOptions(memoryBudget);
  options.metric = metric;
  result_ = solveBoard(root, options);
  // The final count, so that the screen never shows less than the search did.
  handoff_.report(result_.stats);
  finished_.store(true, std::memory_order_release);
}
