// Double-precision sphere helpers for the data builder: planet-frame unit vectors, distances over
// the surface and the smooth steps that the relief shapes are made of. Inline and stateless.
#pragma once

#include <algorithm>
#include <cmath>

constexpr double kPi = 3.14159265358979323846;
constexpr double kDegree = kPi / 180.0;
// Radius of the reference sphere in km, used for distances over the surface: one degree of a
// great circle is 59.27 km.
constexpr double kSurfaceRadiusKm = 3396.0;
constexpr double kKmPerDegree = kSurfaceRadiusKm * kDegree;

struct Vec3d {
  double x, y, z;
};

// The planet frame of the data files: y towards the north pole, z towards longitude 0, x towards
// longitude 90 degrees east.
inline Vec3d UnitVectorAt(double latDeg, double lonDeg) {
  const double lat = latDeg * kDegree, lon = lonDeg * kDegree;
  return {std::cos(lat) * std::sin(lon), std::sin(lat), std::cos(lat) * std::cos(lon)};
}

inline double Dot(const Vec3d& a, const Vec3d& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

inline Vec3d Cross(const Vec3d& a, const Vec3d& b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

inline double Length(const Vec3d& v) { return std::sqrt(Dot(v, v)); }

// Great-circle distance in km between two unit vectors; atan2 keeps short distances exact.
inline double SurfaceDistanceKm(const Vec3d& a, const Vec3d& b) {
  return kSurfaceRadiusKm * std::atan2(Length(Cross(a, b)), Dot(a, b));
}

inline double Smoothstep(double edge0, double edge1, double x) {
  const double t = std::clamp((x - edge0) / (edge1 - edge0), 0.0, 1.0);
  return t * t * (3.0 - 2.0 * t);
}

inline double Lerp(double a, double b, double t) { return a + (b - a) * t; }

// Longitude wrapped into [0, 360).
inline double WrapLongitude(double lonDeg) {
  double lon = std::fmod(lonDeg, 360.0);
  if (lon < 0.0) lon += 360.0;
  return lon >= 360.0 ? 0.0 : lon;
}
