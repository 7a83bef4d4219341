// The window program's search, run on a worker thread so that the window
// keeps drawing and reading keys while it runs.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <thread>

#include "SearchHandoff.h"
#include "model/BoardState.h"
#include "search/Solver.h"

class BackgroundSearch {
 public:
  // Starts searching a copy of `root` at once for the fewest moves in
  // `metric`, within `memoryBudget` bytes (0: the search's default).
  BackgroundSearch(const BoardState& root, MoveMetric metric, size_t memoryBudget = 0);
  // Stops the search if it still runs, and waits for its thread.
  ~BackgroundSearch();
  BackgroundSearch(const BackgroundSearch&) = delete;
  BackgroundSearch& operator=(const BackgroundSearch&) = delete;

  // Positions explored so far as the search last reported them; once
  // finished, the final count. Never decreases.
  uint64_t positions() const { return handoff_.positions(); }

  // Whether the search has ended; once true, takeResult() returns at once.
  bool finished() const { return finished_.load(std::memory_order_acquire); }

  // Asks the search to stop; takeResult() then returns soon, stopped unless
  // the search had already ended.
  void requestStop() { handoff_.requestStop(); }

  // Waits for the search to end and hands over its result. Called once.
  SolveResult takeResult();

 private:
  void run(const BoardState& root, MoveMetric metric, size_t memoryBudget);

  SearchHandoff handoff_;
  std::atomic<bool> finished_{false};
  // Written by the worker alone; read only after it has been joined.
  SolveResult result_;
  // Last, so that everything the worker touches exists before it starts.
  std::thread worker_;
};
