// Scratch cells in which the board marks occupied cells to test a placement.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// One byte per cell, row-major: cell (x, y) is byte boardWidth * y + x;
// non-zero means occupied. Meaningful only right after a rebuild.
extern std::vector<uint8_t> occupancyGrid;

// Sizes the grid for the current boardWidth by boardHeight, all cells free.
void allocateOccupancyGrid();
