// The flyby's zoom rule and the terraforming schedule.
#include "camera/flyby.h"

#include "camera/camera_state.h"
#include "camera/control_step.h"
#include "camera/terraform.h"

AutoState gAuto{1.0f, 0.0f, 0};

namespace {
constexpr float kScheduleDelay = 2.0f;  // seconds of the present look before the first switch
}

void ResetAutoState() { gAuto = AutoState{1.0f, 0.0f, 0}; }

void FlybyStep(const CameraPose& camera, const SpherePoint& sun) {
  const float d = camera.point.distance;
  Vec3 u = PointPosition(camera.point);
  Vec3Scale(u, 1.0f / d);
  const float alignment = u.x * sun.x + u.y * sun.y + u.z * sun.z;
  if (alignment > gAuto.previousAlignment) gInput.zoom = d > gCameraState.minDistance ? -1 : 0;
  else gInput.zoom = d < kMaxCameraDistance ? 1 : 0;
  gAuto.previousAlignment = alignment;
}

void TerraformSchedule(const RunConfig& config, float dt) {
  AutoState& state = gAuto;
  switch (config.terraformMode) {
    case 1:
      if (state.scheduleTime < kScheduleDelay) {
        state.scheduleTime += dt;
      } else if (state.scheduleState == 0) {
        state.scheduleState = 1;
        ToggleTerraformTarget();
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
          ToggleTerraformTarget();
        }
      } else if (state.scheduleTime > kScheduleDelay && state.scheduleState == 0) {
        state.scheduleState = 1;
        ToggleTerraformTarget();
      }
      break;
    }
    default:
      break;
  }
}
