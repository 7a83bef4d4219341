// The breadth-first search with a table of every position seen, in any
// metric, on one thread: the same answers as the layered search.
#pragma once

#include "search/core/SolveTypes.h"

// Searches from `root` for a solution with the fewest moves in
// `options.metric`. The threads and the spill folder of `options` play no
// part: it searches on one thread, in memory.
SolveResult solveByTable(const BoardState& root, const SolveOptions& options = {});
