// The list of the collection, opened with L from the board size screen.
#pragma once

#include <optional>

#include "model/BoardState.h"
#include "render/Camera.h"
#include "search/Solver.h"

// What the list ends with: the layout chosen (Return), or nothing (Escape:
// back to the board size screen).
struct ShelfChoice {
  std::optional<BoardState> board;
};

// Lists the puzzles of the installed collection (the install's data folder,
// else the source tree's data/): name, board size and the count in `metric`,
// which M changes as in the editor. Up and Down move the selection by one,
// Left, Right, Page Up and Page Down by a page; the list scrolls to keep it
// shown. Says "Aucun puzzle trouvé" when the collection holds none. Nothing
// when the window was closed.
std::optional<ShelfChoice> runShelfScreen(const Camera& camera, MoveMetric& metric);
