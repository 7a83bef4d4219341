#include "Camera.h"

#include <GL/glu.h>

void Camera::applyView() const {
  const Vector3 centre = position - zAxis;
  gluLookAt(position.x, position.y, position.z, centre.x, centre.y, centre.z, yAxis.x, yAxis.y,
            yAxis.z);
}
