// The flyby of every automatic frame: it sinks towards the sunlit side and climbs away from it,
// and only sets the zoom command.
#pragma once

// The flyby's memory; window thread only, reset at the start of every run.
struct AutoState {
  float previousAlignment;  // camera direction . sun direction in the last frame; starts at 1
};

extern AutoState gAuto;

void ResetAutoState();
// Sets the zoom command from whether the camera moves towards the sun side. Automatic mode.
void FlybyStep(const struct CameraPose& camera, const struct SpherePoint& sun);
