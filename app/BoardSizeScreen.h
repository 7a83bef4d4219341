// The first screen: the arrows set the board size over a live grid.
#pragma once

#include "model/BoardSize.h"
#include "render/Camera.h"

// Runs from 6 by 5 until Return or Escape and returns the size chosen. Escape
// stays latched, so the editor that follows ends at once.
BoardSize runBoardSizeScreen(const Camera& camera);
