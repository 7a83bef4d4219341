// The breadth-first search for the fewest one-cell moves that free piece 0.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

#include "model/BoardState.h"

enum class SolveOutcome {
  solved,       // `solution` holds the goal state and its move log
  noSolution,   // every reachable position was expanded
  stopped,      // the caller asked to stop
  outOfMemory,  // the memory budget would have been passed
};

struct SolveStats {
  uint64_t positions = 0;  // distinct positions that entered the search
  uint64_t expanded = 0;   // positions expanded that were not the goal
  size_t peakBytes = 0;    // the most memory the search held at once
};

struct SolveOptions {
  // Bytes the search may hold; 0 means three quarters of the memory
  // available when it starts.
  size_t memoryBudget = 0;
  // Asked after every expansion; true stops the search.
  std::function<bool()> shouldStop;
  // Called after every 10000th expansion, after the stop test.
  std::function<void(const SolveStats&)> progress;
};

struct SolveResult {
  SolveOutcome outcome = SolveOutcome::noSolution;
  BoardState solution;  // the goal state, with its move log, when solved
  SolveStats stats;
};

// Searches from `root` (at least one piece, at most 64, on its board without
// overlapping). Returns the same goal state and move log as a plain
// breadth-first search that tries pieces in index order and the steps right,
// left, up, down. Holds no state between calls: searches may run side by side.
SolveResult solveBoard(const BoardState& root, const SolveOptions& options = {});
