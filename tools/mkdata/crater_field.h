// The crater population of the synthesized relief: tens of thousands of craters below the named
// ones, drawn from the seed with Mars' power-law size distribution, dense on the old southern
// highlands and sparse on the young plains, volcanoes and polar deposits; binned by latitude and
// longitude so that a node finds the few craters around it quickly.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "tools/mkdata/sphere_geometry.h"

struct FieldCrater {
  Vec3d centre;
  double radiusKm;
  double floorM;   // floor below the surroundings
  double rimM;     // rim above the surroundings
  double peakKm;   // central peak radius (0: none)
  double peakM;    // central peak height above the floor
  double reachCos; // points with a smaller dot product with centre lie beyond the ejecta
};

// Sizes drawn: cumulative count N(>= D) = kCratersAbove5Km * (5 km / D)^2 at the density of the
// highlands over the whole sphere (about what Mars' old terrains hold), from kSmallestCraterKm to
// kLargestCraterKm across; larger craters are the named ones.
constexpr double kCratersAbove5Km = 70000.0;
constexpr double kSmallestCraterKm = 4.0, kLargestCraterKm = 120.0;
// Ejecta and raised rim reach this many radii from the centre.
constexpr double kCraterReach = 1.5;

struct CraterField {
  std::vector<FieldCrater> craters;
  // Rows of one degree of latitude from the south pole, each cut into columns about one degree
  // wide on the ground; each bin lists every crater whose reach touches it.
  std::vector<uint32_t> rowColumns;  // columns of each row
  std::vector<uint32_t> rowFirstBin;  // index of each row's first bin
  std::vector<uint32_t> binStart;     // bin b lists binCraters[binStart[b] .. binStart[b + 1])
  std::vector<uint32_t> binCraters;
};

// density(p) in [0, 1]: the share of the highland crater density at the unit vector p. Drawn on
// one thread in a fixed order, so the field depends on the seed alone.
CraterField MakeCraterField(uint32_t seed, const std::function<double(const Vec3d&)>& density);

// The craters whose reach may include the point (every crater that does, and a few more).
struct CraterSpan {
  const uint32_t* begin;
  const uint32_t* end;
};
CraterSpan CratersNear(const CraterField& field, double latDeg, double lonDeg);
