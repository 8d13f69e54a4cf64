// The small moons' shared shape: a unit sphere, finely divided, pitted with craters, with a dark
// grey colour a vertex. Each moon is this mesh stretched to its own three radii when drawn.
#pragma once

#include <cstdint>
#include <vector>

#include "math/vector_math.h"

struct MoonMesh {
  std::vector<Vec3> positions;   // about unit length: the sphere with its craters
  std::vector<Vec3> normals;     // unit, averaged from the faces around each vertex
  std::vector<uint8_t> colours;  // RGBA a vertex
  std::vector<uint16_t> indices; // three a triangle, counter-clockwise seen from outside
};

// The same mesh on every call (its craters come from a fixed seed).
MoonMesh MakeMoonMesh();
