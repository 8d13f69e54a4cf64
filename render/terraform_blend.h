// The drawing values of the terraformed look, derived from a slot's whole terraform level (its
// state and advance live with the camera and the schedule: camera/terraform.h).
#pragma once

#include <cstdint>

#include "mesh/mesh_slot.h"

// Alpha reference for level L: planet fragments whose terraformed alpha is not above it are sea.
float SeaThreshold(int32_t level);
// Fade of the cloud layer at level L (0 up to level 30, 1 at 60).
float CloudAlpha(int32_t level);
// Diffuse light of the shadowed side at level L.
float ShadowedDiffuse(int32_t level);
