// Cloud stretch and detail.
#include "tools/mkdata/cloud_image.h"

#include <algorithm>
#include <cmath>

#include "tools/mkdata/noise.h"

namespace {

// Detail as a share of the stretch's range of grey levels, from four source texels in wavelength,
// halving in wavelength and falling by kDetailGain per octave down to twice the texel size.
constexpr double kDetailShare = 0.12, kDetailGain = 0.6;
// Alpha curve: a little below linear, so thin cloud stays thin.
constexpr double kAlphaGamma = 1.2;
constexpr uint32_t kCloudDetailSalt = 0xC10D5u;

double Percentile(const double* histogram, double total, double share) {
  double running = 0.0;
  for (int level = 0; level < 256; ++level) {
    running += histogram[level];
    if (running >= share * total) return level;
  }
  return 255.0;
}

}  // namespace

CloudSource MakeCloudSource(const SourceImage& picture) {
  CloudSource source;
  source.grey.width = picture.width;
  source.grey.height = picture.height;
  source.grey.channels = 1;
  source.grey.pixels.resize(size_t{picture.width} * picture.height);
  for (size_t i = 0; i < source.grey.pixels.size(); ++i) {
    const uint8_t* p = &picture.pixels[i * picture.channels];
    source.grey.pixels[i] = picture.channels >= 3
                                ? static_cast<uint8_t>(std::lround(0.30 * p[0] + 0.59 * p[1] + 0.11 * p[2]))
                                : p[0];
  }
  StretchCloudLevels(source, kImportedClearShare, kImportedDenseShare);
  return source;
}

void StretchCloudLevels(CloudSource& source, double clearShare, double denseShare) {
  const SourceImage& grey = source.grey;
  double histogram[256] = {};
  double total = 0.0;
  for (uint32_t y = 0; y < grey.height; ++y) {
    // Rows near the poles cover less of the sphere.
    const double area = std::cos((90.0 - (y + 0.5) * 180.0 / grey.height) * kDegree);
    for (uint32_t x = 0; x < grey.width; ++x) histogram[grey.pixels[size_t{y} * grey.width + x]] += area;
    total += area * grey.width;
  }
  source.clearLevel = Percentile(histogram, total, clearShare);
  source.denseLevel = std::max(source.clearLevel + 1.0, Percentile(histogram, total, denseShare));
}

void CloudTexelRow(const CloudSource& source, uint32_t seed, uint32_t width, uint32_t row, Colour* out) {
  const uint32_t height = width / 2;
  const double latDeg = -90.0 + (row + 0.5) * 180.0 / height;
  const double sourceTexelKm = 360.0 * kKmPerDegree / source.grey.width;
  const double texelKm = 360.0 * kKmPerDegree / width;
  const double range = source.denseLevel - source.clearLevel;
  for (uint32_t c = 0; c < width; ++c) {
    const double lonDeg = (c + 0.5) * 360.0 / width;
    double grey;
    SampleEquirect(source.grey, latDeg, lonDeg, &grey);
    const double plain = std::clamp((grey - source.clearLevel) / range, 0.0, 1.0);
    // Detail only where the cloud is neither clear nor solid: edges fray, clear sky stays clear.
    const double edge = 4.0 * plain * (1.0 - plain);
    if (edge > 0.0) {
      const Vec3d p = UnitVectorAt(latDeg, lonDeg);
      double amplitude = kDetailShare * range, detail = 0.0;
      uint32_t octave = 0;
      for (double wavelength = 4.0 * sourceTexelKm; wavelength >= 2.0 * texelKm; wavelength *= 0.5, ++octave) {
        const double f = kSurfaceRadiusKm / wavelength;
        detail += amplitude * GradientNoise(seed * 31u + kCloudDetailSalt + octave, p.x * f, p.y * f, p.z * f);
        amplitude *= kDetailGain;
      }
      grey += edge * detail;
    }
    const double density = std::clamp((grey - source.clearLevel) / range, 0.0, 1.0);
    const uint8_t alpha = static_cast<uint8_t>(std::lround(255.0 * std::pow(density, kAlphaGamma)));
    out[c] = Colour{255, 255, 255, alpha};
  }
}
