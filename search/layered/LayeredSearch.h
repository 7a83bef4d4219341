// The breadth-first search by layers: every core, a few bytes per position.
// How and why it works: docs/layered-search.md.
#pragma once

#include <cstddef>

#include "search/core/SolveTypes.h"

// How positions are keyed.
enum class LayerKeys {
  narrowest,  // the narrowest of the kinds below that fits the board
  compact,    // a 64-bit compact key
  wide,       // a 128-bit compact key
  widest,     // a compact key of three words, which every board fits
};

// Whether the search looks two layers ahead near the goal.
enum class LookAhead {
  automatic,  // when few positions are near it
  always,
  never,
};

// The engine's own settings, beyond the options every search takes. The
// defaults are what the program runs with; tests choose others to reach
// the paths that only large puzzles reach.
struct LayeredTuning {
  // Memory for the children of one layer before they are sorted; 0 chooses
  // it from the budget. A layer whose children do not fit is done in
  // segments.
  size_t childBufferBytes = 0;
  // Back moves a child may carry beside its key, at most 4; fewer only to
  // test the narrow records that wide keys leave room for.
  int backMoveBytes = 4;
  LookAhead lookAhead = LookAhead::automatic;
  // A board that the kind asked for does not fit is searched with the
  // narrowest.
  LayerKeys keys = LayerKeys::narrowest;
};

// Searches from `root` counting moves in `options.metric`, with the same
// answer as the plain breadth-first search (see solveBoard).
SolveResult solveByLayers(const BoardState& root, const SolveOptions& options,
                          const LayeredTuning& tuning = {});

// Analyses the whole set of positions `root` reaches, by layers (see
// analyzeBoard).
AnalysisResult analyzeByLayers(const BoardState& root, const SolveOptions& options,
                               const LayeredTuning& tuning = {});
