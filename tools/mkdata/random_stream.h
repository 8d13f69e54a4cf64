// A small deterministic random number stream (SplitMix64) for the synthesized craters and stars.
// The standard library's distributions differ between implementations, so the builder draws its
// numbers itself: the same seed gives the same data set on every machine.
#pragma once

#include <cmath>
#include <cstdint>

#include "tools/mkdata/sphere_geometry.h"

struct RandomStream {
  uint64_t state;

  explicit RandomStream(uint64_t seed) : state(seed * 0xD1B54A32D192ED03ull + 0x2545F4914F6CDD1Dull) {}

  uint64_t Next() {
    uint64_t z = (state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  // Uniform in [0, 1), 53 bits.
  double Uniform() { return static_cast<double>(Next() >> 11) * (1.0 / 9007199254740992.0); }
  double Uniform(double low, double high) { return low + (high - low) * Uniform(); }
  // Standard normal (Box-Muller, one of the pair).
  double Normal() {
    const double u = 1.0 - Uniform(), v = Uniform();
    return std::sqrt(-2.0 * std::log(u)) * std::cos(2.0 * kPi * v);
  }
  // A direction uniformly distributed over the sphere, in the planet frame of sphere_geometry.h.
  Vec3d Direction() {
    const double y = Uniform(-1.0, 1.0), angle = Uniform(0.0, 2.0 * kPi);
    const double r = std::sqrt(std::max(0.0, 1.0 - y * y));
    return {r * std::sin(angle), y, r * std::cos(angle)};
  }
};

// Latitude and east longitude of a unit vector of the planet frame, in degrees.
inline double LatitudeOf(const Vec3d& unit) { return std::asin(std::clamp(unit.y, -1.0, 1.0)) / kDegree; }
inline double LongitudeOf(const Vec3d& unit) { return WrapLongitude(std::atan2(unit.x, unit.z) / kDegree); }
