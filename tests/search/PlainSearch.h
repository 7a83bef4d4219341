// The breadth-first search written plainly, state by state, as the reference
// that the fast search is compared against.
#pragma once

#include <cstddef>

#include "model/BoardState.h"

struct PlainSearchResult {
  bool finished = false;  // false when it gave up at the state limit
  bool solved = false;
  BoardState goal;  // with its full move log, when solved
  int expanded = 0;
  size_t states = 0;  // states that entered the visited set
  // States no deeper than the goal, the goal's layer included (all states
  // when there is no goal).
  size_t statesWithinGoalDepth = 0;
};

// Searches from `root` on the current board, giving up once more than
// `stateLimit` states have entered the search.
PlainSearchResult plainSearch(const BoardState& root, size_t stateLimit);
