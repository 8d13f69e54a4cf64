// The flyby's zoom rule.
#include "camera/flyby.h"

#include "camera/camera_state.h"
#include "camera/control_step.h"

AutoState gAuto{1.0f};

void ResetAutoState() { gAuto = AutoState{1.0f}; }

void FlybyStep(const CameraPose& camera, const SpherePoint& sun) {
  const float d = camera.point.distance;
  Vec3 u = PointPosition(camera.point);
  Vec3Scale(u, 1.0f / d);
  const float alignment = u.x * sun.x + u.y * sun.y + u.z * sun.z;
  if (alignment > gAuto.previousAlignment) gInput.zoom = d > gCameraState.minDistance ? -1 : 0;
  else gInput.zoom = d < kMaxCameraDistance ? 1 : 0;
  gAuto.previousAlignment = alignment;
}
