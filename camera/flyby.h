// Automatic behaviours of every ready frame: the flyby, which sinks towards the sunlit side and
// climbs away from it, and the terraforming schedule. Both only set commands and flags.
#pragma once

#include "mapdata/run_config.h"

// Schedule and flyby memory; window thread only, reset at the start of every run.
struct AutoState {
  float previousAlignment;  // camera direction . sun direction in the last frame; starts at 1
  float scheduleTime;       // seconds into the schedule (mode 1: up to 2; mode 2: the cycle)
  int scheduleState;        // what the schedule last switched the look to: 0 off, 1 on
};

extern AutoState gAuto;

void ResetAutoState();
// Sets the zoom command from whether the camera moves towards the sun side. Automatic mode.
void FlybyStep(const struct CameraPose& camera, const struct SpherePoint& sun);
// Switches the terraformed look once (2 s after start) or periodically, as the run is configured.
void TerraformSchedule(const RunConfig& config, float dt);
