// The terraformed look's target, its schedule and the advance of its blend level.
#include "camera/terraform.h"

namespace {
constexpr float kScheduleDelay = 2.0f;  // seconds of the present look before the first switch
}

void ToggleTerraformTarget(TerraformState& state) { state.TerraformTarget = !state.TerraformTarget; }

int32_t AdvanceTerraformLevel(TerraformState& state, float frameSeconds) {
  float& level = state.TerraformLevel;
  const float step = kTerraformRate * frameSeconds;
  if (state.TerraformTarget) {
    // Level 1 at once, so the frame after a switch on already builds a sea.
    if (level == 0.0f) {
      level = 1.0f;
    } else if (level < kMaxTerraformLevel) {
      level += step;
      if (level > kMaxTerraformLevel) level = kMaxTerraformLevel;
    }
  } else {
    if (level <= 1.0f) {
      level = 0.0f;
    } else {
      level -= step;
      // Held at 1 for one frame, then 0: the last sea frame is always drawn.
      if (level < 1.0f) level = 1.0f;
    }
  }
  return static_cast<int32_t>(level);
}

void TerraformSchedule(TerraformState& state, const RunConfig& config, float dt) {
  switch (config.terraformMode) {
    case 1:
      if (state.scheduleTime < kScheduleDelay) {
        state.scheduleTime += dt;
      } else if (state.scheduleState == 0) {
        state.scheduleState = 1;
        ToggleTerraformTarget(state);
      }
      break;
    case 2: {
      const float period = config.terraformPeriodSeconds;
      if (state.scheduleTime >= period) {
        state.scheduleTime = 0.0f;
        break;
      }
      state.scheduleTime += dt;
      if (state.scheduleTime > period * 0.5f + kScheduleDelay) {
        if (state.scheduleState == 1) {
          state.scheduleState = 0;
          ToggleTerraformTarget(state);
        }
      } else if (state.scheduleTime > kScheduleDelay && state.scheduleState == 0) {
        state.scheduleState = 1;
        ToggleTerraformTarget(state);
      }
      break;
    }
    default:
      break;
  }
}

int32_t TerraformStep(TerraformState& state, const RunConfig& config, float dt) {
  TerraformSchedule(state, config, dt);
  return AdvanceTerraformLevel(state, dt);
}
