// The searches as the window runs them: the solve of a layout, or the
// analysis of every position it reaches, on a thread of its own, the window
// showing its progress, and Escape to stop it.
#pragma once

#include <optional>

#include "model/BoardState.h"
#include "render/Camera.h"
#include "search/Solver.h"

// Searches from `root` for the fewest moves in `metric` beside the window,
// which shows "Calcul solution...", the layout and the count of positions
// explored until the search ends. Escape stops the search: the result is
// then `stopped`, even if the search ended in the meantime. A close request
// stops it too and gives nothing: the program ends. A root without the
// square, or with more pieces than a move byte can name, has no solution.
std::optional<SolveResult> runSearchScreen(const Camera& camera, const BoardState& root,
                                           MoveMetric metric);

// Analyses every position `root` reaches in `metric` (analyzeBoard) beside
// the window, which shows "Analyse des positions...", the layout and the
// count of positions handled until the analysis ends. Escape and a close
// request stop it as they stop the search: Escape gives a `stopped` result,
// a close request nothing. `root` holds the square.
std::optional<AnalysisResult> runAnalysisScreen(const Camera& camera, const BoardState& root,
                                                MoveMetric metric);
