// Shape from shading by leaky integration: brightness relative to its surroundings, summed along
// the light direction with weights that fade with distance, both ways, so errors cannot pile up
// across the map.
#include "tools/mkdata/map_relief.h"

#include <algorithm>
#include <cmath>

#include "tools/mkdata/parallel.h"
#include "tools/mkdata/sphere_geometry.h"

namespace {

// Surroundings: a box blur of this radius (pixels, about 60 km), three times (close to a Gaussian).
constexpr int kSurroundRadius = 6;
// Slope per unit of relative brightness. The map is blurred and its contrast compressed, so this
// is larger than a Lambertian surface under a 30-degree sun would give.
constexpr double kSlopePerContrast = 0.4;
// Relative brightness beyond this is albedo (dark dunes, bright frost), not shading.
constexpr double kContrastLimit = 0.2;
// Integration: steps of one equatorial pixel, weights falling by kLeak per step.
constexpr int kSteps = 24;
constexpr double kLeak = 0.9;
// Large albedo patches integrate into broad false slopes; a soft limit keeps them to the depth
// of the craters the map shows.
constexpr double kReliefLimitM = 1800.0;
// The polar caps are bright ice, and the map stretches there: no relief from shading beyond.
constexpr double kFadeStartDeg = 70.0, kFadeEndDeg = 80.0;

double SampleGrid(const std::vector<float>& grid, uint32_t width, uint32_t height, double x, double y) {
  x = std::fmod(x, static_cast<double>(width));
  if (x < 0.0) x += width;
  y = std::clamp(y, 0.0, height - 1.0);
  const uint32_t x0 = std::min(static_cast<uint32_t>(x), width - 1), y0 = static_cast<uint32_t>(y);
  const uint32_t x1 = x0 + 1 == width ? 0 : x0 + 1, y1 = std::min(y0 + 1, height - 1);
  const double fx = x - x0, fy = y - y0;
  const double top = Lerp(grid[size_t{y0} * width + x0], grid[size_t{y0} * width + x1], fx);
  const double bottom = Lerp(grid[size_t{y1} * width + x0], grid[size_t{y1} * width + x1], fx);
  return Lerp(top, bottom, fy);
}

}  // namespace

std::vector<float> BoxBlur3(const std::vector<float>& source, uint32_t width, uint32_t height, int radius) {
  std::vector<float> a = source, b(source.size());
  const int r = radius;
  const float norm = 1.0f / (2 * r + 1);
  for (int pass = 0; pass < 3; ++pass) {
    for (uint32_t y = 0; y < height; ++y) {
      const float* row = &a[size_t{y} * width];
      float sum = 0.0f;
      for (int k = -r; k <= r; ++k) sum += row[(k + static_cast<int>(width)) % width];
      for (uint32_t x = 0; x < width; ++x) {
        b[size_t{y} * width + x] = sum * norm;
        sum += row[(x + r + 1) % width] - row[(x + width - r) % width];
      }
    }
    for (uint32_t x = 0; x < width; ++x) {
      auto at = [&](int y) { return b[size_t(std::clamp(y, 0, static_cast<int>(height) - 1)) * width + x]; };
      float sum = 0.0f;
      for (int k = -r; k <= r; ++k) sum += at(k);
      for (uint32_t y = 0; y < height; ++y) {
        a[size_t{y} * width + x] = sum * norm;
        sum += at(static_cast<int>(y) + r + 1) - at(static_cast<int>(y) - r);
      }
    }
  }
  return a;
}

MapRelief MakeMapRelief(const SourceImage& colourMap, unsigned threads) {
  MapRelief relief;
  const uint32_t width = colourMap.width, height = colourMap.height;
  if (width == 0 || height == 0) return relief;
  relief.width = width;
  relief.height = height;
  const size_t pixels = size_t{width} * height;
  std::vector<float> brightness(pixels);
  const uint32_t c = colourMap.channels;
  for (size_t i = 0; i < pixels; ++i) {
    const uint8_t* p = &colourMap.pixels[i * c];
    brightness[i] = c >= 3 ? 0.30f * p[0] + 0.59f * p[1] + 0.11f * p[2] : p[0];
  }
  // A [1 2 1] smoothing first: pixel-sized brightness steps are mostly JPEG noise, and integrated
  // they become a random walk of false relief.
  std::vector<float> smoothed(pixels);
  for (uint32_t y = 0; y < height; ++y)
    for (uint32_t x = 0; x < width; ++x) {
      auto at = [&](uint32_t xx, int yy) {
        return brightness[size_t(std::clamp(yy, 0, static_cast<int>(height) - 1)) * width + xx % width];
      };
      const int yi = static_cast<int>(y);
      const float across = at(x + width - 1, yi) + 2.0f * at(x, yi) + at(x + 1, yi);
      const float along = at(x, yi - 1) + 2.0f * at(x, yi) + at(x, yi + 1);
      smoothed[size_t{y} * width + x] = (across + along) / 8.0f;
    }
  brightness.swap(smoothed);
  const std::vector<float> surround = BoxBlur3(brightness, width, height, kSurroundRadius);
  std::vector<float> contrast(pixels);
  for (size_t i = 0; i < pixels; ++i)
    contrast[i] = static_cast<float>(std::clamp((brightness[i] - surround[i]) / std::max(surround[i], 8.0f),
                                                -static_cast<float>(kContrastLimit), static_cast<float>(kContrastLimit)));

  const double pixelKm = 360.0 * kKmPerDegree / width;
  const double stepM = pixelKm * 1000.0;
  const double towardsEast = std::sin(kMapLightAzimuthDeg * kDegree);
  const double towardsNorth = std::cos(kMapLightAzimuthDeg * kDegree);
  relief.heights.assign(pixels, 0.0f);
  ParallelFor(threads, height, [&](uint32_t y) {
    const double latDeg = 90.0 - (y + 0.5) * 180.0 / height;
    const double fade = 1.0 - Smoothstep(kFadeStartDeg, kFadeEndDeg, std::fabs(latDeg));
    if (fade <= 0.0) return;
    // One step is one equatorial pixel over the ground; east-west pixels shrink with latitude.
    const double dx = towardsEast / std::max(std::cos(latDeg * kDegree), 0.2);
    const double dy = -towardsNorth;  // picture rows run southward
    for (uint32_t x = 0; x < width; ++x) {
      // The ground falls towards the light where it is lit: height here = (what lies towards
      // the light) + (slopes on the way), and likewise from the far side; half of each.
      double sum = 0.0, weight = 1.0;
      for (int k = 1; k <= kSteps; ++k) {
        weight *= kLeak;
        sum += weight * (SampleGrid(contrast, width, height, x + k * dx, y + k * dy) -
                         SampleGrid(contrast, width, height, x - k * dx, y - k * dy));
      }
      const double metres = 0.5 * sum * kSlopePerContrast * stepM;
      relief.heights[size_t{y} * width + x] = static_cast<float>(kReliefLimitM * std::tanh(metres / kReliefLimitM) * fade);
    }
  });
  return relief;
}

double SampleMapRelief(const MapRelief& relief, double latDeg, double lonDeg) {
  if (relief.heights.empty()) return 0.0;
  double x, y;
  EquirectPixel(relief.width, relief.height, latDeg, lonDeg, x, y);
  return SampleGrid(relief.heights, relief.width, relief.height, x, y);
}
