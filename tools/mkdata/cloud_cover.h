// The synthesized cloud cover of the terraformed look, deterministic for a seed: fractal cloud
// stretched along the winds, the latitude bands of a wet planet (a cloudy equatorial belt, clear
// subtropics, stormy middle latitudes), cyclones that wind the cloud into spirals, and wide clear
// patches. Made on a grid of 3D positions, so it is seamless across 0 and 360 degrees and
// behaves at the poles; the cloud images resample it with finer detail (cloud_image.h).
#pragma once

#include <cstdint>
#include <vector>

#include "tools/mkdata/cloud_image.h"
#include "tools/mkdata/sphere_geometry.h"

// Size of the synthesized grid (about 10 km a texel at the equator, the width of clouds8).
constexpr uint32_t kCloudCoverWidth = 2048, kCloudCoverHeight = 1024;

// A storm that winds the cloud around its centre: counter-clockwise seen from above in the north,
// clockwise in the south.
struct Cyclone {
  Vec3d centre;
  double radiusKm;   // how far the winding and the extra cloud reach
  double twistRad;   // turn at the centre, falling to 0 at the radius
  double cloud;      // density added at the centre
  double eyeKm;      // radius of a clear eye (tropical storms), 0 for none
};

// The storms of one seed, drawn once.
struct CloudWeather {
  uint32_t seed = 0;
  std::vector<Cyclone> cyclones;
};
CloudWeather MakeCloudWeather(uint32_t seed);

// Density of the cloud cover at a place, before the contrast stretch: the larger the thicker.
double CloudDensity(const CloudWeather& weather, double latDeg, double lonDeg);

// The whole cover as a cloud source, stretched; runs on `threads` threads, the result depends on
// the seed alone.
CloudSource SynthesizeCloudCover(uint32_t seed, unsigned threads);
