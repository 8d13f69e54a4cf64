// ControlStep: requests, relief, roll, yaw, pitch, orbit, zoom and the sun's spin, in that order.
#include "camera/control_step.h"

namespace {

// The orbit slows to nothing 3,037,500 m from the centre (just under the surface) and zooming
// 1,687,500 m from it, so neither can carry the camera into the planet in one long frame.
constexpr float kOrbitStopDistance = 3037500.0f;
constexpr float kZoomStopDistance = 1687500.0f;
constexpr float kOrbitRate = 0.3f;        // radians per second far away
constexpr float kZoomRate = 0.34f;        // of the distance to the zoom stop, per second
constexpr float kTurnRate = 7.0f;         // yaw and pitch, degrees per second
constexpr float kRollRate = -15.0f;       // degrees per second
constexpr float kReliefRate = 2.0f;       // relief units per second
constexpr float kSpinRate = -0.5f;        // the sun's turn about the pole, degrees per second
constexpr float kDriftRate = -0.25f;      // automatic mode: the view's drift about +z
constexpr Vec3 kPolarAxis{0.0f, 1.0f, 0.0f};
constexpr Vec3 kDriftAxis{0.0f, 0.0f, 1.0f};

void StopMotion(InputState& input) {
  input.zoom = input.horizontalMove = input.verticalMove = 0;
  input.yaw = input.pitch = input.roll = 0;
}

// Mouse motion held over several frames speeds up to twice the key speed.
float CountFactor(int32_t count) { return count > 0 ? 2.0f * static_cast<float>(count) / kMaxMotionCount : 1.0f; }

Mat3 Rotation(const Vec3& axis, float degrees) {
  Mat3 m;
  Mat3Rotation(m, axis, degrees);
  return m;
}

// Manual control leans moves and rolls by the axis' polar component, so the horizon slowly
// levels; the flyby moves at half speed instead.
float MoveAngle(float theta, float dt, const Vec3& axis, bool automatic) {
  return automatic ? theta * 0.5f : theta + 0.5f * dt * axis.y;
}

float OrbitRate(float distance, bool capsLock, int32_t count) {
  const float closeness = 1.0f - kOrbitStopDistance / distance;
  float omega = closeness * closeness * kOrbitRate;
  if (capsLock) omega *= 2.0f;
  return omega * CountFactor(count);
}

}  // namespace

