// Cast shadows (OpenGL 1.4): the visible mesh rendered from the sun into a depth map, then the
// surface drawn dark everywhere and lit where the depth comparison says the sun reaches.
#pragma once

#include <cstdint>

#include "camera/camera_state.h"
#include "mesh/mesh_slot.h"

// The shadow camera for a slot being filled: on the sun direction at the camera's distance,
// looking at the planet's centre; stored row by row in slot.lightView.
void UpdateLightView(MeshSlot& slot, const CameraPose& camera, const SpherePoint& sun);
// The surface pass's place while shadows are in use, in two steps. First, once a frame, the slot's
// mesh seen from the sun into the depth map; width and height are the window's client size (the
// depth map's size without framebuffer objects, so before any view is drawn into the window);
// cloudLayer: the run draws clouds.
void RenderShadowMap(const MeshSlot& slot, bool cloudLayer, int32_t width, int32_t height);
// Then, in every view, the surface dark everywhere and lit where the sun reaches.
void DrawShadowedSurface(const MeshSlot& slot, bool cloudLayer);
