// The second screen: the person lays out the pieces of the puzzle.
#pragma once

#include "model/BoardState.h"
#include "render/Camera.h"
#include "render/MessageOverlay.h"

// Fills `board` (empty on entry) with the pieces placed, the square first.
// Returns 0 when Return finished a board that has at least one piece, -1
// when Escape abandoned it.
int runPlacementEditor(Camera& camera, BoardState& board, MessageOverlay& overlay);
