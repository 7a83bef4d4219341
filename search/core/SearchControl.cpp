#include "SearchControl.h"

#include <cassert>
#include <new>
#include <thread>

SolveOutcome outcomeOf(SearchFailure failure) {
  switch (failure) {
    case SearchFailure::stopped:
      return SolveOutcome::stopped;
    case SearchFailure::outOfMemory:
      return SolveOutcome::outOfMemory;
    case SearchFailure::spillFailed:
      return SolveOutcome::spillFailed;
    case SearchFailure::error:
      return SolveOutcome::failed;
    case SearchFailure::none:
      break;
  }
  assert(false && "a search that did not fail has no failure outcome");
  return SolveOutcome::failed;
}

int threadCount(const SolveOptions& options) {
  if (options.threads > 0) return options.threads;
  const unsigned cores = std::thread::hardware_concurrency();
  return cores == 0 ? 1 : static_cast<int>(cores);
}

SearchFailure failureOf(std::exception_ptr thrown, std::string& why) {
  try {
    std::rethrow_exception(thrown);
  } catch (const std::bad_alloc&) {
    return SearchFailure::outOfMemory;
  } catch (const std::exception& e) {
    why = e.what();
  } catch (...) {
    why = "an unknown error";
  }
  return SearchFailure::error;
}

SolveResult resultOfThrow(std::exception_ptr thrown) {
  SolveResult result;
  result.outcome = outcomeOf(failureOf(thrown, result.failure));
  return result;
}
