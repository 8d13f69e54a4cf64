// The terraformed look: the on/off target, the blend level from 0 (present) to 60 (full sea and
// clouds), and the drawing parameters derived from a slot's whole level.
#pragma once

#include <cstdint>

#include "mesh/mesh_slot.h"

constexpr float kTerraformRate = 30.0f;  // levels per second: 0 to 60 in about two seconds

// One record, owned by the window thread (key handler, schedule and frame step all run on it).
// The mesh worker sees the level only through the whole level stored in each slot.
struct TerraformState {
  bool TerraformTarget;   // wanted look: on = terraformed; starts off
  float TerraformLevel;   // blend level in [0, 60]; starts at 0
};

extern TerraformState gTerraform;

void ToggleTerraformTarget();
// Moves the level towards the target by frameSeconds and returns its whole part for the slot
// being filled. Leaving 0 and reaching 0 each take one frame, whatever the frame time.
int32_t AdvanceTerraformLevel(float frameSeconds);
// Alpha reference for level L: planet fragments whose terraformed alpha is not above it are sea.
float SeaThreshold(int32_t level);
// Fade of the cloud layer at level L (0 up to level 30, 1 at 60).
float CloudAlpha(int32_t level);
// Diffuse light of the shadowed side at level L.
float ShadowedDiffuse(int32_t level);
