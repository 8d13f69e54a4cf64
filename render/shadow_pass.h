// Cast shadows (OpenGL 1.4): the visible mesh rendered from the sun into a depth map, then the
// surface drawn dark everywhere and lit where the depth comparison says the sun reaches.
#pragma once

#include <cstdint>

#include "camera/camera_state.h"
#include "mesh/mesh_slot.h"

// The shadow camera for a slot being filled: on the sun direction at the camera's distance,
// looking at the planet's centre; stored row by row in slot.lightView.
void UpdateLightView(MeshSlot& slot, const CameraPose& camera, const SpherePoint& sun);
// Takes the surface pass's place while shadows are in use. width and height are the window's
// client size (the depth map's size without framebuffer objects); cloudLayer: the run draws clouds.
void ShadowPass(const MeshSlot& slot, bool cloudLayer, int32_t width, int32_t height);