namespace {

// Home and End (or the mouse buttons): back to the start pose, or undo yaw and pitch.
void ApplyRequests(InputState& input, CameraPose& camera, CameraPose& heading, const CameraPose& initialCamera) {
  if (input.resetRequest) {
    input.resetRequest = false;
    StopMotion(input);
    heading = initialCamera;
    camera = heading;
  }
  if (input.cancelRotationRequest) {
    input.cancelRotationRequest = false;
    StopMotion(input);
    CopyOrientation(camera, heading);
  }
}

void StepRelief(InputState& input, float dt, float fast) {
  if (input.relief == 0) return;
  const float step = dt * kReliefRate * fast;
  if (input.relief > 0 && input.reliefTarget < kMaxRelief) {
    input.reliefTarget = input.reliefTarget + step > kMaxRelief ? kMaxRelief : input.reliefTarget + step;
  } else if (input.relief < 0 && input.reliefTarget > kMinRelief) {
    input.reliefTarget = input.reliefTarget - step < kMinRelief ? kMinRelief : input.reliefTarget - step;
  }
}

// Roll about the heading, yaw and pitch of the view alone.
void StepTurns(const InputState& input, float dt, float fast, bool automatic, CameraPose& camera,
               CameraPose& heading) {
  if (input.roll != 0) {
    const Vec3 axis = heading.forward;
    float theta = static_cast<float>(input.roll) * kRollRate * dt * fast;
    if (input.wheelActive) theta *= 2.0f;
    theta = automatic ? theta * 0.1f : theta + 0.5f * dt * axis.y;
    const Mat3 roll = Rotation(axis, theta);
    RotateOrientation(heading, roll);
    RotateOrientation(camera, roll);
  }
  if (input.yaw != 0) {
    const float theta = static_cast<float>(input.yaw) * kTurnRate * dt * fast * CountFactor(input.horizontalCount);
    RotateOrientation(camera, Rotation(camera.up, theta));
  }
  if (input.pitch != 0) {
    const float theta = static_cast<float>(input.pitch) * kTurnRate * dt * fast * CountFactor(input.verticalCount);
    RotateOrientation(camera, Rotation(camera.right, theta));
  }
}

// Turns camera and heading about `axis` by an angle in degrees (the manual orbit adds the drift
// of MoveAngle).
void Orbit(float signedAngle, float dt, const Vec3& axis, bool automatic, CameraPose& camera, CameraPose& heading) {
  const Mat3 move = Rotation(axis, MoveAngle(signedAngle, dt, axis, automatic));
  RotateOrientation(heading, move);
  RotatePose(camera, move);
}

void StepOrbits(const InputState& input, float dt, bool capsLock, bool automatic, CameraPose& camera,
                CameraPose& heading) {
  if (input.verticalMove != 0) {
    const float omega = OrbitRate(camera.point.distance, capsLock, input.verticalCount);
    const Vec3 axis = heading.right;
    Orbit(-static_cast<float>(input.verticalMove) * kRadToDeg * omega * dt, dt, axis, automatic, camera, heading);
  }
  if (input.horizontalMove != 0) {
    const float omega = OrbitRate(camera.point.distance, capsLock, input.horizontalCount);
    const Vec3 axis = heading.up;
    Orbit(static_cast<float>(input.horizontalMove) * kRadToDeg * omega * dt, dt, axis, automatic, camera, heading);
  }
}

void StepZoom(const InputState& input, float dt, float fast, bool automatic, float minDistance, CameraPose& camera) {
  if (input.zoom == 0) return;
  const float d = camera.point.distance;
  float rate = (d - kZoomStopDistance) * kZoomRate * fast;
  if (input.wheelActive) rate *= 2.0f;
  if (automatic) rate *= 0.2f;
  float next = d;
  if (input.zoom < 0) {
    next = d - rate * dt;
    if (next < minDistance) next = minDistance;
  } else {
    next = d + rate * dt;
    if (next > kMaxCameraDistance) next = kMaxCameraDistance;
  }
  SetDistance(camera.point, next);
}

// The planet turns under the sun and the stars; in manual control the poses turn with it.
void StepSpin(float dt, bool automatic, CameraPose& camera, CameraPose& heading, CameraPose& initialCamera,
              SpherePoint& sun, float& spinAngle) {
  spinAngle = WrapDegrees(spinAngle + kSpinRate * dt);
  const Mat3 spin = Rotation(kPolarAxis, kSpinRate * dt);
  if (!automatic) {
    // The start pose turns with the sun, so a reset finds the sun where it stood at the start.
    RotateOrientation(heading, spin);
    RotatePose(initialCamera, spin);
    RotatePose(camera, spin);
  }
  RotatePosition(sun, spin);
}

}  // namespace

void ControlStep(InputState& input, float dt, bool capsLock, bool automatic, CameraState& cameras) {
  CameraPose& camera = cameras.camera;
  CameraPose& heading = cameras.heading;
  CameraPose& initialCamera = cameras.initialCamera;
  const float fast = capsLock ? 2.0f : 1.0f;
  ApplyRequests(input, camera, heading, initialCamera);
  StepRelief(input, dt, fast);
  if (automatic) {
    const Mat3 drift = Rotation(kDriftAxis, kDriftRate * dt);
    RotateOrientation(heading, drift);
    RotatePose(camera, drift);
  }
  StepTurns(input, dt, fast, automatic, camera, heading);
  StepOrbits(input, dt, capsLock, automatic, camera, heading);
  StepZoom(input, dt, fast, automatic, cameras.minDistance, camera);
  // On the Mars clock the sun and stars move with the clock instead (the saver core sets them).
  if (!cameras.clockSun) StepSpin(dt, automatic, camera, heading, initialCamera, cameras.sun, cameras.spinAngle);
}
