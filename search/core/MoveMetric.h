// How the moves of a solution are counted.
//
// Whatever the metric, a solution is logged as one-cell steps; the metric
// decides which runs of those steps count as one move, and so which
// solutions are the shortest.
#pragma once

enum class MoveMetric {
  step,  // one piece by one cell
  line,  // one piece by any number of cells in one direction
  path,  // one piece to any cell it reaches by steps while the others stay
};
