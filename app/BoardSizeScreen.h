// The first screen: the arrows set the board size over a live grid.
#pragma once

#include "model/BoardState.h"
#include "render/Camera.h"

// Runs until Return or Escape; leaves the size in boardWidth and boardHeight
// and returns an empty board. Escape stays latched for the next screen.
BoardState runBoardSizeScreen(Camera& camera);
