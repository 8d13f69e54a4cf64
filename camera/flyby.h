// The flyby of every automatic frame: it sinks towards the sunlit side and climbs away from it,
// and only sets the zoom command.
#pragma once

#include "camera/camera_state.h"
#include "camera/control_step.h"

// The flyby's memory, in the saver core's record; window thread only.
struct AutoState {
  float previousAlignment;  // camera direction . sun direction in the last frame; starts at 1
};
constexpr AutoState kStartFlyby{1.0f};

// Sets the zoom command from whether the camera moves towards the sun side. Automatic mode.
void FlybyStep(AutoState& flyby, InputState& input, const CameraState& cameras);
