// The search as the window runs it: the search on a thread of its own, the
// window showing its progress, and Escape to stop it.
#pragma once

#include "model/BoardState.h"
#include "render/Camera.h"
#include "search/Solver.h"

// Searches from `root` for the fewest moves in `metric` beside the window,
// which shows "Calcul solution...", the layout and the count of positions
// explored until the search ends. Escape stops the search and is consumed,
// and a close request stops it too: the result is then `stopped`, even if
// the search ended in the meantime. A root without the square, or with more
// pieces than a move byte can name, has no solution.
SolveResult runSearchScreen(const Camera& camera, const BoardState& root, MoveMetric metric);
