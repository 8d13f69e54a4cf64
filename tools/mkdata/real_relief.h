// Relief from a real elevation grid (the MOLA topography the data sources carry, or a finer MEGDR
// grid the user imports), resampled to the node grid: a smooth cubic through the grid's samples,
// so finer levels show no facets, plus detail below the grid's resolution that follows the real
// terrain. The detail never moves a landform: it is a colour map's shading with everything the
// grid resolves taken out, and noise whose strength is the ground's own local roughness (the
// northern plains stay smooth, cratered highlands and scarps get rough).
#pragma once

#include <cstdint>

#include "tools/mkdata/map_relief.h"
#include "tools/mkdata/mola_grid.h"
#include "tools/mkdata/source_image.h"

// Built once, then read by every builder thread.
struct RealRelief {
  const MolaGrid* grid = nullptr;  // heights above the areoid
  double cellKm = 0.0;             // the grid's sample spacing on the equator
  uint32_t seed = 0;               // of the noise
  // The colour map's shading as relief (map_relief.h), less its part at the grid's wavelengths;
  // empty without a colour map or when the grid is at least as fine as the map.
  MapRelief shading;
};

// colourMap may be empty (no shading detail). Runs on `threads` threads.
void MakeRealRelief(const MolaGrid& grid, const SourceImage& colourMap, uint32_t seed, unsigned threads,
                    RealRelief& relief);

// The grid's height at a latitude and east longitude by Catmull-Rom interpolation (it passes
// through every sample and has no kinks between them); wraps in longitude, clamps at the poles.
double SmoothGridHeight(const MolaGrid& grid, double latDeg, double lonDeg);

// Height above the areoid in metres for a node grid of the given spacing. fineDetail, when given,
// receives the detail's share in [-1, 1] for the colours.
double RealReliefHeight(const RealRelief& relief, double latDeg, double lonDeg, double nodeSpacingKm,
                        double* fineDetail = nullptr);
