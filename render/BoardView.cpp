#include "BoardView.h"

#include <algorithm>
#include <cmath>

namespace {

// Half the tangent of the 45 degree vertical field of view: the view's half
// height at distance 1.
const double halfHeightPerDistance = std::tan(22.5 * M_PI / 180.0);

int rowsAboveTheFixedView(BoardSize size) { return std::max(0, size.height - rowsBelowTheLines); }

}  // namespace

Camera boardCamera(const Camera& fixed, BoardSize size) {
  const int added = rowsAboveTheFixedView(size);
  if (added == 0) return fixed;
  // The fixed view's margin above its top line, kept above the raised top
  // line and below the bottom line; the camera looks at the middle.
  const double distance = fixed.position.z;
  const double margin = fixed.position.y + distance * halfHeightPerDistance - linesTop;
  const double top = linesTop + added + margin;
  const double bottom = linesBottom - margin;
  const double neededDistance = (top - bottom) / 2 / halfHeightPerDistance;
  Camera camera = fixed;
  camera.moveUp((top + bottom) / 2 - fixed.position.y);
  camera.moveForward(-std::max(0.0, neededDistance - distance));
  return camera;
}

Vector3 aboveBoard(BoardSize size, Vector3 point) {
  return point + Vector3(0, rowsAboveTheFixedView(size), 0);
}
