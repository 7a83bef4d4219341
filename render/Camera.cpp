#include "Camera.h"

#include <GL/gl.h>
#include <GL/glu.h>

void Camera::applyView() const {
  const Vector3 centre = position - zAxis;
  gluLookAt(position.x, position.y, position.z, centre.x, centre.y, centre.z, yAxis.x, yAxis.y,
            yAxis.z);
}

Vector3 Camera::pointOnBoardPlane(int pixelX, int pixelY) const {
  GLdouble modelview[16], projection[16];
  GLint viewport[4];
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glLoadIdentity();
  applyView();
  glGetDoublev(GL_MODELVIEW_MATRIX, modelview);
  glPopMatrix();
  glGetDoublev(GL_PROJECTION_MATRIX, projection);
  glGetIntegerv(GL_VIEWPORT, viewport);
  // The ray through the pixel's centre, from the near plane to the far one,
  // met with z = 0; GL counts rows from the bottom.
  const double winX = pixelX + 0.5;
  const double winY = viewport[3] - pixelY - 0.5;
  Vector3 nearPoint, farPoint;
  gluUnProject(winX, winY, 0.0, modelview, projection, viewport, &nearPoint.x, &nearPoint.y,
               &nearPoint.z);
  gluUnProject(winX, winY, 1.0, modelview, projection, viewport, &farPoint.x, &farPoint.y,
               &farPoint.z);
  if (nearPoint.z == farPoint.z) return nearPoint;
  const double t = nearPoint.z / (nearPoint.z - farPoint.z);
  return nearPoint + (farPoint - nearPoint) * t;
}
