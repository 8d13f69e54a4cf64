// Mars' named landforms for the synthesized relief, at their real places (degrees north, degrees
// east): the volcanic shields, the impact basins, the polar layered deposits, the troughs of Valles
// Marineris, and the large craters that xplanet's marker file names. Each has a height profile
// that the relief model adds to or blends into the broad terrain.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/mkdata/sphere_geometry.h"

enum class LandformKind : uint8_t {
  Shield,  // volcano: level = summit height; rim = basal escarpment height (0: none)
  Basin,   // impact basin: level = floor height; rim = rim height above the surroundings
  Crater,  // impact crater: level = depth below the surroundings; rim as for a basin
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
};

// One point of a trough's centre line; width and depth change linearly between points.
struct TroughPoint {
  double latDeg, lonDeg;
  double halfWidthKm;  // half the width of the flat floor
  double depthM;       // floor below the surrounding plateau
  double chaos;        // 0 .. 1: how much of the floor is broken into knobs (the chaos regions)
};

// A named place from a marker file, longitudes already turned east-positive.
struct Marker {
  double latDeg, lonDeg;
  std::string name;
};

// The built-in landforms, in the order the relief model applies them.
const std::vector<Landform>& NamedLandforms();
// Valles Marineris as centre lines, from Noctis Labyrinthus to the chaos regions.
const std::vector<std::vector<TroughPoint>>& VallesMarinerisTroughs();
// Craters for the markers whose names the builder knows the size of; others are not used.
std::vector<Landform> CratersFromMarkers(const std::vector<Marker>& markers);

// Reads an xplanet marker file: latitude, longitude and a quoted name per line. xplanet's
// markers/mars gives west longitudes (its Olympus Mons is at 133.1, that is 226.9 east), so
// longitudes are turned east-positive when westLongitudes is set. False with a one-line message.
bool ReadMarkers(const std::string& path, bool westLongitudes, std::vector<Marker>& markers, std::string& error);

// Height profiles over the distance from the centre divided by the radius.
// Shield: 1 at the centre falling to 0 at the base; with a basal escarpment a share
// `escarpment` of the height is kept out to the base and then drops within 6 % of the radius.
double ShieldProfile(double t, double escarpment);
// Basin and crater interior weight: 1 on the floor, 0 outside the rim.
double BowlWeight(double t);
// Raised rim: rises inside the rim, peaks on it and fades out over half a radius outside.
double RimProfile(double t);
