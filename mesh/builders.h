// The three globe builders: the planet surface (relief coloured by the present-day or terraformed
// colours), the textured shell that follows the areoid at a fixed height (water and clouds) and
// the atmosphere shell, whose alpha fades towards the planet's limb. Each walks the visible band
// south to north, thins it by one factor and stitches each row to the one before.
#pragma once

#include <cstdint>

#include "mapdata/map_data.h"
#include "mapdata/map_formats.h"
#include "mesh/row_stitch.h"
#include "mesh/visible_region.h"

constexpr uint32_t kPaletteSize = kMaxTerraformLevel + 1;  // one atmosphere colour per terraform level

// Two rows' worth of vertex attributes: a builder fills one while the other holds the row before.
struct RowBuffer {
  Vec3* positions;
  float* longitudes;
  Colour* colours;
  TexCoord* texCoords;
};

// The work memory a build uses besides the slot's arrays, the loaded level and its constants.
struct BuildWork {
  const MapData* map;     // the loaded level's tables, read-only while builds run
  VisibleEntry* table;    // kVisibleEntries entries, rewritten by every build
  RowBuffer rows[2];      // swapped row by row
  uint32_t rowCapacity;   // vertices each row buffer holds: 360 * ppd + 1
  uint32_t ppd;           // map rows per degree
  uint32_t density;       // node count / ppd^2: the visible-sample count of the whole sphere
  LightBox* light;        // the light-space box the surface build fills, or null
  const Colour* palette;  // kPaletteSize atmosphere colours
};

// Each returns the number of triangles written into the sink, which is also left in sink.count. A
// build stops adding rows before one could pass sink.limit and sets sink.full; the caller then
// thins that layer harder next time (layer.extraThinning). Mesh worker thread; reads work.map.
uint32_t BuildSurface(const BuildWork& work, const BuildView& view, const LayerSpec& layer, TriangleSink& sink);
uint32_t BuildShell(const BuildWork& work, const BuildView& view, const LayerSpec& layer, TriangleSink& sink);
uint32_t BuildAtmosphere(const BuildWork& work, const BuildView& view, const LayerSpec& layer, TriangleSink& sink);

// Entry i blends the dusty sky of the present look into the blue sky of the terraformed one.
void FillAtmospherePalette(Colour* palette);

// Whether a surface node shows its terraformed colour at a terraform level: below the coast and
// above a snow line that sinks by 300 m per level; everywhere at level 60, nowhere at level 0.
inline bool UsesTerraColour(int32_t topo, int32_t level) {
  if (level == 0) return false;
  const float height = static_cast<float>(topo);
  return !(height > kCoastHeight && height <= 300.0f * static_cast<float>(kMaxTerraformLevel - level) + kCoastHeight);
}

// Atmosphere opacity, 0..1, from the planet's angular radius a and the angle b between a vertex and
// the planet's centre (radians, both seen from the camera), the camera distance over 3,375,000 m
// and the relief factor: densest just inside the limb, fading faster beyond it.
float LimbAlpha(float a, float b, float distanceScale, float relief);
