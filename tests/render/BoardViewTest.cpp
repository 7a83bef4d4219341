#include <gtest/gtest.h>

#include <cmath>

#include "render/BoardView.h"

namespace {

Camera fixedCamera() {
  Camera camera;
  camera.moveForward(-15.0);
  camera.moveRight(3.0);
  camera.moveUp(3.0);
  return camera;
}

// The window row, from the top of its 300, where `camera` shows the board
// plane's height y: a 45 degree field of view looking down -z.
double rowOf(const Camera& camera, double y) {
  const double halfHeight = camera.position.z * std::tan(22.5 * M_PI / 180.0);
  return 150.0 - (y - camera.position.y) * 150.0 / halfHeight;
}

}  // namespace

// Up to six rows nothing moves; a taller board keeps every line inside the
// window with the fixed view's margins and its top edge below the lines.
TEST(BoardViewTest, TallBoardsStayClearOfTheLinesAndInsideTheWindow) {
  const Camera fixed = fixedCamera();
  const double margin = rowOf(fixed, linesTop);
  for (int height = minBoardHeight; height <= maxBoardHeight; ++height) {
    const BoardSize size{10, height};
    const Camera camera = boardCamera(fixed, size);
    const Vector3 overlay = aboveBoard(size, {-5, 6, 0});
    if (height <= rowsBelowTheLines) {
      EXPECT_EQ(camera.position.x, fixed.position.x);
      EXPECT_EQ(camera.position.y, fixed.position.y);
      EXPECT_EQ(camera.position.z, fixed.position.z);
      EXPECT_EQ(overlay.y, 6);
      continue;
    }
    // The lowest line above the board starts on its top edge, which lies
    // below every line laid out over a six-row board.
    EXPECT_EQ(overlay.y, height);
    EXPECT_EQ(aboveBoard(size, {-5, 8, 0}).y, height + 2);
    // The same margin above the top line and below the bottom one, inside
    // the window: the fixed view's five pixels, or a little less where the
    // camera backs off.
    const double above = rowOf(camera, aboveBoard(size, {0, linesTop, 0}).y);
    EXPECT_NEAR(above, 300 - rowOf(camera, linesBottom), 1e-9);
    EXPECT_GT(above, 4.5);
    EXPECT_LE(above, margin + 1e-9);
    EXPECT_EQ(camera.position.x, fixed.position.x);
    // Backed off only as far as the rows beyond seven need.
    EXPECT_NEAR(camera.position.z, height == 7 ? 15.0 : 16.2071, 1e-4);
  }
}
