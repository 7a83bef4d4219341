// The breadth-first search by layers: every core, a few bytes per position.
#pragma once

#include "Solver.h"

// How positions are keyed (see the design note in LayeredSearch.cpp).
enum class LayerKeys {
  narrowest,  // the narrowest of the kinds below that fits the board
  compact,    // a 64-bit compact key
  wide,       // a 128-bit compact key
  bytes,      // a byte per piece
};

// Searches from `root` counting one-cell moves, with the same answer as the
// plain breadth-first search (see the design note in LayeredSearch.cpp).
// Asking for a kind of key is for tests: a board that the kind does not fit
// is searched with the narrowest.
SolveResult solveByLayers(const BoardState& root, const SolveOptions& options,
                          LayerKeys keys = LayerKeys::narrowest);
