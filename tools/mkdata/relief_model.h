// The synthesized Mars relief: heights above the areoid in metres, deterministic for a seed. There
// is no real Mars elevation model in Debian, so the builder makes one that looks like Mars at the
// planet's real places: the hemispheric dichotomy, the Tharsis and Elysium rises, the named shields,
// basins, craters, polar deposits, Valles Marineris and the outflow channels (landforms.h), a
// population of smaller craters (crater_field.h) and fractal roughness down to the node spacing.
// With an imported colour map, the relief its shading shows (map_relief.h) replaces the crater
// population, which would contradict the picture.
#pragma once

#include <cstdint>
#include <vector>

#include "tools/mkdata/crater_field.h"
#include "tools/mkdata/landforms.h"
#include "tools/mkdata/map_relief.h"

struct PreparedLandform {
  Landform form;
  Vec3d centre;
  double reachCos;    // points with a smaller dot product with centre are out of reach
  double amplitudeM;  // shields: what the profile adds at the centre to reach the summit
  double escarpment;  // shields: share of the amplitude kept out to the basal escarpment
};

struct PreparedTroughSegment {
  TroughPoint from, to;
  Vec3d a, b, normal;  // end points and the normal of their great circle
  double arcRad;       // angle between the end points
  Vec3d middle;
  double reachCos;
};

// Built once, then read by every builder thread.
struct ReliefModel {
  uint32_t seed = 0;
  // The broad terrain (dichotomy, Tharsis and Elysium rises) sampled every quarter degree: its
  // shortest wavelengths are hundreds of km, so nodes interpolate it instead of evaluating it.
  uint32_t broadColumns = 0, broadRows = 0;
  std::vector<float> broadHeight;  // metres
  std::vector<float> lowland;      // 0 in the southern highlands, 1 in the northern plains
  std::vector<PreparedLandform> landforms;
  std::vector<PreparedTroughSegment> troughs;
  CraterField craters;  // empty when the relief comes from a colour map's shading
  MapRelief mapRelief;  // empty unless a colour map was imported
};

// colourMap may be empty: then the crater population gives the relief detail instead of the
// map's shading.
void MakeReliefModel(uint32_t seed, const SourceImage& colourMap, unsigned threads, ReliefModel& model);

// Where a point lies among the landforms, for the surface colours: each share in [0, 1], so that
// colour detail follows the relief (dark sand on crater floors, bright rims and ejecta, banded
// canyon walls) and close views are not flat.
struct ReliefDetail {
  double fine = 0.0;         // roughness finer than 16 km, in [-1, 1]
  double craterFloor = 0.0;  // on a crater's floor
  double craterRim = 0.0;    // on a crater's upper wall, rim or near ejecta
  double canyonFloor = 0.0;  // on the floor of a canyon or channel
  double canyonWall = 0.0;   // on its walls
  double lowland = 0.0;      // 0 in the southern highlands, 1 in the northern plains
};

// Height above the areoid at a latitude and east longitude, with roughness and craters down to
// nodeSpacingKm. detail, when given, receives where the point lies among the landforms.
double ReliefHeight(const ReliefModel& model, double latDeg, double lonDeg, double nodeSpacingKm,
                    ReliefDetail* detail = nullptr);
// The fine roughness and the broad terrain alone, for colours over relief from elsewhere
// (imported MOLA grids), whose craters and canyons the synthesized ones would not match.
ReliefDetail ReliefFineDetail(const ReliefModel& model, double latDeg, double lonDeg, double nodeSpacingKm);
