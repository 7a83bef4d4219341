// The 19 polyomino shapes a piece can have, and the record built from each.
#pragma once

#include <cstdint>

constexpr int shapeCount = 19;
constexpr int maxShapeCells = 5;
constexpr int8_t cellEndMarker = -1;

// One catalog row turned into the data a piece needs: its cells and extents.
struct Shape {
  int8_t maxDx = 0;
  int8_t maxDy = 0;
  int32_t shapeIndex = 0;
  int8_t cells[2 * maxShapeCells] = {};
  int32_t cellCount = 0;
};

// Ten signed bytes per shape: dx, dy of each cell, -1 in the dx slot after
// the last cell when the shape has fewer than five.
extern const int8_t ShapeCatalog[shapeCount][2 * maxShapeCells];

// Walks catalog row `row` (0 to 18) and derives maxDx, maxDy and cellCount.
Shape buildShape(int row);

// The one immutable Shape of catalog row `shapeIndex` (0 to 18); it lives
// until the process ends.
const Shape& catalogShape(int shapeIndex);
