#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <optional>
#include <thread>

#include "app/core/DistanceWorker.h"
#include "tests/app/core/PlayBoards.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr size_t testBudget = size_t{512} << 20;

// Waits for the answer to the newest question.
std::optional<DistanceWorker::Answer> waitForAnswer(DistanceWorker& worker,
                                                    Clock::duration longest = 30s) {
  const Clock::time_point deadline = Clock::now() + longest;
  while (Clock::now() < deadline) {
    if (std::optional<DistanceWorker::Answer> answer = worker.takeAnswer()) return answer;
    std::this_thread::sleep_for(1ms);
  }
  return std::nullopt;
}

}  // namespace

TEST(DistanceWorkerTest, AnswersAsTheEngineDoesAndWakesTheWindow) {
  for (const MoveMetric metric : {MoveMetric::step, MoveMetric::line, MoveMetric::path}) {
    std::atomic<int> wakes{0};
    DistanceWorker worker(metric, [&wakes] { ++wakes; });
    SolveOptions options;
    options.metric = metric;
    for (const BoardState& board :
         {classicLayout(), boardOf(6, 2, {pieceAt(0, 0, 0)}), boardOf(4, 3, {pieceAt(0, 2, 1)})}) {
      const uint64_t question = worker.ask(board);
      const std::optional<DistanceWorker::Answer> answer = waitForAnswer(worker);
      ASSERT_TRUE(answer);
      EXPECT_EQ(answer->question, question);
      const SolveResult direct = solveBoard(board, options);
      EXPECT_EQ(answer->result.outcome, direct.outcome);
      EXPECT_EQ(answer->result.solution.moveLog(), direct.solution.moveLog());
      EXPECT_EQ(answer->result.stepsPerMove, direct.stepsPerMove);
      EXPECT_FALSE(worker.takeAnswer());  // handed over once
    }
    EXPECT_EQ(wakes.load(), 3);
  }
}

TEST(DistanceWorkerTest, ANewerQuestionStopsTheSearchOfAnOlderOne) {
  DistanceWorker worker(MoveMetric::step, nullptr, testBudget);
  worker.ask(endlessLayout());
  // Well inside the endless search.
  const Clock::time_point deadline = Clock::now() + 10s;
  while (worker.searchesStarted() == 0 && Clock::now() < deadline) {
    std::this_thread::sleep_for(1ms);
  }
  std::this_thread::sleep_for(100ms);
  const Clock::time_point asked = Clock::now();
  const uint64_t newest = worker.ask(classicLayout());
  const std::optional<DistanceWorker::Answer> answer = waitForAnswer(worker, 10s);
  ASSERT_TRUE(answer);
  // The window allows 0.2 s for a stop; a loaded test machine gets more.
  EXPECT_LT(std::chrono::duration<double>(Clock::now() - asked).count(), 1.0);
  EXPECT_EQ(answer->question, newest);
  EXPECT_EQ(answer->result.outcome, SolveOutcome::solved);
  EXPECT_EQ(answer->result.stepsPerMove.size(), 116u);
  // Many questions at once: only the newest is searched to its end.
  for (int i = 0; i < 50; ++i) worker.ask(i % 2 == 0 ? endlessLayout() : classicLayout());
  const uint64_t last = worker.ask(boardOf(4, 3, {pieceAt(0, 0, 0)}));
  const std::optional<DistanceWorker::Answer> lastAnswer = waitForAnswer(worker, 10s);
  ASSERT_TRUE(lastAnswer);
  EXPECT_EQ(lastAnswer->question, last);
  EXPECT_EQ(lastAnswer->result.stepsPerMove.size(), 3u);
}

TEST(DistanceWorkerTest, EndsPromptlyDuringALongSearch) {
  Clock::time_point closing;
  {
    DistanceWorker worker(MoveMetric::step, nullptr, testBudget);
    worker.ask(endlessLayout());
    const Clock::time_point deadline = Clock::now() + 10s;
    while (worker.searchesStarted() == 0 && Clock::now() < deadline) {
      std::this_thread::sleep_for(1ms);
    }
    std::this_thread::sleep_for(100ms);
    EXPECT_FALSE(worker.takeAnswer());
    closing = Clock::now();
  }
  EXPECT_LT(std::chrono::duration<double>(Clock::now() - closing).count(), 1.0);
}
