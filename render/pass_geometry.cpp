// The passes' processor-side geometry: sky, sun square and shadow box.
#include "render/pass_geometry.h"

#include <algorithm>
#include <cmath>

#include "math/view_matrices.h"
#include "render/frame_request.h"

namespace {

constexpr float kSunCornerDegrees = 1.0f;  // centre to corner, in latitude
constexpr float kReliefMargin = 16000.0f;  // metres per unit of relief factor around the box

// Each planet's tint: Mercury grey, Venus white, Earth blue, Jupiter cream, Saturn pale gold.
constexpr float kPlanetTints[kPlanetCount][3] = {
    {0.85f, 0.80f, 0.75f}, {1.0f, 0.98f, 0.90f}, {0.70f, 0.82f, 1.0f}, {1.0f, 0.94f, 0.82f}, {1.0f, 0.90f, 0.66f}};
// Brightness by magnitude as the star colours have it: full at Sirius (-1.46), then a tenth of the
// real fall a magnitude, never below a quarter.
constexpr float kSaturatedMagnitude = -1.46f;
constexpr float kMagnitudeContrast = 0.2f;
constexpr float kFaintestShare = 0.25f;

}  // namespace

PlanetPoint PlanetPointOf(int planet, float magnitude) {
  const float fall = std::pow(10.0f, -0.4f * kMagnitudeContrast * std::max(0.0f, magnitude - kSaturatedMagnitude));
  const float level = std::max(kFaintestShare, fall);
  const float* tint = kPlanetTints[planet];
  return PlanetPoint{{tint[0] * level, tint[1] * level, tint[2] * level, level}, magnitude < 0.0f ? 3.0f : 2.0f};
}

Mat4 SkyProjection(float fieldOfView, float aspect) { return Perspective(fieldOfView, aspect, kSkyNear, kSkyFar); }

Mat4 SkyView(const Mat4& cameraView) {
  Mat4 skyView = cameraView;
  skyView.m[3] = skyView.m[7] = skyView.m[11] = 0.0f;
  return skyView;
}

void SunDiscCorners(const Vec3& light, float skyRadius, Vec3 corners[4]) {
  Mat3 quarterTurn;
  Mat3Rotation(quarterTurn, light, 90.0f);
  Vec3 centre = light;
  Vec3Scale(centre, skyRadius);
  SphereCoords s;
  Vec3ToSphere(s, centre);
  s.lat += kSunCornerDegrees;
  Vec3 corner;
  SphereToVec3(corner, s);
  Vec3 edges[4];
  edges[0] = Vec3{corner.x - centre.x, corner.y - centre.y, corner.z - centre.z};
  for (int i = 1; i < 4; ++i) Mat3MulVec3(edges[i], quarterTurn, edges[i - 1]);
  for (int i = 0; i < 4; ++i) corners[i] = Vec3{centre.x + edges[i].x, centre.y + edges[i].y, centre.z + edges[i].z};
}

Mat4 ShadowProjection(const MeshSlot& slot, const SkyBodies& sky) {
  const MeshRanges& r = slot.ranges;
  const float s = kReliefMargin * slot.inputs.reliefFactor;
  const float left = r.lightMinX - s, right = r.lightMaxX + s, bottom = r.lightMinY - s, top = r.lightMaxY + s;
  float nearPlane = -r.lightMaxZ - s;
  for (const MoonBody& moon : sky.moons) {
    if (!sky.shown) break;
    Vec4 p;
    Mat4MulVec4(p, slot.inputs.lightView, Vec4{moon.centre.x, moon.centre.y, moon.centre.z, 1.0f});
    const float reach = MoonReach(moon);
    if (p.x + reach < left || p.x - reach > right || p.y + reach < bottom || p.y - reach > top) continue;
    nearPlane = std::min(nearPlane, -p.z - reach);
  }
  return Orthographic(left, right, bottom, top, nearPlane, s - r.lightMinZ);
}

Mat4 ShadowTextureMatrix(const MeshSlot& slot, const SkyBodies& sky) {
  Mat4 half;
  Mat4Identity(half);
  half.m[0] = half.m[5] = half.m[10] = 0.5f;
  half.m[3] = half.m[7] = half.m[11] = 0.5f;
  return Mat4Multiply(Mat4Multiply(half, ShadowProjection(slot, sky)), slot.inputs.lightView);
}
