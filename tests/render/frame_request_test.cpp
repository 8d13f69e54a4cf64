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

}  // namespace
