// The first screen: the arrows set the board size over a live grid.
#pragma once

#include <optional>

#include "model/BoardSize.h"
#include "render/Camera.h"

// Runs from 6 by 5 until Return, which gives the size chosen, or Escape or
// a close request, which give nothing: the program ends.
std::optional<BoardSize> runBoardSizeScreen(const Camera& camera);
