// The engine's answer for the position on the play screen's board: a search
// from that position (solveBoard) on a worker thread of its own, so that the
// window keeps moving pieces while it runs. Only the newest question
// counts: asking again stops the search of an older one at its next stop
// test, and the worker goes on with the newest.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>

#include "model/BoardState.h"
#include "search/Solver.h"

class DistanceWorker {
 public:
  struct Answer {
    uint64_t question = 0;  // the number ask() gave
    SolveResult result;     // solveBoard's; a failure for whatever it threw
  };

  // Starts the worker, which searches in `metric` within `memoryBudget`
  // bytes (0: the search's default) and calls `answered` (when given) from
  // its thread after each answer, for the window to wake.
  DistanceWorker(MoveMetric metric, std::function<void()> answered, size_t memoryBudget = 0);
  // Stops a running search and waits for the worker: as long as the
  // search takes to see its stop request.
  ~DistanceWorker();
  DistanceWorker(const DistanceWorker&) = delete;
  DistanceWorker& operator=(const DistanceWorker&) = delete;

  // Asks for the fewest moves from `position`; returns the question's
  // number, higher than any before. The answer to an older question still
  // unanswered is never given.
  uint64_t ask(const BoardState& position);

  // The answer to the newest question once it is there, handed over once.
  std::optional<Answer> takeAnswer();

  // How many searches the worker has started, stopped ones included.
  uint64_t searchesStarted() const { return started_.load(std::memory_order_relaxed); }

 private:
  void run() noexcept;
  SolveResult search(const BoardState& position, uint64_t question) noexcept;

  const MoveMetric metric_;
  const std::function<void()> answered_;
  const size_t memoryBudget_;

  std::mutex mutex_;
  std::condition_variable asked_;
  std::optional<BoardState> question_;  // the newest position not yet taken up
  std::optional<Answer> answer_;
  bool closing_ = false;
  // The newest question's number, read by the search's stop test.
  std::atomic<uint64_t> newest_{0};
  std::atomic<bool> stop_{false};
  std::atomic<uint64_t> started_{0};
  // Last, so that everything the worker touches exists before it starts.
  std::thread worker_;
};
