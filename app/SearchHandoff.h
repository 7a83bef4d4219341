// What crosses between the window thread and the search while it runs: the
// stop request one way, the count of positions explored the other. The
// search may report from any of its threads, several at once, so only
// atomics are shared.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>

#include "search/Solver.h"

class SearchHandoff {
 public:
  // Options that make a search report here and obey the stop request, with
  // the memory budget `memoryBudget` (0: the search's default).
  SolveOptions solveOptions(size_t memoryBudget);

  // Asks the search to stop; it ends at its next stop test.
  void requestStop() { stop_.store(true, std::memory_order_relaxed); }
  bool stopRequested() const { return stop_.load(std::memory_order_relaxed); }

  // Takes a progress report from any thread. Reports may arrive out of
  // order; the count shown only ever grows.
  void report(const SolveStats& stats);
  // The highest count of positions reported so far.
  uint64_t positions() const { return positions_.load(std::memory_order_relaxed); }

 private:
  std::atomic<bool> stop_{false};
  std::atomic<uint64_t> positions_{0};
};
