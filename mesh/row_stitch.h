// Row stitching: joins two neighbouring rows of constant latitude into a strip of triangles by
// merging them along longitude like a zipper, skipping triangles that would bridge a gap, and
// closing the strip across the 0/360 degree seam when both rows go all the way around.
#pragma once

#include <cstdint>

#include "mapdata/map_formats.h"
#include "math/vector_math.h"
#include "mesh/mesh_slot.h"

// One row as a builder generated it: `count` vertices in ascending longitude within 0..360.
struct RowVertices {
  const Vec3* positions;      // planet-centred metres
  const float* longitudes;    // degrees, those of the vertices' map nodes
  const Colour* colours;      // per vertex, for the colour variants
  const TexCoord* texCoords;  // per vertex, for the texture variant
  uint32_t count;             // 1 at a pole
  float spacing;              // node spacing times the build's thinning factor, degrees
};

// Where a build writes: the slot's arrays at the build's first triangle, and its triangle counter.
struct TriangleSink {
  Vec3* positions;
  Vec3* normals;
  Colour* colours;      // colour variants
  TexCoord* texCoords;  // texture variant
  uint32_t count;       // triangles written so far
  uint32_t limit;       // the build's limit: no triangle is written past it
  bool full;            // a triangle was left out, or a row not stitched, for want of room
};

enum class StitchVariant : uint8_t {
  ColourFaceNormals,    // the surface: node colours, one face normal per triangle
  Texture,              // the water and cloud shells: texture coordinates, normals = positions
  ColourSphereNormals,  // the atmosphere: colours, normals = positions
};

// Appends the strip between `previous` (the southern row) and `current` to the sink. Triangles face
// outward, counter-clockwise seen from outside; a candidate that would not (near a pole) is left
// out, and so is every triangle once the sink is at its limit (sink.full is then set). A pair of
// rows where either is empty, or both hold a single vertex, gives nothing. At most
// previous.count + current.count triangles. Runs on the mesh worker; allocates nothing.
void StitchRows(StitchVariant variant, const RowVertices& previous, const RowVertices& current, TriangleSink& sink);

// Ends the process at once with status 1 and no message when the mesh memory cannot be had at
// set-up: the saver simply closes.
[[noreturn]] void FailMesh();
