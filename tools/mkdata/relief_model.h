// The synthesized Mars relief: heights above the areoid in metres, deterministic for a seed. There
// is no real Mars elevation model in Debian, so the builder makes one that looks like Mars at the
// planet's real places: the hemispheric dichotomy, the Tharsis and Elysium rises, the named shields,
// basins, craters, polar deposits and Valles Marineris (landforms.h), the relief that the colour
// map's shading shows (map_relief.h), and fractal roughness down to the node spacing.
#pragma once

#include <cstdint>
#include <vector>

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
  MapRelief mapRelief;
};

// colourMap may be empty (no relief from shading). markers add the craters the builder knows.
void MakeReliefModel(uint32_t seed, const SourceImage& colourMap, const std::vector<Marker>& markers,
                     unsigned threads, ReliefModel& model);

// Height above the areoid at a latitude and east longitude, with roughness down to nodeSpacingKm.
// fineDetail, when given, receives the sub-map-resolution roughness in [-1, 1], which the surface
// colours reuse so that their detail matches the relief's.
double ReliefHeight(const ReliefModel& model, double latDeg, double lonDeg, double nodeSpacingKm,
                    double* fineDetail = nullptr);
// The fine detail alone, for colours over relief from elsewhere (imported MOLA grids).
double ReliefFineDetail(const ReliefModel& model, double latDeg, double lonDeg, double nodeSpacingKm);
