// Three doubles: every position, side, extent and direction in world units.
#pragma once

struct Vector3 {
  double x = 0.0;
  double y = 0.0;
  double z = 0.0;

  Vector3() = default;
  Vector3(double x, double y, double z) : x(x), y(y), z(z) {}

  // Component 0 is x, 1 is y, any other number is z.
  double operator[](int i) const { return i == 0 ? x : i == 1 ? y : z; }
  double& operator[](int i) { return i == 0 ? x : i == 1 ? y : z; }

  Vector3& operator+=(const Vector3& b) {
    x += b.x;
    y += b.y;
    z += b.z;
    return *this;
  }
  Vector3& operator-=(const Vector3& b) {
    x -= b.x;
    y -= b.y;
    z -= b.z;
    return *this;
  }
};

inline Vector3 operator+(Vector3 a, const Vector3& b) { return a += b; }
inline Vector3 operator-(Vector3 a, const Vector3& b) { return a -= b; }
inline Vector3 operator*(const Vector3& v, double s) { return {v.x * s, v.y * s, v.z * s}; }
inline Vector3 operator*(double s, const Vector3& v) { return v * s; }
inline Vector3 operator/(const Vector3& v, double s) { return {v.x / s, v.y / s, v.z / s}; }
