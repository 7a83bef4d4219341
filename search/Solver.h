// The breadth-first search for the fewest moves that free piece 0: the one
// way in for the window, the command-line solver and the benchmarks.
//
// The search by layers (layered/) answers, in every metric, on every core,
// with a few bytes per position. The tests check it against a table search
// and a plain search of their own (tests/oracle/).
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

// Explores every position `root` reaches in `options.metric`, the goal
// included, then searches back from every goal position of that set: how
// many positions and goals there are, how far each layer of the set stands
// from the layout, and which positions stand farthest from any goal. Pieces
// of one shape other than the square are interchangeable, as in the search.
// Never throws.
AnalysisResult analyzeBoard(const BoardState& root, const SolveOptions& options = {});
