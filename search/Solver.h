// The breadth-first search for the fewest moves that free piece 0.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "MoveMetric.h"
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
  // What counts as one move.
  MoveMetric metric = MoveMetric::step;
};

struct SolveResult {
  SolveOutcome outcome = SolveOutcome::noSolution;
  BoardState solution;  // the goal state, with its move log, when solved
  // How many of the log's one-cell steps each counted move takes, in order;
  // they add up to the log's length.
  std::vector<uint16_t> stepsPerMove;
  SolveStats stats;
};

// Searches from `root` (at least one piece, at most 64, on its board without
// overlapping) for a solution with the fewest moves in `options.metric`.
// Returns the same goal state, move log and counted moves as a plain
// breadth-first search that tries pieces in index order and each piece's
// moves in the metric's order (see MetricMoves.h): among the shortest
// solutions, the first when compared move by move. Holds no state between
// calls: searches may run side by side.
SolveResult solveBoard(const BoardState& root, const SolveOptions& options = {});

// The grouping of a one-cell-per-move solution of `stepCount` steps: every
// counted move is one step.
std::vector<uint16_t> oneStepPerMove(size_t stepCount);
