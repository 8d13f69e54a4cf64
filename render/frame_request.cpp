// The matrices of a frame request, worked out on the processor from its camera, sun and views.
#include "render/frame_request.h"

#include <algorithm>
#include <cmath>

#include "mapdata/map_formats.h"
#include "math/view_matrices.h"

namespace {

constexpr float kNearFactor = 0.6f;  // near plane at 60% of the distance to the top of the globe
constexpr float kFarFactor = 0.5f;   // far plane half a top radius behind the centre

// The shadow camera: on the sun direction at the camera's distance, looking at the planet's
// centre with +y up.
Mat4 LightView(const CameraPose& camera, const SpherePoint& sun) {
  const double d = camera.point.distance;
  const Vec3 eye{static_cast<float>(d * sun.x), static_cast<float>(d * sun.y), static_cast<float>(d * sun.z)};
  return LookAt(eye, Vec3{0.0f, 0.0f, 0.0f}, Vec3{0.0f, 1.0f, 0.0f});
}

}  // namespace

FrameView EnclosingView(const FrameViews& views) {
  double tanHigh = 0.0, tanWide = 0.0;  // half-extents at unit distance
  for (int32_t i = 0; i < views.count; ++i) {
    const double t = std::tan(views.views[i].fieldOfView * 0.5 * kDegToRad);
    tanHigh = std::max(tanHigh, t);
    tanWide = std::max(tanWide, t * views.views[i].aspect);
  }
  for (int32_t i = 0; i < views.count; ++i) {
    const FrameView& v = views.views[i];
    const double t = std::tan(v.fieldOfView * 0.5 * kDegToRad);
    if (t >= tanHigh && t * v.aspect >= tanWide) return v;
  }
  FrameView enclosing = views.views[0];
  enclosing.fieldOfView = static_cast<float>(2.0 * std::atan(tanHigh) / kDegToRad);
  enclosing.aspect = static_cast<float>(tanWide / tanHigh);
  return enclosing;
}

void SetRequestScene(FrameRequest& request, const CameraState& cameras, float reliefFactor, int32_t terraformLevel,
                     const QualityLevel& quality) {
  request.camera = cameras.camera;
  request.sun = cameras.sun;
  request.spinAngle = cameras.spinAngle;
  request.sky = cameras.sky;
  request.topHeight = cameras.topHeight;
  request.reliefFactor = reliefFactor;
  request.terraformLevel = terraformLevel;
  request.quality = quality;
}

void SetFrameMatrices(FrameRequest& request) {
  const CameraPose& camera = request.camera;
  const float distance = camera.point.distance;
  // From just above the highest point of the globe to behind its centre.
  const float top = kReferenceRadius + request.reliefFactor * request.topHeight;
  request.nearPlane = std::max(1.0f, (distance - top) * kNearFactor);
  request.farPlane = distance + kFarFactor * top;
  request.enclosing = EnclosingView(request.views);
  request.projection =
      Perspective(request.enclosing.fieldOfView, request.enclosing.aspect, request.nearPlane, request.farPlane);
  const Vec3 eye = PointPosition(camera.point);
  request.view = LookAt(eye, Add(eye, Scaled(camera.forward, kLookAtDistance)), camera.up);
  request.lightView = LightView(camera, request.sun);
}

Mat4 ViewProjection(const FrameRequest& request, const FrameView& view) {
  Mat4 m = request.projection;
  if (view.fieldOfView != request.enclosing.fieldOfView || view.aspect != request.enclosing.aspect) {
    const double cotangent = 1.0 / std::tan(view.fieldOfView * 0.5 * kDegToRad);
    m.m[0] = static_cast<float>(cotangent / view.aspect);
    m.m[5] = static_cast<float>(cotangent);
  }
  return m;
}

Mat4 MoonModel(const MoonBody& moon) {
  Mat4 m{};
  for (int axis = 0; axis < 3; ++axis) {
    const Vec3 column = Scaled(moon.axes[axis], moon.radii[axis]);
    m.m[axis] = column.x;
    m.m[4 + axis] = column.y;
    m.m[8 + axis] = column.z;
  }
  m.m[3] = moon.centre.x;
  m.m[7] = moon.centre.y;
  m.m[11] = moon.centre.z;
  m.m[15] = 1.0f;
  return m;
}

float MoonReach(const MoonBody& moon) { return 1.1f * moon.radii[0]; }

MoonPlacement PlaceMoon(const FrameRequest& request, const MoonBody& moon) {
  MoonPlacement placement{MoonLayer::Hidden, MoonModel(moon), 0.0f, 0.0f};
  // Distance in front of the eye: the view's third row gives the eye-space z, which looks down -z.
  const float* row = &request.view.m[8];
  const float depth = -(row[0] * moon.centre.x + row[1] * moon.centre.y + row[2] * moon.centre.z + row[3]);
  const float reach = MoonReach(moon);
  if (depth + reach <= 1.0f) return placement;
  placement.nearPlane = std::max(1.0f, depth - reach);
  placement.farPlane = depth + reach;
  if (depth - reach > request.farPlane) placement.layer = MoonLayer::Behind;
  else if (depth - reach < request.nearPlane) placement.layer = MoonLayer::InFront;
  else placement.layer = MoonLayer::AmongGlobe;
  return placement;
}
