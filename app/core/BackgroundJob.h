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

#include "model/BoardState.h"
#include "search/Solver.h"

// What crosses between the window thread and the search while it runs: the
// stop request one way, the count of positions explored and the memory
// held the other. The
// search may report from any of its threads, several at once, so only
// atomics are shared.
class SearchHandoff {
 public:
  // Options that make a search report here and obey the stop request, with
  // the memory budget `memoryBudget` (0: the search's default).
  SolveOptions solveOptions(size_t memoryBudget);

  // Asks the search to stop; it ends at its next stop test.
  void requestStop() { stop_.store(true, std::memory_order_relaxed); }
  bool stopRequested() const { return stop_.load(std::memory_order_relaxed); }

  // Takes a progress report from any thread. Reports may arrive out of
  // order; the count and the memory shown only ever grow.
  void report(const SolveStats& stats);
  // The highest count of positions reported so far.
  uint64_t positions() const { return positions_.load(std::memory_order_relaxed); }
  // The most memory the search held, as reported so far.
  uint64_t peakBytes() const { return peakBytes_.load(std::memory_order_relaxed); }

 private:
  std::atomic<bool> stop_{false};
  std::atomic<uint64_t> positions_{0};
  std::atomic<uint64_t> peakBytes_{0};
};

template <typename Result>
class BackgroundJob {
 public:
  // The search itself, given options that make it report to this job and
  // obey its stop request.
  using Work = std::function<Result(SolveOptions)>;

  // Starts `work` at once on a thread of its own, within `memoryBudget`
  // bytes (0: the search's default).
  BackgroundJob(Work work, size_t memoryBudget);
  // Starts the job's search from a copy of `root` in `metric`: solveBoard
  // for a SolveResult, analyzeBoard for an AnalysisResult.
  BackgroundJob(const BoardState& root, MoveMetric metric, size_t memoryBudget = 0);
  // Stops the search if it still runs, and waits for its thread.
  ~BackgroundJob();
  BackgroundJob(const BackgroundJob&) = delete;
  BackgroundJob& operator=(const BackgroundJob&) = delete;

  // Positions handled so far as the search last reported them; once
  // finished, the final count. Never decreases.
  uint64_t positions() const { return handoff_.positions(); }
  // The most memory the search has held, likewise.
  uint64_t peakBytes() const { return handoff_.peakBytes(); }

  // Whether the search has ended; once true, takeResult() returns at once.
  bool finished() const { return finished_.load(std::memory_order_acquire); }

  // Asks the search to stop; takeResult() then returns soon, stopped unless
  // the search had already ended.
  void requestStop() { handoff_.requestStop(); }

  // Waits for the search to end and hands over its result. Called once.
  // Whatever the work threw (memory for its options or its result, say) is
  // a failed result, never the end of the process.
  Result takeResult();

 private:
  void run(const Work& work, size_t memoryBudget) noexcept;

  SearchHandoff handoff_;
  std::atomic<bool> finished_{false};
  // Written by the worker alone; read only after it has been joined.
  Result result_;
  // Last, so that everything the worker touches exists before it starts.
  std::thread worker_;
};

using BackgroundSearch = BackgroundJob<SolveResult>;
using BackgroundAnalysis = BackgroundJob<AnalysisResult>;
