// Mars' named landforms for the synthesized relief, at their real places (degrees north, degrees
// east): the volcanic shields, the impact basins, the polar layered deposits, the large named
// craters and the troughs of Valles Marineris and the outflow channels. Each has a height profile
// that the relief model adds to or blends into the broad terrain.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/mkdata/sphere_geometry.h"

enum class LandformKind : uint8_t {
  Shield,  // volcano: level = summit height; rim = basal escarpment height (0: none)
  Basin,   // impact basin: level = floor height; rim = rim height above the surroundings
  Crater,  // impact crater: level = floor depth below the surroundings; rim as for a basin
  Cap,     // polar layered deposits: level = thickness
};

struct Landform {
  std::string name;
  LandformKind kind;
  double latDeg, lonDeg;  // centre
  double radiusKm;        // shield base, basin or crater rim, cap edge
  double levelM;          // see LandformKind; shield summits and basin floors are heights above the areoid
  double rimM;
  double calderaKm;       // shields: caldera radius (its rim is the summit)
  double calderaDepthM;
  double peakKm = 0.0;    // craters: radius of the central peak or mound (0: none)
  double peakM = 0.0;     // craters: its height above the floor
};

// One point of a trough's centre line; width and depth change linearly between points.
struct TroughPoint {
  double latDeg, lonDeg;
  double halfWidthKm;  // half the width of the flat floor
  double depthM;       // floor below the surrounding plateau
  double chaos;        // 0 .. 1: how much of the floor is broken into knobs (the chaos regions)
};

// The built-in landforms, in the order the relief model applies them.
const std::vector<Landform>& NamedLandforms();
// The large named craters (and a few small famous ones), from the builder's own table.
const std::vector<Landform>& NamedCraters();
// Valles Marineris as centre lines, from Noctis Labyrinthus to the chaos regions, and the outflow
// channels that run from chaos terrain into Chryse and from the highlands into Gusev.
const std::vector<std::vector<TroughPoint>>& CanyonsAndChannels();

// A crater of the given rim diameter: depth and rim height from Mars' depth-diameter relation
// for fresh craters (bowl-shaped below about 7 km, flat-floored above), scaled by freshness
// (1: fresh, towards 0: filled and worn down), with a central peak on complex craters.
Landform CraterLandform(const char* name, double latDeg, double lonDeg, double diameterKm, double freshness);

// Height profiles over the distance from the centre divided by the radius.
// Shield: 1 at the centre falling to 0 at the base; with a basal escarpment a share
// `escarpment` of the height is kept out to the base and then drops within 6 % of the radius.
double ShieldProfile(double t, double escarpment);
// Basin and crater interior weight: 1 on the floor, 0 outside the rim.
double BowlWeight(double t);
// Small craters are simple bowls: deepest at the centre, 0 at the rim.
double SimpleBowlWeight(double t);
// Polar plateau: how deep in one of the spiral troughs that wind out from the centre, as they do
// on both polar plateaus (0 outside them, 1 on a trough's floor).
double PolarTroughShare(const Landform& cap, double t, double lonDeg);
// Raised rim: rises inside the rim, peaks on it and fades out over half a radius outside.
double RimProfile(double t);
