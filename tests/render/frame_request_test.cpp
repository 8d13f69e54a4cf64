// A frame request's matrices as the globe needs them: the clipping planes hug the globe at the
// request's relief, the view puts the eye at the origin looking down -z, and every view of the
// window keeps the enclosing projection's planes with its own shape.
#include <gtest/gtest.h>

#include "camera/camera_state.h"
#include "render/frame_request.h"

namespace {

// A request for a camera on the +z axis looking at the centre, seen through `views`.
FrameRequest RequestAt(float distance, const FrameViews& views) {
  FrameRequest request{};
  SetSpherical(request.camera.point, distance, 0.0f, 0.0f);
  SetOrientation(request.camera, Vec3{0, 0, -1}, Vec3{0, 1, 0}, Vec3{1, 0, 0});
  SetSpherical(request.sun, 1.0f, 0.0f, 90.0f);
  request.reliefFactor = 10.0f;
  request.topHeight = 45000.0f;
  request.views = views;
  SetFrameMatrices(request);
  return request;
}

// Depth in normalised device coordinates of the point at `distance` in front of the eye.
float DeviceDepth(const Mat4& projection, float distance) {
  Vec4 clip;
  Mat4MulVec4(clip, projection, Vec4{0.0f, 0.0f, -distance, 1.0f});
  return clip.z / clip.w;
}

TEST(FrameRequest, PlanesHugTheGlobeAndEveryViewKeepsThem) {
  const FrameViews whole = WholeWindowView(800, 600, 24.0f, 800.0f / 600.0f);
  const FrameRequest far = RequestAt(27168000.0f, whole);
  // The top of the globe at relief 10 is 3,846,000 m from the centre.
  EXPECT_NEAR(far.nearPlane, (27168000.0f - 3846000.0f) * 0.6f, 2.0f);
  EXPECT_NEAR(far.farPlane, 27168000.0f + 1923000.0f, 2.0f);
  EXPECT_NEAR(DeviceDepth(far.projection, far.nearPlane), -1.0f, 1e-4f);
  EXPECT_NEAR(DeviceDepth(far.projection, far.farPlane), 1.0f, 1e-4f);
  // The planet's centre is straight ahead at the camera's distance; the eye is the origin.
  Vec4 centre;
  Mat4MulVec4(centre, far.view, Vec4{0.0f, 0.0f, 0.0f, 1.0f});
  EXPECT_NEAR(centre.x, 0.0f, 1.0f);
  EXPECT_NEAR(centre.y, 0.0f, 1.0f);
  EXPECT_NEAR(centre.z, -27168000.0f, 4.0f);
  EXPECT_EQ(RequestAt(3400000.0f, whole).nearPlane, 1.0f) << "inside the top of the globe the near plane stays at 1";

  // A landscape and a portrait monitor: the enclosing view holds both, and each view's projection
  // has the enclosing planes with its own field of view and shape.
  FrameViews two{};
  two.count = 2;
  two.views[0] = FrameView{0, 0, 1280, 1024, 24.0f, 1.25f, 1.0f};
  two.views[1] = FrameView{1280, 0, 768, 1024, 32.0f, 0.75f, 1.0f};
  const FrameRequest both = RequestAt(20000000.0f, two);
  EXPECT_GE(both.enclosing.fieldOfView, 32.0f - 1e-4f);
  for (const FrameView& view : {two.views[0], two.views[1]}) {
    const Mat4 p = ViewProjection(both, view);
    EXPECT_NEAR(DeviceDepth(p, both.nearPlane), -1.0f, 1e-4f) << view.x;
    const float cotangent = 1.0f / std::tan(view.fieldOfView * 0.5f * kDegToRad);
    EXPECT_NEAR(p.m[5], cotangent, 1e-4f) << view.x;
    EXPECT_NEAR(p.m[0], cotangent / view.aspect, 1e-4f) << view.x;
  }
}

// A moon is drawn where its depth puts it against the globe's planes: from the start distance
// (27,168 km out on +z) Deimos-sized bodies behind the globe, beside it, before it and behind the eye.
TEST(FrameRequest, MoonsFallBehindAmongOrBeforeTheGlobe) {
  const FrameRequest request = RequestAt(kMaxCameraDistance, WholeWindowView(800, 600, 24.0f, 800.0f / 600.0f));
  const auto layer = [&](float x, float z) {
    MoonBody moon{};
    moon.centre = Vec3{x, 0.0f, z};
    moon.axes[0] = Vec3{1, 0, 0};
    moon.axes[1] = Vec3{0, 1, 0};
    moon.axes[2] = Vec3{0, 0, 1};
    moon.radii[0] = 7800.0f;
    moon.radii[1] = 6000.0f;
    moon.radii[2] = 5100.0f;
    return PlaceMoon(request, moon);
  };
  EXPECT_EQ(layer(0.0f, -23458000.0f).layer, MoonLayer::Behind);
  EXPECT_EQ(layer(6000000.0f, 0.0f).layer, MoonLayer::AmongGlobe);
  const MoonPlacement before = layer(0.0f, 23458000.0f);
  EXPECT_EQ(before.layer, MoonLayer::InFront);
  // Its own planes hug it: 3,710 km in front of the eye, give or take its reach.
  EXPECT_NEAR(0.5f * (before.nearPlane + before.farPlane), kMaxCameraDistance - 23458000.0f, 1.0f);
  EXPECT_LT(before.farPlane - before.nearPlane, 20000.0f);
  EXPECT_EQ(layer(0.0f, kMaxCameraDistance + 50000.0f).layer, MoonLayer::Hidden);
  // The model matrix carries the mesh's unit x to the long radius at the centre.
  const Mat4 model = layer(6000000.0f, 0.0f).model;
  Vec4 tip;
  Mat4MulVec4(tip, model, Vec4{1.0f, 0.0f, 0.0f, 1.0f});
  EXPECT_FLOAT_EQ(tip.x, 6007800.0f);
}

}  // namespace
