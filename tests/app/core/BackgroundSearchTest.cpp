#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <new>
#include <stdexcept>
#include <thread>
#include <vector>

#include "app/core/BackgroundJob.h"
#include "tests/model/TestBoards.h"
#include "tests/support/TimeLimits.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// Enough memory for a few seconds of search, so that a stop request that
// goes unheard fails the test instead of filling the machine.
constexpr size_t testBudget = size_t{512} << 20;

// Waits until the search has handed over a first count of positions.
bool waitForProgress(const BackgroundSearch& search) {
  const Clock::time_point deadline = Clock::now() + 30s;
  while (search.positions() == 0 && Clock::now() < deadline) std::this_thread::sleep_for(1ms);
  return search.positions() > 0;
}

double secondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// What a stop may cost: the 0.2 s the window allows on each of the search's
// threads, with as much again as margin, in processor time (see
// tests/TimeLimits.h). The wall clock only checks that it waits for nothing
// else.
double stopWorkLimit() {
  return 0.4 * std::max(1u, std::thread::hardware_concurrency()) * sanitizerSlowdown();
}
double stopWallLimit() { return 5.0 * sanitizerSlowdown(); }

}  // namespace

TEST(BackgroundSearchTest, GivesTheSameResultAsASearchOnTheCallersThread) {
  const BoardState boards[] = {
      boardOf(4, 3, {pieceAt(0, 0, 0), pieceAt(1, 3, 0)}),
      boardOf(5, 4,
              {pieceAt(0, 0, 1), pieceAt(2, 0, 3), pieceAt(2, 0, 0), pieceAt(3, 2, 1),
               pieceAt(1, 3, 2), pieceAt(1, 3, 1), pieceAt(1, 4, 3), pieceAt(1, 4, 0)}),
      boardOf(6, 2, {pieceAt(0, 0, 0), pieceAt(1, 3, 0)}),  // no solution
  };
  // In every metric: the window searches in the one it was given.
  for (const MoveMetric metric : {MoveMetric::step, MoveMetric::line, MoveMetric::path}) {
    SolveOptions options;
    options.metric = metric;
    for (const BoardState& board : boards) {
      const SolveResult direct = solveBoard(board, options);
      BackgroundSearch search(board, metric);
      const SolveResult background = search.takeResult();
      EXPECT_TRUE(search.finished());
      EXPECT_EQ(background.outcome, direct.outcome);
      EXPECT_EQ(background.solution.moveLog(), direct.solution.moveLog());
      EXPECT_EQ(background.stepsPerMove, direct.stepsPerMove);
      EXPECT_EQ(background.stats.positions, direct.stats.positions);
      // The count shown last is the search's own final count.
      EXPECT_EQ(search.positions(), direct.stats.positions);
      EXPECT_EQ(search.peakBytes(), background.stats.peakBytes);
    }
  }
}

TEST(BackgroundSearchTest, AStopRequestEndsARunningSearchPromptly) {
  BackgroundSearch search(endlessLayout(), MoveMetric::step, testBudget);
  ASSERT_TRUE(waitForProgress(search));
  EXPECT_FALSE(search.finished());
  const Clock::time_point asked = Clock::now();
  const double askedWork = processSeconds();
  search.requestStop();
  const SolveResult result = search.takeResult();
  EXPECT_LT(processSeconds() - askedWork, stopWorkLimit());
  EXPECT_LT(secondsSince(asked), stopWallLimit());
  EXPECT_EQ(result.outcome, SolveOutcome::stopped);
  EXPECT_TRUE(search.finished());
  EXPECT_GE(search.positions(), result.stats.positions);
}

TEST(BackgroundSearchTest, LeavingARunningSearchStopsItAndWaitsForIt) {
  Clock::time_point left;
  double leftWork = 0;
  {
    BackgroundSearch search(endlessLayout(), MoveMetric::step, testBudget);
    ASSERT_TRUE(waitForProgress(search));
    left = Clock::now();
    leftWork = processSeconds();
  }
  EXPECT_LT(processSeconds() - leftWork, stopWorkLimit());
  EXPECT_LT(secondsSince(left), stopWallLimit());
}

// What the worker's work throws, its options or its result short of memory
// say, is the job's failed result, never the end of the process.
TEST(BackgroundSearchTest, WhatTheWorkThrowsIsAFailedResult) {
  BackgroundSearch memory([](SolveOptions) -> SolveResult { throw std::bad_alloc(); }, 0);
  EXPECT_EQ(memory.takeResult().outcome, SolveOutcome::outOfMemory);
  BackgroundAnalysis broken(
      [](SolveOptions) -> AnalysisResult { throw std::runtime_error("a broken disk"); }, 0);
  const AnalysisResult result = broken.takeResult();
  EXPECT_EQ(result.outcome, SolveOutcome::failed);
  EXPECT_EQ(result.failure, "a broken disk");
  EXPECT_TRUE(broken.finished());
}

TEST(SearchHandoffTest, ReportsFromManyThreadsAtOnceOnlyEverRaiseTheCount) {
  SearchHandoff handoff;
  const SolveOptions options = handoff.solveOptions(0);
  constexpr int threads = 4;
  constexpr uint64_t reportsEach = 20000;
  std::vector<std::thread> reporters;
  for (int t = 0; t < threads; ++t) {
    // Each thread reports its own rising counts, interleaved with the others,
    // so reports reach the handoff out of order.
    reporters.emplace_back([&options, t] {
      SolveStats stats;
      for (uint64_t i = 0; i < reportsEach; ++i) {
        stats.positions = i * threads + static_cast<uint64_t>(t);
        stats.peakBytes = 2 * stats.positions;
        options.progress(stats);
      }
    });
  }
  uint64_t seen = 0;
  uint64_t seenBytes = 0;
  bool fell = false;
  for (int i = 0; i < 100000; ++i) {
    const uint64_t now = handoff.positions();
    const uint64_t bytes = handoff.peakBytes();
    fell = fell || now < seen || bytes < seenBytes;
    seen = now;
    seenBytes = bytes;
  }
  for (std::thread& reporter : reporters) reporter.join();
  EXPECT_FALSE(fell);
  EXPECT_EQ(handoff.positions(), (reportsEach - 1) * threads + threads - 1);
  EXPECT_EQ(handoff.peakBytes(), 2 * handoff.positions());

  // The stop request reaches the search's stop test on another thread.
  EXPECT_FALSE(options.shouldStop());
  std::thread([&handoff] { handoff.requestStop(); }).join();
  bool heard = false;
  std::thread([&options, &heard] { heard = options.shouldStop(); }).join();
  EXPECT_TRUE(heard);
}
