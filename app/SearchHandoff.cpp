#include "SearchHandoff.h"

SolveOptions SearchHandoff::solveOptions(size_t memoryBudget) {
  SolveOptions options;
  options.memoryBudget = memoryBudget;
  options.shouldStop = [this] { return stopRequested(); };
  options.progress = [this](const SolveStats& stats) { report(stats); };
  return options;
}

void SearchHandoff::report(const SolveStats& stats) {
  uint64_t shown = positions_.load(std::memory_order_relaxed);
  while (stats.positions > shown &&
         !positions_.compare_exchange_weak(shown, stats.positions, std::memory_order_relaxed)) {
  }
}
