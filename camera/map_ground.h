// The ground of the loaded map as the guided tour needs it: the height of the drawn surface
// under a latitude and longitude, so the flight can keep clear of the relief.
#pragma once

#include "mapdata/map_data.h"

// What MapGroundHeight reads: the loaded map and the relief factor the mesh is built with now.
// The shell owns one and updates `relief` each frame (window thread).
struct MapGround {
  const MapData* map;  // loaded: its rows and heights are read-only
  float relief;        // relief exaggeration, 1..10
};

// Height in metres above the reference radius at a planetocentric latitude (-90..90) and east
// longitude (any, taken modulo 360) of the surface the mesh draws (areoid + topography x relief):
// the highest of the four nodes around the point, so no triangle between them rises above it.
// `ground` is a const MapGround*; the signature is TourTerrain's.
float MapGroundHeight(const void* ground, float latitude, float longitude);
