// The fixed viewpoint: it only ever translates and always looks down -z.
#pragma once

#include "Vector3.h"

class Camera {
 public:
  Vector3 position{0, 0, 0};
  Vector3 xAxis{1, 0, 0};
  Vector3 yAxis{0, 1, 0};
  Vector3 zAxis{0, 0, 1};

  void moveRight(double distance) { position += xAxis * distance; }
  void moveUp(double distance) { position += yAxis * distance; }
  // A positive distance moves toward the point looked at.
  void moveForward(double distance) { position -= zAxis * distance; }

  // Multiplies the look-at view onto the current matrix, which must be the
  // modelview identity that presentFrame leaves.
  void applyView() const;

  // The point of the board plane z = 0 that window pixel (pixelX, pixelY),
  // counted from the top-left, shows through this camera and the window's
  // projection; needs the window's GL context. Leaves the matrices as they
  // were.
  Vector3 pointOnBoardPlane(int pixelX, int pixelY) const;
};
