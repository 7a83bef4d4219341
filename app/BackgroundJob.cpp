#include "BackgroundJob.h"

#include <cassert>
#include <utility>

template <typename Result>
BackgroundJob<Result>::BackgroundJob(Work work, size_t memoryBudget)
    : worker_([this, work = std::move(work), memoryBudget] { run(work, memoryBudget); }) {}

template <typename Result>
BackgroundJob<Result>::~BackgroundJob() {
  if (!worker_.joinable()) return;
  handoff_.requestStop();
  worker_.join();
}

template <typename Result>
Result BackgroundJob<Result>::takeResult() {
  assert(worker_.joinable());
  worker_.join();
  return std::move(result_);
}

template <typename Result>
void BackgroundJob<Result>::run(const Work& work, size_t memoryBudget) {
  result_ = work(handoff_.solveOptions(memoryBudget));
  // The final count, so that the screen never shows less than the search did.
  handoff_.report(result_.stats);
  finished_.store(true, std::memory_order_release);
}

template class BackgroundJob<SolveResult>;
template class BackgroundJob<AnalysisResult>;
