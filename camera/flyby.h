// The flyby of every automatic frame: it sinks towards the sunlit side and climbs away from it,
// and only sets the zoom command. On the Mars clock it leaves its orbit now and then to pass a
// sunlit moon and comes back to where it left.
#pragma once

#include <cstdint>

#include "camera/camera_state.h"
#include "camera/control_step.h"

enum class VisitPhase : uint8_t { Waiting, Out, Around, Back };

// A visit to a moon: out from the orbit to a point a few moon radii off its sunlit side, a third
// of a turn around it, and back to the orbit's pose.
struct MoonVisit {
  VisitPhase phase;
  float time;        // seconds in this phase; while waiting, since the last visit
  int32_t moon;      // 0 Phobos, 1 Deimos
  CameraPose from;   // the orbit's pose when the visit left it, where it ends
  float side[3];     // the viewpoint's direction from the moon in the moon's own axes
};

// The flyby's memory, in the saver core's record; window thread only.
struct AutoState {
  float previousAlignment;  // camera direction . sun direction in the last frame; starts at 1
  MoonVisit visit;
};
constexpr AutoState kStartFlyby{1.0f, {}};

// Sets the zoom command from whether the camera moves towards the sun side. Automatic mode.
void FlybyStep(AutoState& flyby, InputState& input, const CameraState& cameras);

// On the Mars clock: advances the wait for a visit or the visit itself by dt seconds. While it
// returns true the visit flies the camera (the frame's commands are not carried out); the moons
// are where the camera state's sky last put them.
bool FlybyVisitStep(AutoState& flyby, float dt, CameraState& cameras);
