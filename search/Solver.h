// The breadth-first search for the fewest moves that free piece 0: the one
// way in for the window, the command-line solver and the benchmarks.
//
// Two engines give the same answers: the layered search (layered/), which
// counts one-cell moves on every core with a few bytes per position, and the
// table search (table/), which counts moves in any metric on one thread.
#pragma once

#include "search/core/SolveTypes.h"

// Searches from `root` (at least one piece, at most 64, on its board without
// overlapping) for a solution with the fewest moves in `options.metric`.
// Returns the same goal state, move log and counted moves as a plain
// breadth-first search that tries pieces in index order and each piece's
// moves in the metric's order (see core/MetricMoves.h): among the shortest
// solutions, the first when compared move by move. Holds no state between
// calls: searches may run side by side. Never throws.
SolveResult solveBoard(const BoardState& root, const SolveOptions& options = {});
