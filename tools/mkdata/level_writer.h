// One level of the data folder: "nodes", "areoid", "topo" and "mars" L ".hex", computed row block
// by row block on every core and streamed to temporary files, so memory stays small at any level;
// the files replace the old ones only when all four are complete (the node file last).
#pragma once

#include <cstdint>
#include <string>

#include "mapdata/map_formats.h"
#include "tools/mkdata/albedo_model.h"
#include "tools/mkdata/mola_grid.h"
#include "tools/mkdata/preview.h"
#include "tools/mkdata/real_relief.h"
#include "tools/mkdata/relief_model.h"
#include "tools/mkdata/surface_colour.h"

// Where heights and colours come from. Read-only while a level is written.
struct LevelSources {
  const RealRelief* realRelief = nullptr;  // real topography (MOLA), used instead of the relief when set
  const ReliefModel* relief = nullptr;   // synthesized relief; also the detail of synthesized colours
  const MolaGrid* molaAreoid = nullptr;  // imported areoid, else the model areoid
  const AlbedoModel* albedo = nullptr;   // synthesized present-day colours
  const ColourMapSampler* colourMap = nullptr;  // a real colour map, used instead when set
  unsigned threads = 1;
  bool progressLines = false;  // progress as whole lines (progress.h)
};

// Extremes of a written level, checked against the radii the mesh builders assume: the surface
// between 3,396,000 -/+ 16,000 * F for every relief factor F from 1 to 10 (checked at 1 and 10,
// the constraints being linear in F), and the full sea (300 m below the areoid) above
// 3,375,000 - 300 * F, that is an areoid above -21,000 m.
struct LevelExtremes {
  uint64_t nodes = 0;
  int32_t minTopo = INT32_MAX, maxTopo = INT32_MIN;
  int32_t minAreoid = INT32_MAX, maxAreoid = INT32_MIN;
  int64_t minSurface1 = INT64_MAX, maxSurface1 = INT64_MIN;    // areoid + topo (relief factor 1)
  int64_t minSurface10 = INT64_MAX, maxSurface10 = INT64_MIN;  // areoid + 10 * topo
  uint64_t outsideAt1 = 0, outsideAt10 = 0;                    // nodes outside the surface radii
  uint64_t clipped = 0;                                        // heights clamped to 16 bits
};

constexpr int64_t kSurfaceBandPerFactorM = 16000;
constexpr int64_t kLowestAreoidUnderSeaM = -21000;

// The highest ground eased under the top of the band the mesh builders assume: a node at areoid
// height a keeps a + F * topo <= 16,000 * F for every relief factor F from 1 to 10. Heights up to
// three quarters of that ceiling stay as they are; above, they approach it smoothly and keep their
// order, so the Tharsis shields lose height but Olympus stays the highest summit.
double FitUnderMeshTop(double topo, double areoid);

// Heights and colours of the count nodes of one row (node j at longitude 360 * j / count).
// Returns the number of heights clamped into 16 bits.
uint32_t MakeNodeRow(const LevelSources& sources, uint32_t ppd, uint32_t row, uint32_t count, int16_t* areoid,
                     int16_t* topo, Colour* mars);

// Writes the level's four files into folder, deleting stale "terra" and "sea" caches of the level
// (the program would otherwise read colours derived from the old heights). preview may be null.
bool WriteLevel(const std::string& folder, uint32_t ppd, const LevelSources& sources, LayerPreview* preview,
                LevelExtremes& extremes, std::string& error);
