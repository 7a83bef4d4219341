// A search of the window program run on a worker thread, so that the window
// keeps drawing and reading keys while it runs: the solve of a layout
// (BackgroundSearch) or the analysis of every position it reaches
// (BackgroundAnalysis). Defined for those two results alone.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <thread>

#include "SearchHandoff.h"
#include "search/Solver.h"

template <typename Result>
class BackgroundJob {
 public:
  // The search itself, given options that make it report to this job and
  // obey its stop request.
  using Work = std::function<Result(SolveOptions)>;

  // Starts `work` at once on a thread of its own, within `memoryBudget`
  // bytes (0: the search's default).
  BackgroundJob(Work work, size_t memoryBudget);
  // Stops the search if it still runs, and waits for its thread.
  ~BackgroundJob();
  BackgroundJob(const BackgroundJob&) = delete;
  BackgroundJob& operator=(const BackgroundJob&) = delete;

  // Positions handled so far as the search last reported them; once
  // finished, the final count. Never decreases.
  uint64_t positions() const { return handoff_.positions(); }

  // Whether the search has ended; once true, takeResult() returns at once.
  bool finished() const { return finished_.load(std::memory_order_acquire); }

  // Asks the search to stop; takeResult() then returns soon, stopped unless
  // the search had already ended.
  void requestStop() { handoff_.requestStop(); }

  // Waits for the search to end and hands over its result. Called once.
  Result takeResult();

 private:
  void run(const Work& work, size_t memoryBudget);

  SearchHandoff handoff_;
  std::atomic<bool> finished_{false};
  // Written by the worker alone; read only after it has been joined.
  Result result_;
  // Last, so that everything the worker touches exists before it starts.
  std::thread worker_;
};
