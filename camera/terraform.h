// The terraformed look's state: the on/off target the space bar and the schedule switch, the
// schedule that switches it on its own, and the blend level from 0 (present) to 60 (full sea and
// clouds) that each frame advances towards the target. The mesh worker and the passes see the
// level only as the whole level each frame's request carries.
#pragma once

#include <cstdint>

#include "settings/run_config.h"

constexpr int32_t kMaxTerraformLevel = 60;  // the fully terraformed look; 0 is the present one
constexpr int32_t kCloudLevel = 30;         // clouds show above this level, in the second half of the blend
constexpr float kTerraformRate = 30.0f;     // levels per second: 0 to 60 in about two seconds

// One record in the saver core's, owned by the window thread (key handler, schedule and frame step
// all run on it).
struct TerraformState {
  bool TerraformTarget;   // wanted look: on = terraformed; starts off
  float TerraformLevel;   // blend level in [0, 60]; starts at 0
  float scheduleTime;     // seconds into the schedule (once: up to 2; periodic: the cycle)
  int scheduleState;      // what the schedule last switched the look to: 0 off, 1 on
};

void ToggleTerraformTarget(TerraformState& state);
// Switches the terraformed look once (2 s after start) or periodically, as the run is configured.
void TerraformSchedule(TerraformState& state, const RunConfig& config, float dt);
// Moves the level towards the target by frameSeconds and returns its whole part for the slot
// being filled. Leaving 0 and reaching 0 each take one frame, whatever the frame time.
int32_t AdvanceTerraformLevel(TerraformState& state, float frameSeconds);
// One frame of dt seconds: the schedule, then the level's advance; returns the level's whole part.
int32_t TerraformStep(TerraformState& state, const RunConfig& config, float dt);
