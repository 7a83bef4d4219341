// The search as the window runs it: progress frames, and Escape to stop.
#pragma once

#include "model/BoardState.h"
#include "render/Camera.h"
#include "search/Solver.h"

// Searches from `root`, drawing a progress frame every 10000 expansions and
// stopping when Escape is latched. A root without the square, or with more
// pieces than a move byte can name, has no solution.
SolveResult runSearchScreen(const Camera& camera, const BoardState& root);
