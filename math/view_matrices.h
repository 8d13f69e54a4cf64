// The matrices a frame is drawn with, made on the processor: the camera's look-at view, the
// perspective and orthographic projections, a turn about the polar axis and the product. Row by
// row like every Mat4 here; a back end transposes them into OpenGL's column order.
//
// NOTE: each follows the float steps of the classic GLU and Mesa matrix stack operations it
// replaces (gluLookAt, gluPerspective, glOrtho, glRotatef, glMultMatrixf), in the same order and
// precision, so the pictures stay what the matrix stack drew.
#pragma once

#include <cmath>

#include "math/vector_math.h"

// A * B, each element summed left to right.
inline Mat4 Mat4Multiply(const Mat4& a, const Mat4& b) {
  Mat4 p;
  for (int i = 0; i < 4; ++i) {
    const float a0 = a.m[4 * i], a1 = a.m[4 * i + 1], a2 = a.m[4 * i + 2], a3 = a.m[4 * i + 3];
    for (int j = 0; j < 4; ++j) p.m[4 * i + j] = a0 * b.m[j] + a1 * b.m[4 + j] + a2 * b.m[8 + j] + a3 * b.m[12 + j];
  }
  return p;
}

namespace view_detail {
// GLU's normalisation: the length through a double square root, a zero vector left alone.
inline void NormalizeInPlace(float v[3]) {
  const float r = static_cast<float>(std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]));
  if (r == 0.0f) return;
  v[0] /= r;
  v[1] /= r;
  v[2] /= r;
}
inline void CrossInto(const float a[3], const float b[3], float out[3]) {
  out[0] = a[1] * b[2] - a[2] * b[1];
  out[1] = a[2] * b[0] - a[0] * b[2];
  out[2] = a[0] * b[1] - a[1] * b[0];
}
}  // namespace view_detail

// The view from eye towards centre with up roughly up: rows side, up, -forward, then the eye moved
// to the origin. The direction is taken in double before it is rounded, as gluLookAt takes its
// arguments.
inline Mat4 LookAt(const Vec3& eye, const Vec3& centre, const Vec3& up) {
  float forward[3] = {static_cast<float>(double{centre.x} - double{eye.x}),
                      static_cast<float>(double{centre.y} - double{eye.y}),
                      static_cast<float>(double{centre.z} - double{eye.z})};
  float side[3], upward[3] = {up.x, up.y, up.z};
  view_detail::NormalizeInPlace(forward);
  view_detail::CrossInto(forward, upward, side);
  view_detail::NormalizeInPlace(side);
  view_detail::CrossInto(side, forward, upward);
  Mat4 v;
  Mat4Identity(v);
  for (int k = 0; k < 3; ++k) {
    v.m[k] = side[k];
    v.m[4 + k] = upward[k];
    v.m[8 + k] = -forward[k];
  }
  // The translation as the matrix stack applies it to the rotation: each row times -eye, plus 0.
  const float x = -eye.x, y = -eye.y, z = -eye.z;
  for (int row = 0; row < 3; ++row)
    v.m[4 * row + 3] = v.m[4 * row] * x + v.m[4 * row + 1] * y + v.m[4 * row + 2] * z + 0.0f;
  return v;
}

// A perspective of vertical field of view fieldOfView (degrees) and aspect width / height between
// the near and far planes, worked out in double and rounded once.
inline Mat4 Perspective(double fieldOfView, double aspect, double nearPlane, double farPlane) {
  const double radians = fieldOfView / 2 * 3.14159265358979323846 / 180;
  const double depth = farPlane - nearPlane;
  const double cotangent = std::cos(radians) / std::sin(radians);
  Mat4 p{};
  p.m[0] = static_cast<float>(cotangent / aspect);
  p.m[5] = static_cast<float>(cotangent);
  p.m[10] = static_cast<float>(-(farPlane + nearPlane) / depth);
  p.m[11] = static_cast<float>(-2 * nearPlane * farPlane / depth);
  p.m[14] = -1.0f;
  return p;
}

// The parallel projection of a box onto the unit cube, in float as glOrtho works it out.
inline Mat4 Orthographic(float left, float right, float bottom, float top, float nearPlane, float farPlane) {
  Mat4 o{};
  o.m[0] = 2.0f / (right - left);
  o.m[3] = -(right + left) / (right - left);
  o.m[5] = 2.0f / (top - bottom);
  o.m[7] = -(top + bottom) / (top - bottom);
  o.m[10] = -2.0f / (farPlane - nearPlane);
  o.m[11] = -(farPlane + nearPlane) / (farPlane - nearPlane);
  o.m[15] = 1.0f;
  return o;
}

// A right-handed turn by degrees about +y (the polar axis): the angle in radians worked out in
// double, then sine and cosine in float.
inline Mat4 RotationAboutY(float degrees) {
  const float radians = static_cast<float>(degrees * 3.14159265358979323846 / 180.0);
  const float s = std::sin(radians), c = std::cos(radians);
  Mat4 r;
  Mat4Identity(r);
  r.m[0] = c;
  r.m[2] = s;
  r.m[8] = -s;
  r.m[10] = c;
  return r;
}
