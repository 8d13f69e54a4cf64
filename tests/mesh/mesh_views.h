// Cameras for the mesh tests and benchmark: view matrices as gluLookAt builds them, and the camera
// values a frame hands the mesh worker, so the tests drive the passes the way the renderer does.
#pragma once

#include <cmath>

#include "camera/camera_state.h"
#include "math/vector_math.h"
#include "mesh/mesh_slot.h"
#include "mesh/visible_region.h"

// A camera position from distance and angles (degrees).
inline Vec3 Place(float distance, float latitude, float longitude) {
  Vec3 p;
  SphereToVec3(p, SphereCoords{distance, latitude, longitude});
  return p;
}

// Column-major view matrix looking along `forward` with `up` as near as possible to up.
inline void ViewAlong(float out[16], const Vec3& eye, const Vec3& forward, const Vec3& up) {
  const Vec3 f = Normalized(forward);
  const Vec3 s = Normalized(Cross(f, up));
  const Vec3 u = Cross(s, f);
  const float m[16] = {s.x, u.x, -f.x, 0, s.y, u.y, -f.y, 0, s.z, u.z, -f.z, 0, -Dot(s, eye), -Dot(u, eye), Dot(f, eye), 1};
  for (int i = 0; i < 16; ++i) out[i] = m[i];
}

// gluLookAt's matrix.
inline void LookAt(float out[16], const Vec3& eye, const Vec3& centre, const Vec3& up) {
  ViewAlong(out, eye, Sub(centre, eye), up);
}

// The camera a frame hands the worker with its inputs: angles in [0, 360) as the camera keeps them.
inline CameraPose PoseAt(const Vec3& eye) {
  SphereCoords s;
  Vec3ToSphere(s, eye);
  CameraPose pose{};
  pose.point = SpherePoint{s.r, s.lat, s.lon, eye.x, eye.y, eye.z};
  return pose;
}

// What the worker derives from a camera and a view matrix, for calling a pass directly.
inline BuildView ViewFor(const float view[16], const Vec3& eye, float aspect, float relief) {
  SphereCoords s;
  Vec3ToSphere(s, eye);
  FoldLatLon(s.lat, s.lon);
  BuildView v{};
  v.distance = s.r;
  v.latitude = s.lat;
  v.longitude = s.lon;
  v.position = eye;
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) v.rotation.m[3 * i + j] = view[4 * i + j];
  v.aspect = aspect;
  v.relief = relief;
  return v;
}

// The inputs a frame writes into a slot for a camera at `eye` with the given (column-major) view
// matrix, drawn without shadows.
inline void FillSlotInputs(MeshSlot& slot, const float view[16], const Vec3& eye, float fieldOfView, float aspect,
                           int32_t level, float relief) {
  MeshInputs& inputs = slot.inputs;
  Mat4 columns;
  for (int i = 0; i < 16; ++i) columns.m[i] = view[i];
  Mat4Transpose(inputs.view, columns);
  inputs.camera = PoseAt(eye);
  inputs.fieldOfView = fieldOfView;
  inputs.aspect = aspect;
  inputs.terraformLevel = level;
  inputs.reliefFactor = relief;
  inputs.limitShift = 0;
  inputs.shadowed = false;
}

// The shadow camera (a column-major view matrix) of a slot drawn with shadows.
inline void SetSlotLight(MeshSlot& slot, const float light[16]) {
  Mat4 columns;
  for (int i = 0; i < 16; ++i) columns.m[i] = light[i];
  Mat4Transpose(slot.inputs.lightView, columns);
  slot.inputs.shadowed = true;
}
