// Cubic resampling of an elevation grid and the detail below its resolution.
#include "tools/mkdata/real_relief.h"

#include <algorithm>
#include <cmath>

#include "mapdata/map_formats.h"
#include "tools/mkdata/noise.h"
#include "tools/mkdata/sphere_geometry.h"

namespace {

// Noise: its amplitude at the grid's wavelength is the local roughness times kRoughnessGain, and it
// falls by kRoughnessFall per halving of the wavelength (self-similar terrain keeps a Hurst exponent
// near 0.8).
constexpr double kRoughnessGain = 0.8;
constexpr double kRoughnessFall = 0.57;
// Local roughness: the grid's curvature (a sample against the mean of its four neighbours), capped
// so the Olympus scarp or a canyon wall does not turn into a field of spikes.
constexpr double kRoughnessCapM = 400.0;
// Share of the colour map's shading kept as relief, and its limit relative to the local roughness:
// albedo edges that are not relief at all (dark sand on bright dust) stay small on smooth ground.
constexpr double kShadingShare = 0.5;
constexpr double kShadingPerRoughness = 2.0, kShadingFloorM = 40.0;
// The detail share for the colours saturates at this many metres.
constexpr double kDetailForFullColourM = 150.0;
enum Stream : uint32_t { kRealReliefNoise = 0x7e11 };

double Sample(const MolaGrid& grid, int64_t line, int64_t column) {
  line = std::clamp<int64_t>(line, 0, grid.lines - 1);
  const int64_t samples = grid.samples;
  column = ((column % samples) + samples) % samples;
  return grid.offset + grid.scale * grid.values[static_cast<size_t>(line) * grid.samples + static_cast<size_t>(column)];
}

double CatmullRom(double p0, double p1, double p2, double p3, double t) {
  return p1 + 0.5 * t * (p2 - p0 + t * (2.0 * p0 - 5.0 * p1 + 4.0 * p2 - p3 + t * (3.0 * (p1 - p2) + p3 - p0)));
}

// Fractional grid coordinates of a place (sample centres at whole numbers).
void GridPosition(const MolaGrid& grid, double latDeg, double lonDeg, double& x, double& y) {
  x = WrapLongitude(lonDeg - grid.westLonDeg) * grid.ppd - 0.5;
  y = std::clamp((90.0 - latDeg) * grid.ppd - 0.5, 0.0, grid.lines - 1.0);
}

double Curvature(const MolaGrid& grid, int64_t line, int64_t column) {
  const double around = Sample(grid, line - 1, column) + Sample(grid, line + 1, column) +
                        Sample(grid, line, column - 1) + Sample(grid, line, column + 1);
  return std::min(kRoughnessCapM, std::fabs(Sample(grid, line, column) - 0.25 * around));
}

double Roughness(const MolaGrid& grid, double x, double y) {
  const double fx = std::floor(x), fy = std::floor(y);
  const int64_t cx = static_cast<int64_t>(fx), cy = static_cast<int64_t>(fy);
  const double tx = x - fx, ty = y - fy;
  return Lerp(Lerp(Curvature(grid, cy, cx), Curvature(grid, cy, cx + 1), tx),
              Lerp(Curvature(grid, cy + 1, cx), Curvature(grid, cy + 1, cx + 1), tx), ty);
}

}  // namespace

double SmoothGridHeight(const MolaGrid& grid, double latDeg, double lonDeg) {
  double x, y;
  GridPosition(grid, latDeg, lonDeg, x, y);
  const double fx = std::floor(x), fy = std::floor(y);
  const int64_t cx = static_cast<int64_t>(fx), cy = static_cast<int64_t>(fy);
  const double tx = x - fx, ty = y - fy;
  double rows[4];
  for (int k = 0; k < 4; ++k) {
    const int64_t line = cy - 1 + k;
    rows[k] = CatmullRom(Sample(grid, line, cx - 1), Sample(grid, line, cx), Sample(grid, line, cx + 1),
                         Sample(grid, line, cx + 2), tx);
  }
  const double metres = CatmullRom(rows[0], rows[1], rows[2], rows[3], ty);
  return grid.radius ? metres - kReferenceRadius : metres;
}

void MakeRealRelief(const MolaGrid& grid, const SourceImage& colourMap, uint32_t seed, unsigned threads,
                    RealRelief& relief) {
  relief.grid = &grid;
  relief.cellKm = kKmPerDegree / grid.ppd;
  relief.seed = seed;
  relief.shading = MapRelief{};
  if (colourMap.width == 0) return;
  const double mapPpd = colourMap.width / 360.0;
  if (mapPpd <= grid.ppd) return;
  MapRelief shading = MakeMapRelief(colourMap, threads);
  // Take out what the grid resolves: a blur about one grid cell wide.
  const int radius = std::max(1, static_cast<int>(std::lround(0.5 * mapPpd / grid.ppd)));
  const std::vector<float> broad = BoxBlur3(shading.heights, shading.width, shading.height, radius);
  for (size_t i = 0; i < shading.heights.size(); ++i)
    shading.heights[i] = static_cast<float>(kShadingShare * (shading.heights[i] - broad[i]));
  relief.shading = std::move(shading);
}

double RealReliefHeight(const RealRelief& relief, double latDeg, double lonDeg, double nodeSpacingKm,
                        double* fineDetail) {
  const MolaGrid& grid = *relief.grid;
  const double base = SmoothGridHeight(grid, latDeg, lonDeg);
  double x, y;
  GridPosition(grid, latDeg, lonDeg, x, y);
  const double roughness = Roughness(grid, x, y);

  double detail = 0.0;
  if (!relief.shading.heights.empty()) {
    const double limit = kShadingFloorM + kShadingPerRoughness * roughness;
    detail += limit * std::tanh(SampleMapRelief(relief.shading, latDeg, lonDeg) / limit);
  }
  // Noise only at wavelengths the grid cannot show and the nodes can: from half a grid cell down
  // to two node spacings.
  const Vec3d p = UnitVectorAt(latDeg, lonDeg);
  double amplitude = kRoughnessGain * roughness * kRoughnessFall;
  int octave = 0;
  for (double wavelength = 0.5 * relief.cellKm; wavelength >= 2.0 * nodeSpacingKm; wavelength *= 0.5, ++octave) {
    const double f = kSurfaceRadiusKm / wavelength;
    detail += amplitude * GradientNoise(relief.seed + kRealReliefNoise + octave, p.x * f + 0.37, p.y * f - 0.61, p.z * f + 0.13);
    amplitude *= kRoughnessFall;
  }
  if (fineDetail) *fineDetail = std::tanh(detail / kDetailForFullColourM);
  return base + detail;
}
