// What the threads of one search share besides their data: the stop request,
// the first failure and the counts the progress callback reports.
#pragma once

#include <atomic>
#include <cassert>
#include <chrono>
#include <exception>
#include <mutex>
#include <optional>
#include <string>
#include <utility>

#include "SolveTypes.h"
#include "search/memory/MemoryBudget.h"

// What an exception that the search's work threw means: running out of
// memory for an allocation that failed, a failure with the exception's
// message otherwise.
SearchFailure failureOf(std::exception_ptr thrown);

class SearchControl {
 public:
  SearchControl(const SolveOptions& options, MemoryBudget& budget)
      : options_(options), budget_(budget), last_(std::chrono::steady_clock::now()) {}

  // Whether the threads should give up: a stop was asked or something failed.
  bool halted() const { return halted_.load(std::memory_order_relaxed); }

  // Records why the search cannot go on (the first failure counts) and
  // halts it.
  void fail(SearchFailure failure) {
    std::lock_guard<std::mutex> lock(failureMutex_);
    if (!failure_) failure_ = std::move(failure);
    halted_.store(true, std::memory_order_relaxed);
  }
  void fail(SolveOutcome outcome, std::string why = std::string()) {
    fail(SearchFailure{outcome, std::move(why)});
  }
  // Records an exception that work of the search threw (failureOf).
  void fail(std::exception_ptr thrown) { fail(failureOf(thrown)); }
  // The first failure recorded; a search that halted has one.
  SearchFailure failure() const {
    std::lock_guard<std::mutex> lock(failureMutex_);
    assert(failure_ && "a search that did not fail has no failure");
    return failure_.value_or(SearchFailure());
  }

  // Counts shown by the progress callback.
  std::atomic<uint64_t> positions{0};
  std::atomic<uint64_t> expanded{0};
  std::atomic<uint64_t> storedBytes{0};
  std::atomic<uint32_t> layers{0};

  // Bytes written to the search's spill files, and given back when a file
  // goes or a hole is punched in one.
  void addDisk(uint64_t bytes) {
    const uint64_t held = diskBytes_.fetch_add(bytes, std::memory_order_relaxed) + bytes;
    uint64_t peak = peakDiskBytes_.load(std::memory_order_relaxed);
    while (held > peak &&
           !peakDiskBytes_.compare_exchange_weak(peak, held, std::memory_order_relaxed)) {
    }
  }
  void removeDisk(uint64_t bytes) { diskBytes_.fetch_sub(bytes, std::memory_order_relaxed); }

  SolveStats stats() const {
    SolveStats stats;
    stats.positions = positions.load(std::memory_order_relaxed);
    stats.expanded = expanded.load(std::memory_order_relaxed);
    stats.peakBytes = budget_.peak();
    stats.storedBytes = storedBytes.load(std::memory_order_relaxed);
    stats.diskBytes = diskBytes_.load(std::memory_order_relaxed);
    stats.peakDiskBytes = peakDiskBytes_.load(std::memory_order_relaxed);
    stats.layers = layers.load(std::memory_order_relaxed);
    return stats;
  }

  // Called often by any thread: every 20 ms one caller asks shouldStop, then
  // reports progress. Cheap when it is not yet time.
  void poll() {
    const auto now = std::chrono::steady_clock::now();
    if (now - last_.load(std::memory_order_relaxed) < std::chrono::milliseconds(20)) return;
    std::unique_lock<std::mutex> lock(pollMutex_, std::try_to_lock);
    if (!lock.owns_lock()) return;
    last_.store(now, std::memory_order_relaxed);
    if (options_.shouldStop && options_.shouldStop()) fail(SolveOutcome::stopped);
    if (options_.progress) options_.progress(stats());
  }

 private:
  const SolveOptions& options_;
  MemoryBudget& budget_;
  std::atomic<std::chrono::steady_clock::time_point> last_;
  std::mutex pollMutex_;
  mutable std::mutex failureMutex_;
  std::optional<SearchFailure> failure_;
  std::atomic<bool> halted_{false};
  std::atomic<uint64_t> diskBytes_{0};
  std::atomic<uint64_t> peakDiskBytes_{0};
};

// The result of a search that `thrown` ended outside its threads' work: out
// of memory for an allocation, failed otherwise.
SolveResult resultOfThrow(std::exception_ptr thrown);

// The threads a search uses: the asked count, or one per core.
int threadCount(const SolveOptions& options);
