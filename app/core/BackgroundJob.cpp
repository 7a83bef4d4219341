#include "BackgroundJob.h"

#include <cassert>
#include <exception>
#include <new>
#include <string>
#include <type_traits>
#include <utility>

namespace {

// The search a job of `Result` runs from `root`.
template <typename Result>
typename BackgroundJob<Result>::Work searchOf(const BoardState& root, MoveMetric metric) {
  return [root, metric](SolveOptions options) {
    options.metric = metric;
    if constexpr (std::is_same_v<Result, SolveResult>) {
      return solveBoard(root, options);
    } else {
      return analyzeBoard(root, options);
    }
  };
}

// What `thrown`, which is no bad_alloc, says.
std::string reasonOf(std::exception_ptr thrown) {
  try {
    std::rethrow_exception(thrown);
  } catch (const std::exception& e) {
    return e.what();
  } catch (...) {
    return "an unknown error";
  }
}

// Raises `shown` to `value` unless it holds more already: reports from
// several threads may arrive out of order.
void raiseTo(std::atomic<uint64_t>& shown, uint64_t value) {
  uint64_t now = shown.load(std::memory_order_relaxed);
  while (value > now && !shown.compare_exchange_weak(now, value, std::memory_order_relaxed)) {
  }
}

}  // namespace

SolveOptions SearchHandoff::solveOptions(size_t memoryBudget) {
  SolveOptions options;
  options.memoryBudget = memoryBudget;
  options.shouldStop = [this] { return stopRequested(); };
  options.progress = [this](const SolveStats& stats) { report(stats); };
  return options;
}

void SearchHandoff::report(const SolveStats& stats) {
  raiseTo(positions_, stats.positions);
  raiseTo(peakBytes_, stats.peakBytes);
}

template <typename Result>
BackgroundJob<Result>::BackgroundJob(Work work, size_t memoryBudget)
    : worker_([this, work = std::move(work), memoryBudget] { run(work, memoryBudget); }) {}

template <typename Result>
BackgroundJob<Result>::BackgroundJob(const BoardState& root, MoveMetric metric, size_t memoryBudget)
    : BackgroundJob(searchOf<Result>(root, metric), memoryBudget) {}

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
void BackgroundJob<Result>::run(const Work& work, size_t memoryBudget) noexcept {
  try {
    result_ = work(handoff_.solveOptions(memoryBudget));
  } catch (const std::bad_alloc&) {
    // Copying the options or the result ran out of memory: said without
    // taking more.
    result_.outcome = SolveOutcome::outOfMemory;
    result_.failure.clear();
  } catch (...) {
    result_.outcome = SolveOutcome::failed;
    try {
      result_.failure = reasonOf(std::current_exception());
    } catch (...) {
      // No memory even for the words: the outcome says enough.
    }
  }
  // The final count, so that the screen never shows less than the search did.
  handoff_.report(result_.stats);
  finished_.store(true, std::memory_order_release);
}

template class BackgroundJob<SolveResult>;
template class BackgroundJob<AnalysisResult>;
