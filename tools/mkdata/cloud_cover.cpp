// The cloud cover: a zonal shear and the cyclones' winding move each point before the fractal
// cloud is sampled there, so the cloud streams along the winds and curls into spirals; the
// latitude bands, the cyclones' own cloud and wide clear patches then shift the density.
#include "tools/mkdata/cloud_cover.h"

#include <cmath>

#include "tools/mkdata/noise.h"
#include "tools/mkdata/parallel.h"
#include "tools/mkdata/random_stream.h"

namespace {

// Storms per hemisphere: mid-latitude cyclones along the storm tracks, fewer tropical ones.
constexpr int kStormTrackCyclones = 7, kTropicalCyclones = 2;

// The fractal cloud: its widest wavelength, octaves and gain; north-south frequencies are raised
// by kZonalStretch so the cloud forms bands along the parallels, as the winds draw it out.
constexpr double kCloudWavelengthKm = 2200.0, kCloudGain = 0.55;
constexpr int kCloudOctaves = 7;
constexpr double kZonalStretch = 2.2;
// Zonal shear: a turn about the polar axis of up to about 0.15 rad that varies over thousands of km.
constexpr double kShearRad = 0.3;
// Cumulus texture (turbulence) and wide clear patches.
constexpr double kBillowWeight = 0.15, kBillowWavelengthKm = 320.0;
constexpr double kClearDepth = 0.35, kClearWavelengthKm = 3500.0;
// Grey levels of the stored cover: density 0 at mid-grey.
constexpr double kGreyMiddle = 128.0, kGreyPerDensity = 150.0;
// The stretch: a little over 40 % of the sky clear, as on a wet planet, and the thick cores of
// the cloud bands and storms opaque.
constexpr double kClearShare = 0.42, kDenseShare = 0.93;

enum Stream : uint32_t { kShear = 41, kCloud, kBillow, kClear, kStorms };
uint32_t StreamSeed(uint32_t seed, Stream stream) { return seed * 0x68E31DA4u + stream * 0xB5297A4Du; }

double Bell(double x, double width) { return std::exp(-(x / width) * (x / width)); }

// A wet planet's bands: the equatorial convergence just north of the equator, the clear
// subtropics near 26 degrees, the storm tracks near 57 degrees, the polar cloud.
double LatitudeBias(double latDeg) {
  const double a = std::fabs(latDeg);
  return 0.30 * Bell(latDeg - 6.0, 9.0) + 0.32 * Bell(a - 57.0, 13.0) - 0.30 * Bell(a - 26.0, 9.0) +
         0.18 * Bell(a - 82.0, 10.0) + 0.05;
}

// v turned by angle about the unit axis (right-handed: counter-clockwise seen from outside).
Vec3d Rotate(const Vec3d& v, const Vec3d& axis, double angle) {
  const double c = std::cos(angle), s = std::sin(angle), d = Dot(axis, v);
  const Vec3d a = Cross(axis, v);
  return {v.x * c + a.x * s + axis.x * d * (1.0 - c), v.y * c + a.y * s + axis.y * d * (1.0 - c),
          v.z * c + a.z * s + axis.z * d * (1.0 - c)};
}

double Fbm(uint32_t seed, double x, double y, double z, int octaves, double gain) {
  double sum = 0.0, norm = 0.0, amplitude = 1.0, scale = 1.0;
  for (int k = 0; k < octaves; ++k) {
    const double shift = 11.7 * (k + 1);
    sum += amplitude * GradientNoise(seed + 0x3C6EF372u * static_cast<uint32_t>(k + 1), x * scale + shift,
                                     y * scale - shift, z * scale + 0.5 * shift);
    norm += amplitude;
    amplitude *= gain;
    scale *= 2.0;
  }
  return sum / norm;
}

}  // namespace

