// Single-precision vectors, row-major matrices, sphere coordinates and the zero tolerance shared by
// the camera, the mesh builders and the renderer. Everything is inline, allocates nothing and keeps
// no state, so any thread may call it.
#pragma once

#include <cmath>
#include <cstdint>

constexpr float kDegToRad = 0.017453292519943295f;
constexpr float kRadToDeg = 57.29577951308232f;
// Single-precision machine epsilon: smaller magnitudes count as zero.
constexpr float kZeroTolerance = 1.1920929e-7f;

struct Vec3 {
  float x, y, z;
};

struct Vec4 {
  float x, y, z, w;
};

// Distance r and latitude/longitude in degrees; +Y is the polar axis, longitude 0 points to +Z.
struct SphereCoords {
  float r, lat, lon;
};

// Stored row by row; a matrix applies to a column vector. OpenGL's column-major matrices convert
// with Mat4Transpose.
struct Mat3 {
  float m[9];
};

struct Mat4 {
  float m[16];
};

inline float SqrtF(float x) { return std::sqrt(x); }
inline float SinF(float radians) { return std::sin(radians); }
inline float CosF(float radians) { return std::cos(radians); }
inline float TanF(float radians) { return std::tan(radians); }

inline int IsNonZero(float x) { return (x > kZeroTolerance || x < -kZeroTolerance) ? 1 : 0; }

inline int Vec3Differ(const Vec3& a, const Vec3& b) {
  return (IsNonZero(a.x - b.x) || IsNonZero(a.y - b.y) || IsNonZero(a.z - b.z)) ? 1 : 0;
}

inline void Vec3AddTo(Vec3& a, const Vec3& b) {
  a.x += b.x;
  a.y += b.y;
  a.z += b.z;
}

inline void Vec3Scale(Vec3& v, float s) {
  v.x *= s;
  v.y *= s;
  v.z *= s;
}

// The same operations returning their result, for expressions.
inline Vec3 Add(const Vec3& a, const Vec3& b) { return Vec3{a.x + b.x, a.y + b.y, a.z + b.z}; }
inline Vec3 Sub(const Vec3& a, const Vec3& b) { return Vec3{a.x - b.x, a.y - b.y, a.z - b.z}; }
inline Vec3 Scaled(const Vec3& v, float s) { return Vec3{v.x * s, v.y * s, v.z * s}; }
inline float Dot(const Vec3& a, const Vec3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline Vec3 Cross(const Vec3& a, const Vec3& b) {
  return Vec3{a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
inline float Length(const Vec3& v) { return SqrtF(Dot(v, v)); }
// v scaled to unit length; a zero vector stays zero.
inline Vec3 Normalized(const Vec3& v) {
  const float length = Length(v);
  return length > 0.0f ? Scaled(v, 1.0f / length) : v;
}

// Both angles come back in [0, 360): a southern latitude of -10 is returned as 350.
inline void Vec3ToSphere(SphereCoords& out, const Vec3& v) {
  const float horizontal = SqrtF(v.x * v.x + v.z * v.z);
  out.r = SqrtF(v.x * v.x + v.y * v.y + v.z * v.z);
  out.lat = std::atan2(v.y, horizontal) * kRadToDeg;
  out.lon = std::atan2(v.x, v.z) * kRadToDeg;
  if (out.lat < 0.0f) out.lat += 360.0f;
  if (out.lon < 0.0f) out.lon += 360.0f;
}

// Latitudes in [0, 360) are accepted as they are: only their sine and cosine are used.
inline void SphereToVec3(Vec3& out, const SphereCoords& s) {
  const float lat = s.lat * kDegToRad;
  const float lon = s.lon * kDegToRad;
  const float cosLat = CosF(lat);
  out.x = s.r * cosLat * SinF(lon);
  out.y = s.r * SinF(lat);
  out.z = s.r * cosLat * CosF(lon);
}

// Brings a latitude from [0, 360) back into [-90, 90], moving the longitude across the pole
// when the latitude had passed over it.
inline void FoldLatLon(float& lat, float& lon) {
  if (lat > 90.0f && lat < 270.0f) {
    lat = 180.0f - lat;
    lon += 180.0f;
    if (lon > 360.0f) lon -= 360.0f;
  } else if (lat >= 270.0f) {
    lat -= 360.0f;
  }
}

// out = M * v; out must be neither M's storage nor v.
inline void Mat3MulVec3(Vec3& out, const Mat3& M, const Vec3& v) {
  out.x = M.m[0] * v.x + M.m[1] * v.y + M.m[2] * v.z;
  out.y = M.m[3] * v.x + M.m[4] * v.y + M.m[5] * v.z;
  out.z = M.m[6] * v.x + M.m[7] * v.y + M.m[8] * v.z;
}

// Right-handed rotation by angleDeg about a unit axis; the axis is not normalised here.
inline void Mat3Rotation(Mat3& out, const Vec3& axis, float angleDeg) {
  const float a = angleDeg * kDegToRad;
  const float c = CosF(a), s = SinF(a), t = 1.0f - c;
  const float x = axis.x, y = axis.y, z = axis.z;
  out.m[0] = t * x * x + c;
  out.m[1] = t * x * y - z * s;
  out.m[2] = t * x * z + y * s;
  out.m[3] = t * x * y + z * s;
  out.m[4] = t * y * y + c;
  out.m[5] = t * y * z - x * s;
  out.m[6] = t * x * z - y * s;
  out.m[7] = t * y * z + x * s;
  out.m[8] = t * z * z + c;
}

inline void Mat4Identity(Mat4& out) {
  for (int i = 0; i < 16; ++i) out.m[i] = (i % 5 == 0) ? 1.0f : 0.0f;
}

// out must not be M.
inline void Mat4Transpose(Mat4& out, const Mat4& M) {
  for (int row = 0; row < 4; ++row)
    for (int col = 0; col < 4; ++col) out.m[row * 4 + col] = M.m[col * 4 + row];
}

inline void Mat4Copy(Mat4& out, const Mat4& M) { out = M; }

inline void Mat3FromMat4(Mat3& out, const Mat4& M) {
  static constexpr int kUpperLeft[9] = {0, 1, 2, 4, 5, 6, 8, 9, 10};
  for (int i = 0; i < 9; ++i) out.m[i] = M.m[kUpperLeft[i]];
}

// out = M * v; out must be neither M's storage nor v.
inline void Mat4MulVec4(Vec4& out, const Mat4& M, const Vec4& v) {
  out.x = M.m[0] * v.x + M.m[1] * v.y + M.m[2] * v.z + M.m[3] * v.w;
  out.y = M.m[4] * v.x + M.m[5] * v.y + M.m[6] * v.z + M.m[7] * v.w;
  out.z = M.m[8] * v.x + M.m[9] * v.y + M.m[10] * v.z + M.m[11] * v.w;
  out.w = M.m[12] * v.x + M.m[13] * v.y + M.m[14] * v.z + M.m[15] * v.w;
}
