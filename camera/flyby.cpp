// The flyby's zoom rule.
#include "camera/flyby.h"

#include "camera/camera_state.h"
#include "camera/control_step.h"

void FlybyStep(AutoState& flyby, InputState& input, const CameraState& cameras) {
  const CameraPose& camera = cameras.camera;
  const SpherePoint& sun = cameras.sun;
  const float d = camera.point.distance;
  Vec3 u = PointPosition(camera.point);
  Vec3Scale(u, 1.0f / d);
  const float alignment = u.x * sun.x + u.y * sun.y + u.z * sun.z;
  if (alignment > flyby.previousAlignment) input.zoom = d > cameras.minDistance ? -1 : 0;
  else input.zoom = d < kMaxCameraDistance ? 1 : 0;
  flyby.previousAlignment = alignment;
}
