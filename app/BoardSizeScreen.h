// The first screen: the arrows set the board size over a live grid.
#pragma once

#include "model/BoardSize.h"
#include "render/Camera.h"

// Runs from 6 by 5 until Return, Escape or a close request and returns the
// size chosen. Escape stays latched, and a close request stays seen, so the
// editor that follows ends at once.
BoardSize runBoardSizeScreen(const Camera& camera);
