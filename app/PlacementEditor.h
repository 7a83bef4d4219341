// The second screen: the person lays out the pieces of the puzzle.
#pragma once

#include "model/BoardState.h"
#include "render/Camera.h"
#include "render/MessageOverlay.h"

// Adds the pieces placed to `board`, the square first. The board may be
// empty or hold a layout to go on with; the cursor then starts at (0, 0) in
// the shape of its last piece. Returns true when Return asks for the search,
// false when Escape abandons the puzzle.
bool runPlacementEditor(const Camera& camera, BoardState& board, MessageOverlay& overlay);