CloudWeather MakeCloudWeather(uint32_t seed) {
  CloudWeather weather;
  weather.seed = seed;
  RandomStream random(uint64_t{StreamSeed(seed, kStorms)} << 1 | 1u);
  for (int hemisphere : {1, -1}) {
    for (int k = 0; k < kStormTrackCyclones + kTropicalCyclones; ++k) {
      const bool tropical = k >= kStormTrackCyclones;
      const double latDeg = hemisphere * (tropical ? random.Uniform(10.0, 24.0) : random.Uniform(38.0, 68.0));
      const double lonDeg = random.Uniform(0.0, 360.0);
      Cyclone c;
      c.centre = UnitVectorAt(latDeg, lonDeg);
      c.radiusKm = tropical ? random.Uniform(500.0, 800.0) : random.Uniform(700.0, 1400.0);
      c.twistRad = hemisphere * (tropical ? random.Uniform(5.0, 7.0) : random.Uniform(3.0, 5.5));
      c.cloud = tropical ? random.Uniform(0.6, 0.8) : random.Uniform(0.15, 0.3);
      c.eyeKm = tropical ? random.Uniform(18.0, 30.0) : 0.0;
      weather.cyclones.push_back(c);
    }
  }
  return weather;
}

double CloudDensity(const CloudWeather& weather, double latDeg, double lonDeg) {
  const uint32_t seed = weather.seed;
  const Vec3d p = UnitVectorAt(latDeg, lonDeg);
  // The winds: a shear along the parallels, then each storm's winding.
  Vec3d q = Rotate(p, {0.0, 1.0, 0.0}, kShearRad * SphereFbm(StreamSeed(seed, kShear), p, 3000.0, 2, 0.5));
  double storms = 0.0;
  for (const Cyclone& c : weather.cyclones) {
    const double d = SurfaceDistanceKm(p, c.centre);
    if (d >= c.radiusKm) continue;
    const double u = 1.0 - d / c.radiusKm;
    q = Rotate(q, c.centre, c.twistRad * u * u);
    storms += c.cloud * u * u * (3.0 - 2.0 * u);
    if (c.eyeKm > 0.0) storms -= (c.cloud + 0.8) * Bell(d, c.eyeKm);
  }
  const double f = kSurfaceRadiusKm / kCloudWavelengthKm;
  const double cloud = Fbm(StreamSeed(seed, kCloud), q.x * f, q.y * f * kZonalStretch, q.z * f, kCloudOctaves, kCloudGain);
  const double fb = kSurfaceRadiusKm / kBillowWavelengthKm;
  const double billow = 1.0 - 2.0 * std::fabs(Fbm(StreamSeed(seed, kBillow), q.x * fb, q.y * fb, q.z * fb, 3, 0.5));
  const double clear = Smoothstep(0.05, 0.35, SphereFbm(StreamSeed(seed, kClear), p, kClearWavelengthKm, 2, 0.5));
  return LatitudeBias(latDeg) + cloud + kBillowWeight * billow + storms - kClearDepth * clear;
}

CloudSource SynthesizeCloudCover(uint32_t seed, unsigned threads) {
  const CloudWeather weather = MakeCloudWeather(seed);
  CloudSource source;
  source.grey.width = kCloudCoverWidth;
  source.grey.height = kCloudCoverHeight;
  source.grey.channels = 1;
  source.grey.pixels.resize(size_t{kCloudCoverWidth} * kCloudCoverHeight);
  // The grid has the layout of an imported picture (north at the top, 180 degrees at the left
  // edge), so both kinds of cover go through the same sampling.
  ParallelFor(threads, kCloudCoverHeight, [&](uint32_t y) {
    const double latDeg = 90.0 - (y + 0.5) * 180.0 / kCloudCoverHeight;
    for (uint32_t x = 0; x < kCloudCoverWidth; ++x) {
      const double lonDeg = (x + 0.5) * 360.0 / kCloudCoverWidth - 180.0;
      const double grey = kGreyMiddle + kGreyPerDensity * CloudDensity(weather, latDeg, lonDeg);
      source.grey.pixels[size_t{y} * kCloudCoverWidth + x] = static_cast<uint8_t>(std::clamp(std::lround(grey), 0L, 255L));
    }
  });
  StretchCloudLevels(source, kClearShare, kDenseShare);
  return source;
}
