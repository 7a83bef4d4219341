// The breadth-first search written plainly, state by state, as the reference
// that the fast search is compared against.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "model/BoardState.h"
#include "model/MoveMetric.h"

struct PlainSearchResult {
  bool finished = false;  // false when it gave up at the state limit
  bool solved = false;
  BoardState goal;                     // with its full move log of one-cell steps, when solved
  std::vector<uint16_t> stepsPerMove;  // steps of each counted move, when solved
  int expanded = 0;
  size_t states = 0;  // states that entered the visited set
  // States two moves or more shallower than the goal, those one move
  // shallower from which piece 0 enters a goal, and the goals at its depth
  // (all states when there is no goal): what a search by layers stores.
  size_t statesBeforeGoals = 0;
  // The same, looking ahead: three moves shallower or more, those two moves
  // shallower whose piece 0 stands one or two steps from the goal's place,
  // then as above (the same when the goal is two moves away or less).
  size_t statesLookingAhead = 0;
};

// Searches from `root` on its board, one counted move of `metric` per edge,
// giving up once more than `stateLimit` states have entered the search.
PlainSearchResult plainSearch(const BoardState& root, size_t stateLimit,
                              MoveMetric metric = MoveMetric::step);

// The whole set of positions `root` reaches, positions that differ by an
// exchange of pieces of one shape (piece 0 aside) counted once, explored one
// by one; `finished` false when it holds more than `stateLimit`.
struct PlainAnalysis {
  bool finished = false;
  uint64_t positions = 0;
  uint64_t goals = 0;
  std::vector<uint64_t> layers;  // by distance from the root
  int hardest = -1;              // the largest distance to a nearest goal
  uint64_t hardestPositions = 0;
  // The distance from `state` (which must lie in the set) to its nearest goal.
  std::function<int(const BoardState&)> goalDistance;
};

PlainAnalysis plainAnalysis(const BoardState& root, size_t stateLimit, MoveMetric metric);
