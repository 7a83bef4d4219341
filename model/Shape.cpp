#include "Shape.h"

#include <array>
#include <cassert>

const int8_t ShapeCatalog[shapeCount][2 * maxShapeCells] = {
    {0, 0, 1, 0, 0, 1, 1, 1, -1, 0},  // 2 by 2 square
    {0, 0, -1, 0, 0, 0, 0, 0, 0, 0},  // single cell
    {0, 0, 1, 0, -1, 0, 0, 0, 0, 0},  // two along x
    {0, 0, 0, 1, -1, 0, 0, 0, 0, 0},  // two along y
    {0, 0, 0, 1, 0, 2, -1, 0, 0, 0},  // three along y
    {1, 0, 0, 1, 1, 1, 2, 1, 1, 2},   // plus
    {0, 0, 1, 0, 2, 0, 1, 1, -1, 0},  // T pointing up
    {0, 1, 1, 1, 2, 1, 1, 0, -1, 0},  // T pointing down
    {0, 0, 1, 0, 0, 1, -1, 0, 0, 0},  // corner, (1,1) empty
    {1, 1, 1, 0, 0, 1, -1, 0, 0, 0},  // corner, (0,0) empty
    {1, 1, 0, 0, 0, 1, -1, 0, 0, 0},  // corner, (1,0) empty
    {1, 1, 0, 0, 1, 0, -1, 0, 0, 0},  // corner, (0,1) empty
    {0, 0, 1, 0, 1, 1, 2, 1, -1, 0},  // skew rising right
    {1, 0, 2, 0, 0, 1, 1, 1, -1, 0},  // skew falling right
    {0, 0, 1, 0, 2, 0, -1, 0, 0, 0},  // three along x
    {0, 0, 0, 1, 1, 1, 1, 2, -1, 0},  // upright skew, bottom left
    {1, 0, 0, 1, 1, 1, 0, 2, -1, 0},  // upright skew, bottom right
    {0, 1, 1, 0, 1, 1, 1, 2, -1, 0},  // T pointing left
    {0, 0, 0, 1, 0, 2, 1, 1, -1, 0},  // T pointing right
};

Shape buildShape(int row) {
  assert(row >= 0 && row < shapeCount);
  Shape shape;
  shape.shapeIndex = row;
  for (int i = 0; i < 2 * maxShapeCells; ++i) {
    const int8_t byte = ShapeCatalog[row][i];
    shape.cells[i] = byte;
    if (i % 2 == 1) {
      if (byte > shape.maxDy) shape.maxDy = byte;
      continue;
    }
    if (byte > shape.maxDx) shape.maxDx = byte;
    if (byte == cellEndMarker) break;
    ++shape.cellCount;
  }
  return shape;
}

const Shape& catalogShape(int shapeIndex) {
  assert(shapeIndex >= 0 && shapeIndex < shapeCount);
  static const std::array<Shape, shapeCount> shapes = [] {
    std::array<Shape, shapeCount> built;
    for (int row = 0; row < shapeCount; ++row) built[row] = buildShape(row);
    return built;
  }();
  return shapes[shapeIndex];
}
