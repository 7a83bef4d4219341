#include "SearchControl.h"

#include <new>
#include <thread>

int threadCount(const SolveOptions& options) {
  if (options.threads > 0) return options.threads;
  const unsigned cores = std::thread::hardware_concurrency();
  return cores == 0 ? 1 : static_cast<int>(cores);
}

SearchFailure failureOf(std::exception_ptr thrown) {
  try {
    std::rethrow_exception(thrown);
  } catch (const std::bad_alloc&) {
    return {SolveOutcome::outOfMemory, "memory"};
  } catch (const std::exception& e) {
    return {SolveOutcome::failed, e.what()};
  } catch (...) {
    return {SolveOutcome::failed, "an unknown error"};
  }
}

SolveResult resultOfThrow(std::exception_ptr thrown) {
  const SearchFailure failure = failureOf(thrown);
  SolveResult result;
  result.outcome = failure.outcome;
  result.failure = failure.reason;
  return result;
}
