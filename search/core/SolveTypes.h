// What a caller gives a search and what it gets back: the public types of
// every engine (Solver.h is the way in).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "model/BoardState.h"
#include "model/MoveMetric.h"

enum class SolveOutcome {
  solved,       // `solution` holds the goal state and its move log
  noSolution,   // every reachable position was expanded
  stopped,      // the caller asked to stop
  outOfMemory,  // the memory budget, or the system, refused memory
  spillFailed,  // the spill folder could not be written or read back
  failed,       // something else went wrong; `failure` says what
};

// Why a search could not go on: the outcome it ends with (stopped,
// outOfMemory, spillFailed or failed) and what failed, in words. The one
// failure type of every layer of the search, from a store that could not
// keep a run up to the result.
struct SearchFailure {
  SolveOutcome outcome = SolveOutcome::failed;
  std::string reason;
};

struct SolveStats {
  uint64_t positions = 0;    // distinct positions that entered the search
  uint64_t expanded = 0;     // positions expanded that were not the goal
  size_t peakBytes = 0;      // the most memory the search held at once
  uint64_t storedBytes = 0;  // bytes that hold the positions found (layers)
  // With the layers on disk (SolveOptions::spillDirectory): the bytes the
  // search's files hold now, and the most they held at once; 0 in memory.
  uint64_t diskBytes = 0;
  uint64_t peakDiskBytes = 0;
  // The layers made so far: the distance the search has reached (0 before
  // the first; the table search keeps none).
  uint32_t layers = 0;
  // The layered search's keys: their width in 64-bit words, and how many of
  // their bits the board's positions take. Both 0 for the table search,
  // which keeps whole positions rather than keys.
  int keyWords = 0;
  int keyBits = 0;
};

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
};

struct SolveResult {
  SolveOutcome outcome = SolveOutcome::noSolution;
  BoardState solution;  // the goal state, with its move log, when solved
  // How many of the log's one-cell steps each counted move takes, in order;
  // they add up to the log's length.
  std::vector<uint16_t> stepsPerMove;
  SolveStats stats;
  std::string failure;  // what failed, for spillFailed and failed
};

// What the analysis of the whole set of positions a layout reaches found.
struct AnalysisResult {
  // `solved` when the analysis went through the whole set; the failures as
  // for a search. An analysis that did not run (a layout without pieces)
  // has failed, never solved an empty set.
  SolveOutcome outcome = SolveOutcome::failed;
  uint64_t positions = 0;        // the positions the layout reaches, itself included
  uint64_t goals = 0;            // those whose square stands in the exit
  std::vector<uint64_t> layers;  // how many stand at each distance from the layout
  // The largest distance from a position of the set to its nearest goal,
  // and how many positions stand there; -1 and 0 when the set has no goal.
  int hardest = -1;
  uint64_t hardestPositions = 0;
  // One of them, the first by key: the layout's pieces, in its order, at
  // their places there; pieces of one shape take that shape's places
  // lowest origin first (bottom row first, then left to right).
  BoardState hardestStart;
  SolveStats stats;
  std::string failure = "the analysis did not run";  // what failed, when it failed
};
