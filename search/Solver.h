// The breadth-first search for the fewest moves that free piece 0. Two
// engines give the same answers: the layered search (LayeredSearch.cpp),
// which counts one-cell moves on every core with a few bytes per position,
// and the table search (TableSearch.cpp), which counts moves in any metric.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "MoveMetric.h"
#include "model/BoardState.h"

enum class SolveOutcome {
  solved,       // `solution` holds the goal state and its move log
  noSolution,   // every reachable position was expanded
  stopped,      // the caller asked to stop
  outOfMemory,  // the memory budget would have been passed
  spillFailed,  // the spill folder could not be written or read back
};

struct SolveStats {
  uint64_t positions = 0;    // distinct positions that entered the search
  uint64_t expanded = 0;     // positions expanded that were not the goal
  size_t peakBytes = 0;      // the most memory the search held at once
  uint64_t storedBytes = 0;  // bytes that hold the positions found (layers)
};

enum class LookAhead { automatic, always, never };

struct SolveOptions {
  // Bytes the search may hold; 0 means three quarters of the memory
  // available when it starts.
  size_t memoryBudget = 0;
  // Asked many times a second (never by two threads at once); true stops
  // the search within 0.2 s.
  std::function<bool()> shouldStop;
  // Called at least ten times a second while the search runs, right after a
  // stop test, never by two threads at once.
  std::function<void(const SolveStats&)> progress;
  // What counts as one move.
  MoveMetric metric = MoveMetric::step;
  // Threads that search side by side; 0 means one per core. The result
  // never depends on it.
  int threads = 0;
  // A folder for the finished layers of positions, kept on disk instead of
  // in memory; empty keeps them in memory.
  std::string spillDirectory;
  // Memory for the moves of one layer before they are sorted; 0 chooses it
  // from the budget. A layer whose moves do not fit is done in segments.
  size_t childBufferBytes = 0;
  // Back moves a child may carry beside its key, at most 4; fewer only to
  // test the narrow records that wide keys leave room for.
  int backMoveBytes = 4;
  // Whether the layered search looks two layers ahead near the goal; by
  // default when few positions are near it. Only tests choose.
  LookAhead lookAhead = LookAhead::automatic;
};

struct SolveResult {
  SolveOutcome outcome = SolveOutcome::noSolution;
  BoardState solution;  // the goal state, with its move log, when solved
  // How many of the log's one-cell steps each counted move takes, in order;
  // they add up to the log's length.
  std::vector<uint16_t> stepsPerMove;
  SolveStats stats;
  std::string failure;  // why the spill folder failed, when it did
};

// Searches from `root` (at least one piece, at most 64, on its board without
// overlapping) for a solution with the fewest moves in `options.metric`.
// Returns the same goal state, move log and counted moves as a plain
// breadth-first search that tries pieces in index order and each piece's
// moves in the metric's order (see MetricMoves.h): among the shortest
// solutions, the first when compared move by move. Holds no state between
// calls: searches may run side by side.
SolveResult solveBoard(const BoardState& root, const SolveOptions& options = {});

// The same search in any metric on one thread, with a table of every
// position seen (TableSearch.cpp): the same answers. solveBoard uses it for
// the line and path metrics; for steps it serves comparisons.
SolveResult solveByTable(const BoardState& root, const SolveOptions& options = {});

// The grouping of a one-cell-per-move solution of `stepCount` steps: every
// counted move is one step.
std::vector<uint16_t> oneStepPerMove(size_t stepCount);
