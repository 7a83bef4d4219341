#include <gtest/gtest.h>

#include <cmath>

#include "render/Camera.h"
#include "render/Vector3.h"

namespace {

void expectVector(const Vector3& v, double x, double y, double z) {
  EXPECT_EQ(v.x, x);
  EXPECT_EQ(v.y, y);
  EXPECT_EQ(v.z, z);
}

}  // namespace

TEST(Vector3Test, ComponentNumbersOtherThanZeroAndOneAllMeanZ) {
  Vector3 v(1, 2, 3);
  EXPECT_EQ(v[0], 1);
  EXPECT_EQ(v[1], 2);
  for (int i : {2, 3, -1, 100}) EXPECT_EQ(v[i], 3) << i;
  v[-1] = 7;
  v[0] = 5;
  expectVector(v, 5, 2, 7);
}

TEST(Vector3Test, ArithmeticIsComponentwise) {
  const Vector3 a(1, 2, 3);
  const Vector3 b(0.5, -4, 10);
  expectVector(a + b, 1.5, -2, 13);
  expectVector(a - b, 0.5, 6, -7);
  expectVector(a * 2.0, 2, 4, 6);
  expectVector(2.0 * a, 2, 4, 6);
  expectVector(a / 4.0, 0.25, 0.5, 0.75);
  Vector3 c = a;
  (c += b) -= a;  // the compound forms return the vector itself
  expectVector(c, 0.5, -4, 10);
  const Vector3 byZero = Vector3(1, -1, 0) / 0.0;
  EXPECT_TRUE(std::isinf(byZero.x) && byZero.x > 0);
  EXPECT_TRUE(std::isinf(byZero.y) && byZero.y < 0);
  EXPECT_TRUE(std::isnan(byZero.z));
}

TEST(CameraTest, StartUpPlacementStandsAtThreeThreeFifteen) {
  Camera camera;
  expectVector(camera.position, 0, 0, 0);
  camera.moveForward(-15.0);
  expectVector(camera.position, 0, 0, 15);
  camera.moveRight(6 * 0.5);
  camera.moveUp(6 * 0.5);
  expectVector(camera.position, 3, 3, 15);
  // Forward is toward the point looked at, down -z; the axes never change.
  camera.moveForward(5.0);
  expectVector(camera.position, 3, 3, 10);
  expectVector(camera.xAxis, 1, 0, 0);
  expectVector(camera.yAxis, 0, 1, 0);
  expectVector(camera.zAxis, 0, 0, 1);
}
