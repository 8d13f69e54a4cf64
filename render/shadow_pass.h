// Cast shadows (OpenGL 1.4): the visible mesh rendered from the sun into a depth map, then the
// surface drawn dark everywhere and lit where the depth comparison says the sun reaches.
#pragma once

#include <cstdint>

#include "camera/sky_now.h"
#include "mesh/mesh_slot.h"
#include "mesh/moon_mesh.h"

// The surface pass's place while a slot is drawn with shadows, in two steps, from the shadow
// camera and the light-space box the slot was built with. First, once a frame, the slot's mesh
// seen from the sun into the depth map; width and height are the window's client size (the depth
// map's size without framebuffer objects, so before any view is drawn into the window; the
// viewport is left on the whole window); cloudLayer: the run draws clouds. The moons of the
// recorded request cast shadows too.
void RenderShadowMap(const MeshSlot& slot, bool cloudLayer, int32_t width, int32_t height, const SkyBodies& sky,
                     const MoonMesh& moonMesh);
// Then, in every view, the surface dark everywhere and lit where the sun reaches; sky as the
// shadow map was made with.
void DrawShadowedSurface(const MeshSlot& slot, bool cloudLayer, const SkyBodies& sky);
