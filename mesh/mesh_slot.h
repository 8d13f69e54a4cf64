// The double-buffered hand-over between the mesh worker and the renderer: the two slots' triangle
// arrays, the inputs the renderer writes before it requests a build, and the ranges the worker
// writes when it has built one. Triangles are unindexed: triangle t is vertices 3t, 3t+1, 3t+2.
#pragma once

#include <cstdint>

#include "camera/camera_state.h"
#include "camera/terraform.h"  // the terraform levels a slot carries
#include "mapdata/map_formats.h"
#include "math/vector_math.h"

// Room in each slot, in triangles. The four groups' own limits add up to the whole, and the two
// textured shells, which come first, to the texture coordinates' share, so no group can overrun.
constexpr uint32_t kWaterLimit = 30000;
constexpr uint32_t kCloudLimit = 30000;
constexpr uint32_t kPlanetLimit = 420000;
constexpr uint32_t kAtmosphereLimit = 45000;
constexpr uint32_t kSlotTriangles = 525000;
constexpr uint32_t kSlotTexturedTriangles = 60000;
constexpr uint32_t kMeshGroups = 4;  // water, clouds, planet, atmosphere
static_assert(kWaterLimit + kCloudLimit + kPlanetLimit + kAtmosphereLimit == kSlotTriangles);
static_assert(kWaterLimit + kCloudLimit == kSlotTexturedTriangles);


// One texture coordinate pair, as glTexCoordPointer(2, GL_FLOAT) reads it.
struct TexCoord {
  float s, t;
};

// Bytes per triangle in a slot's arrays (three vertices each): the buffer objects are sized and
// filled by these.
constexpr uint32_t kTrianglePositionBytes = 3 * sizeof(Vec3);  // positions, and normals alike
constexpr uint32_t kTriangleColourBytes = 3 * sizeof(Colour);
constexpr uint32_t kTriangleTexCoordBytes = 3 * sizeof(TexCoord);

// What a finished build holds: 15 32-bit words. Firsts and counts are in triangles; the four groups
// lie back to back in the order water, clouds, planet, atmosphere.
struct MeshRanges {
  float lightMinX, lightMaxX;  // light-space box of the visible surface: written only while shadows
  float lightMinY, lightMaxY;  // are in use, otherwise they keep their old values
  float lightMinZ, lightMaxZ;
  uint32_t total;              // triangles in the slot
  uint32_t waterFirst;         // always 0
  uint32_t waterCount;
  uint32_t cloudFirst;
  uint32_t cloudCount;
  uint32_t planetFirst;
  uint32_t planetCount;
  uint32_t atmosphereFirst;
  uint32_t atmosphereCount;
};
static_assert(sizeof(MeshRanges) == 15 * 4, "MeshRanges is 15 words");

// What one build is made for, written by the renderer from one frame's request: the camera and
// the look-at view made from that same pose, so the rotation and the position the worker uses
// always belong together.
struct MeshInputs {
  CameraPose camera;       // the eye: position and viewing frame
  Mat4 view;               // the look-at view of `camera`, row by row: its rotation turns the visible region
  Mat4 lightView;          // the shadow camera's view, row by row; set while `shadowed`
  float fieldOfView;       // vertical, degrees, of the perspective enclosing every view
  float aspect;            // its width / height
  float reliefFactor;      // relief exaggeration, 1..10
  int32_t terraformLevel;  // whole part of the terraform level, 0..60
  uint32_t limitShift;     // the triangle limits divided by 2^limitShift (adaptive quality)
  bool shadowed;           // the slot is drawn with shadows: the build fills the light-space box
};

// One of the two slots. The renderer writes `inputs` between its wait on MeshReadyEvent and its
// MeshRequestEvent; the worker then reads them and writes the arrays and `ranges` until its
// MeshReadyEvent; the renderer reads arrays and ranges one frame later.
struct MeshSlot {
  // Arrays, allocated once at full size by SetupMeshWork.
  Vec3* positions;      // 3 per triangle, planet-centred metres (kSlotTriangles triangles)
  Vec3* normals;        // 3 per triangle: face normal (planet) or vertex position (shells)
  Colour* colours;      // 3 per triangle, planet and atmosphere triangles only
  TexCoord* texCoords;  // 3 per triangle, water and cloud triangles only (kSlotTexturedTriangles)
  MeshInputs inputs;    // written by the renderer, read by the worker
  MeshRanges ranges;    // written by the worker at the end of each build
};
