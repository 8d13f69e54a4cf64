// Improved Perlin gradient noise with the permutation table replaced by an integer hash of the
// lattice point and the seed, so there is no table to build and no seed-dependent state.
#include "tools/mkdata/noise.h"

#include <cmath>

namespace {

uint32_t HashLattice(uint32_t seed, int64_t x, int64_t y, int64_t z) {
  uint64_t h = seed * 0x9E3779B97F4A7C15ull;
  h ^= static_cast<uint64_t>(x) * 0xC2B2AE3D27D4EB4Full;
  h ^= static_cast<uint64_t>(y) * 0x165667B19E3779F9ull;
  h ^= static_cast<uint64_t>(z) * 0x27D4EB2F165667C5ull;
  h ^= h >> 31;
  h *= 0x7FB5D329728EA185ull;
  h ^= h >> 27;
  h *= 0x81DADEF4BC2DD44Dull;
  h ^= h >> 33;
  return static_cast<uint32_t>(h);
}

// Dot product with one of the twelve cube-edge directions (four of them twice, as Perlin does).
double Gradient(uint32_t hash, double x, double y, double z) {
  switch (hash & 15u) {
    case 0: case 12: return x + y;
    case 1: case 14: return -x + y;
    case 2: return x - y;
    case 3: return -x - y;
    case 4: return x + z;
    case 5: return -x + z;
    case 6: return x - z;
    case 7: return -x - z;
    case 8: return y + z;
    case 9: case 13: return -y + z;
    case 10: return y - z;
    default: return -y - z;
  }
}

double Fade(double t) { return t * t * t * (t * (t * 6.0 - 15.0) + 10.0); }

}  // namespace

double GradientNoise(uint32_t seed, double x, double y, double z) {
  const double fx = std::floor(x), fy = std::floor(y), fz = std::floor(z);
  const int64_t ix = static_cast<int64_t>(fx), iy = static_cast<int64_t>(fy), iz = static_cast<int64_t>(fz);
  const double dx = x - fx, dy = y - fy, dz = z - fz;
  const double u = Fade(dx), v = Fade(dy), w = Fade(dz);
  double corners[8];
  for (int k = 0; k < 8; ++k) {
    const int cx = k & 1, cy = (k >> 1) & 1, cz = (k >> 2) & 1;
    corners[k] = Gradient(HashLattice(seed, ix + cx, iy + cy, iz + cz), dx - cx, dy - cy, dz - cz);
  }
  const double x00 = Lerp(corners[0], corners[1], u), x10 = Lerp(corners[2], corners[3], u);
  const double x01 = Lerp(corners[4], corners[5], u), x11 = Lerp(corners[6], corners[7], u);
  return Lerp(Lerp(x00, x10, v), Lerp(x01, x11, v), w);
}

double SphereFbm(uint32_t seed, const Vec3d& unit, double wavelengthKm, int octaves, double gain) {
  double frequency = kSurfaceRadiusKm / wavelengthKm;
  double amplitude = 1.0, sum = 0.0, norm = 0.0;
  for (int k = 0; k < octaves; ++k) {
    // Each layer gets its own seed and a shift, so lattice points of different layers never line
    // up (the noise is zero on its lattice).
    const double shift = 17.31 * (k + 1);
    sum += amplitude * GradientNoise(seed + 0x51ED27u * static_cast<uint32_t>(k + 1), unit.x * frequency + shift,
                                     unit.y * frequency - shift, unit.z * frequency + 0.5 * shift);
    norm += amplitude;
    amplitude *= gain;
    frequency *= 2.0;
  }
  return norm > 0.0 ? sum / norm : 0.0;
}
