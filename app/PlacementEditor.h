// The second screen: the person lays out the pieces of the puzzle.
#pragma once

#include "model/BoardState.h"
#include "render/Camera.h"
#include "render/MessageOverlay.h"

// Fills `board` (empty on entry, of the size chosen) with the pieces placed,
// the square first. Returns true when Return asks for the search, false when
// Escape abandons the puzzle.
bool runPlacementEditor(const Camera& camera, BoardState& board, MessageOverlay& overlay);
