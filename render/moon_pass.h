// Phobos and Deimos in the picture and in the shadow map: the moon mesh stretched to each moon's
// radii, lit by the sun unless Mars's shadow covers it.
#pragma once

#include "math/vector_math.h"
#include "mesh/moon_mesh.h"
#include "render/frame_request.h"

// Draws the recorded request's moons that belong to a layer in one view, with the view's own
// projection loaded (GL_PROJECTION current, as the sky pass leaves it); the vertex, normal and
// colour arrays enabled and the camera view loaded. Returns in the same state, the arrays
// pointing anywhere.
void MoonPass(const MoonMesh& mesh, const FrameRequest& recorded, const FrameView& view, MoonLayer layer);

// The moons' depth into the shadow map, with the light's projection loaded and the modelview
// about to be the light view: called inside the depth pass.
void MoonShadowDepth(const MoonMesh& mesh, const SkyBodies& sky, const Mat4& lightView);
