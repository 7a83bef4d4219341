// The breadth-first search by layers: every core, a few bytes per position.
#pragma once

#include "Solver.h"

// Searches from `root` counting one-cell moves, with the same answer as the
// plain breadth-first search (see the design note in LayeredSearch.cpp).
SolveResult solveByLayers(const BoardState& root, const SolveOptions& options);
