#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "render/PieceRect.h"

namespace {

std::vector<PieceRect> rectsOf(int shapeIndex, double inset) {
  std::vector<PieceRect> rects;
  forEachPieceRect(catalogShape(shapeIndex), inset,
                   [&](const PieceRect& rect) { rects.push_back(rect); });
  return rects;
}

// Whether the square of half side `inset` around (x, y) lies inside the
// shape's cells: the shape worn away by `inset` from its outline, which is
// what the rectangles must cover.
bool insideWornShape(const Shape& shape, double x, double y, double inset) {
  for (int cx = static_cast<int>(std::floor(x - inset)); cx <= std::floor(x + inset); ++cx) {
    for (int cy = static_cast<int>(std::floor(y - inset)); cy <= std::floor(y + inset); ++cy) {
      if (!shapeHasCell(shape, cx, cy)) return false;
    }
  }
  return true;
}

}  // namespace

// Two pieces side by side thus stand 2 * inset apart, and the cells of one
// piece join up, round a notch of the outline as well.
TEST(PieceRectTest, EveryShapeIsCoveredOnceExactlyWhereItsWornOutlineIs) {
  const double inset = 0.1;
  for (int shapeIndex = 0; shapeIndex < shapeCount; ++shapeIndex) {
    SCOPED_TRACE(shapeIndex);
    const Shape& shape = catalogShape(shapeIndex);
    const std::vector<PieceRect> rects = rectsOf(shapeIndex, inset);
    // Points off every rectangle's edge, over the shape's box and around it.
    int mismatches = 0;
    for (double x = -0.5 + 0.013; x < 3.5; x += 0.04) {
      for (double y = -0.5 + 0.017; y < 3.5; y += 0.04) {
        int covering = 0;
        for (const PieceRect& r : rects) {
          if (x > r.left && x < r.right && y > r.bottom && y < r.top) ++covering;
        }
        const int expected = insideWornShape(shape, x, y, inset) ? 1 : 0;
        if (covering != expected && ++mismatches <= 3) {
          ADD_FAILURE() << "(" << x << ", " << y << ") covered " << covering << " times";
        }
      }
    }
  }
}
