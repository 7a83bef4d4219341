// The search as the window runs it: progress frames, and Escape to stop.
#pragma once

#include <memory>

#include "model/BoardState.h"
#include "render/Camera.h"
#include "render/MessageOverlay.h"
#include "search/Solver.h"

// Searches from `root`, drawing a progress frame every 10000 expansions and
// stopping when Escape is latched. Returns the goal state with its move log,
// or none; `outcome` says why there is none.
std::unique_ptr<BoardState> solve(Camera& camera, const BoardState& root, MessageOverlay& overlay,
                                  SolveOutcome* outcome = nullptr);
