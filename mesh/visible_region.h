// The visible-region pass: which band of latitude rows of a surface or shell the camera can see and,
// per degree of latitude, which runs of longitude, found from about one map node per square degree;
// and the thinning factor a builder derives from the visible sample count to stay inside its limit.
#pragma once

#include <cstdint>

#include "mapdata/map_data.h"
#include "math/vector_math.h"

constexpr uint32_t kVisibleEntries = 181;  // one per whole degree of latitude, pole to pole
constexpr uint32_t kMaxRunValues = 360;    // longitude values one degree may hold

// The runs of one degree of latitude (rows e * ppd up to (e + 1) * ppd - 1), 362 words.
struct VisibleEntry {
  uint32_t sampleCount;        // visible samples in this degree
  uint32_t valueCount;         // longitude values in `runs`: even, 0 = nothing visible
  float runs[kMaxRunValues];   // (start, end) pairs in degrees, in the order found
};
static_assert(sizeof(VisibleEntry) == 1448, "a visible-longitude entry is 362 words");

// The shadow camera and the box of the visible surface in its space. The worker sets the matrix
// and `reset` before each surface build while shadows are in use; the surface pass restarts and
// widens the box; the worker reads it afterwards. `reset` is never cleared.
struct LightBox {
  Mat4 lightMatrix;  // LightView, row by row: applied to (x, y, z, 1)
  float minX, maxX, minY, maxY, minZ, maxZ;
  uint8_t reset;     // 1: the next surface pass starts the box afresh and fills it
};

// The camera and view every build of a slot shares.
struct BuildView {
  float distance;   // camera distance from the centre, metres
  float latitude;   // degrees, folded into -90..90
  float longitude;  // degrees, 0..360
  Vec3 position;    // camera position, planet frame
  Mat3 rotation;    // row i = column i of the view matrix's rotation: turns eye directions into the planet frame
  float aspect;     // width / height
  float relief;     // the current relief factor, 1..10
};

// One surface or shell to build: its spheres, view and limit.
struct LayerSpec {
  float inner;           // metres: the sphere that hides what lies behind it
  float outer;           // metres: the highest the layer reaches
  float viewAngle;       // degrees: the field of view widened by a margin for this layer
  float height;          // metres above the areoid (shells), times the relief factor
  int32_t terraformLevel;  // 0..60 (surface and atmosphere colours)
  uint32_t limit;        // most triangles the build may write
  uint32_t extraThinning;  // 0 or 1, or a power of two that multiplies the thinning factor after
                           // builds of this layer that reached their limit
};

enum class RegionMode : uint8_t {
  Surface,  // samples at the relief; collects the light-space box when asked
  Shell,    // samples at the layer's height above the areoid
};

// Fills `table` (kVisibleEntries entries) for a layer of `map` and returns the visible sample
// count, copies into band holes included. firstRow and lastRow receive the band (both 0 when
// nothing is visible). `light` may be null; the box is collected only by a surface pass with
// light->reset set. Any thread, but the table and the box belong to the caller.
uint32_t FindVisibleRegion(uint32_t& firstRow, uint32_t& lastRow, VisibleEntry* table, const MapData& map,
                           const BuildView& view, const LayerSpec& layer, RegionMode mode, LightBox* light);

enum class ThinningRule : uint8_t {
  Surface,     // power of two, degree conversion in double precision
  Shell,       // power of two, degree conversion in single precision
  Atmosphere,  // not raised to a power of two, single precision
};

// The factor by which a build thins rows and nodes so that about two triangles per thinned cell of
// the visible share (total / density) stay well under `limit`. At least 1.
uint32_t ThinningFactor(uint32_t total, uint32_t limit, uint32_t ppd, uint32_t density, ThinningRule rule);
