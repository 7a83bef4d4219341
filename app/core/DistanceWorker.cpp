#include "DistanceWorker.h"

#include <exception>
#include <new>
#include <utility>

DistanceWorker::DistanceWorker(MoveMetric metric, std::function<void()> answered,
                               size_t memoryBudget)
    : metric_(metric),
      answered_(std::move(answered)),
      memoryBudget_(memoryBudget),
      worker_([this] { run(); }) {}

DistanceWorker::~DistanceWorker() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    closing_ = true;
  }
  stop_.store(true, std::memory_order_relaxed);
  asked_.notify_one();
  worker_.join();
}

uint64_t DistanceWorker::ask(const BoardState& position) {
  std::lock_guard<std::mutex> lock(mutex_);
  question_ = position;
  answer_.reset();
  const uint64_t number = newest_.load(std::memory_order_relaxed) + 1;
  newest_.store(number, std::memory_order_relaxed);
  asked_.notify_one();
  return number;
}

std::optional<DistanceWorker::Answer> DistanceWorker::takeAnswer() {
  std::lock_guard<std::mutex> lock(mutex_);
  std::optional<Answer> answer = std::move(answer_);
  answer_.reset();
  return answer;
}

void DistanceWorker::run() noexcept {
  for (;;) {
    BoardState position;
    uint64_t question = 0;
    {
      std::unique_lock<std::mutex> lock(mutex_);
      asked_.wait(lock, [this] { return closing_ || question_.has_value(); });
      if (closing_) return;
      position = std::move(*question_);
      question_.reset();
      question = newest_.load(std::memory_order_relaxed);
    }
    SolveResult result = search(position, question);
    {
      std::lock_guard<std::mutex> lock(mutex_);
      // A newer question makes this answer worthless; the loop takes it up.
      if (closing_ || question != newest_.load(std::memory_order_relaxed)) continue;
      answer_ = Answer{question, std::move(result)};
    }
    if (answered_) answered_();
  }
}

SolveResult DistanceWorker::search(const BoardState& position, uint64_t question) noexcept {
  started_.fetch_add(1, std::memory_order_relaxed);
  SolveResult result;
  try {
    SolveOptions options;
    options.metric = metric_;
    options.memoryBudget = memoryBudget_;
    options.shouldStop = [this, question] {
      return stop_.load(std::memory_order_relaxed) ||
             newest_.load(std::memory_order_relaxed) != question;
    };
    result = solveBoard(position, options);
  } catch (const std::bad_alloc&) {
    result.outcome = SolveOutcome::outOfMemory;
  } catch (...) {
    // The options' copies are all that may throw here: memory again.
    result.outcome = SolveOutcome::failed;
  }
  return result;
}
