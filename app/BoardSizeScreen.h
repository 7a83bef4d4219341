// The first screen: the arrows set the board size over a live grid.
#pragma once

#include <optional>

#include "model/BoardSize.h"
#include "render/Camera.h"

// Where the board size screen leads.
enum class SizeChoice {
  editor,  // Return: an empty board of the size chosen
  shelf,   // L: the list of the collection
};

// Runs from `size` until Return or L, which leave the size chosen in `size`,
// or Escape or a close request, which give nothing: the program ends.
std::optional<SizeChoice> runBoardSizeScreen(const Camera& camera, BoardSize& size);
