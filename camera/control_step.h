// Control commands and the per-frame step that turns them into camera, heading and sun motion.
// The key and mouse handlers (manual control) and the flyby (automatic control) only set
// commands; ControlStep applies them, scaled by the measured frame time.
#pragma once

#include <cstdint>

#include "camera/camera_state.h"

// The commands of the run, in the saver core's record; window thread only. Commands persist until
// a key-up, a mouse poll or a request clears them: a held key moves smoothly, a released one stops.
struct InputState {
  int32_t zoom;              // -1 closer, +1 farther
  int32_t horizontalMove;    // -1 left, +1 right (orbit about the heading's up)
  int32_t verticalMove;      // -1 down, +1 up (orbit about the heading's right)
  int32_t yaw;               // +1 turn left, -1 turn right (view only)
  int32_t pitch;             // +1 look up, -1 look down (view only)
  int32_t roll;              // +1 / -1 about the heading's forward
  int32_t relief;            // -1 lower, +1 raise the relief target
  int32_t horizontalCount;   // frames of horizontal mouse motion, 0..15: speeds the motion up
  int32_t verticalCount;     // frames of vertical mouse motion, 0..15
  int32_t wheelDelta;        // last wheel delta, 0 after each poll
  bool wheelActive;          // a wheel notch acts for exactly one frame, at double speed
  bool ctrlHeld;             // from Ctrl's key messages, not the system key state
  bool helpShown;            // the help picture is drawn over the frame
  bool resetRequest;         // back to the initial camera (Home, left button)
  bool cancelRotationRequest;  // undo yaw and pitch (End, right button)
  float reliefTarget;        // relief exaggeration 1..10 handed to the mesh worker each frame
};

constexpr int32_t kMaxMotionCount = 15;
constexpr float kMinRelief = 1.0f, kMaxRelief = 10.0f;

// Applies the commands for a frame of dt seconds (and clears the one-frame requests). capsLock
// doubles most speeds; automatic (the flyby) drifts and slows the motion; moves the camera,
// heading, initial camera (manual mode) and sun, never closer than the minimum distance.
void ControlStep(InputState& input, float dt, bool capsLock, bool automatic, CameraState& cameras);
