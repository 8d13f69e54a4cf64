// Camera records: the distance limit of the initial view, the start pose and sun, angle wrapping,
// and rotations that keep position, angles and viewing frame in step.
#include "camera/camera_state.h"

#include <gtest/gtest.h>

#include <cmath>

#include "settings/saver_settings.h"
#include "tests/support/test_run.h"

namespace {

TEST(CameraState, InitialViewDistanceLimit) {
  struct Case {
    float width, height;
    uint32_t ppd;
    bool atmosphere;
    float minDistance, topHeight;
  } cases[] = {
      {1024, 768, 8, true, 6652000.0f, 45000.0f},    // 0.75 * 4,320,000 + 3,412,000
      {768, 1024, 8, true, 6652000.0f, 45000.0f},    // portrait: the same ratio
      {1024, 768, 32, true, 3922000.0f, 45000.0f},   // 680,000 per unit of ratio; above 3,862,000
      {1024, 768, 32, false, 3922000.0f, 16000.0f},  // and above 3,572,000
      {1024, 768, 10, true, 6004000.0f, 45000.0f},   // exactly 10 still uses 34,560,000
      {1024, 768, 20, true, 4612000.0f, 45000.0f},   // exactly 20 still uses 32,000,000
      {1024, 768, 21, true, 4189143.0f, 45000.0f},   // above 20: 21,760,000
      {100, 10, 32, true, 3862000.0f, 45000.0f},     // a thin window: the atmosphere limit wins
      {0, 0, 8, true, 7732000.0f, 45000.0f},         // never sized: taken as square, not NaN
  };
  for (const Case& c : cases) {
    gSaverSettings.Atmosphere = c.atmosphere;
    CameraState s{};
    SetupInitialView(s, TestRunConfig(), c.ppd, c.width, c.height);
    EXPECT_NEAR(s.minDistance, c.minDistance, 1.0f) << c.width << "x" << c.height << " ppd " << c.ppd;
    EXPECT_EQ(s.topHeight, c.topHeight);
  }
}

TEST(CameraState, InitialPoseAndSun) {
  const float stored[5] = {335.0f, 347.5f, 0.0f, 12.5f, 25.0f};  // latitudes -25 .. 25 as kept
  for (uint32_t sunPos = 0; sunPos < 5; ++sunPos) {
    gSaverSettings.SunPos = sunPos;
    CameraState s{};
    SetupInitialView(s, TestRunConfig(), 8, 800, 600);
    for (const CameraPose* pose : {&s.camera, &s.heading, &s.initialCamera}) {
      EXPECT_EQ(pose->point.z, kMaxCameraDistance);
      EXPECT_NEAR(pose->point.x, 0.0f, 1e-3f);
      EXPECT_NEAR(pose->point.y, 0.0f, 1e-3f);
      EXPECT_EQ(pose->forward.z, -1.0f);
      EXPECT_EQ(pose->up.y, 1.0f);
      EXPECT_EQ(pose->right.x, 1.0f);
    }
    EXPECT_FLOAT_EQ(s.sun.latitude, stored[sunPos]);
    EXPECT_FLOAT_EQ(s.sun.longitude, 330.0f);
    EXPECT_NEAR(s.sun.x * s.sun.x + s.sun.y * s.sun.y + s.sun.z * s.sun.z, 1.0f, 1e-6f);
    EXPECT_LT(s.sun.x, 0.0f);  // west of +z
    EXPECT_EQ(s.sun.y < -1e-6f, sunPos < 2);
  }
}

TEST(CameraState, AnglesWrapIntoOneTurn) {
  struct Case {
    float in, out;
  } cases[] = {{-25, 335}, {725, 5}, {360, 0}, {-360, 0}, {-1e-8f, 0}, {359.5f, 359.5f},
               {1e7f, 280}, {INFINITY, 0}, {NAN, 0}};
  for (const Case& c : cases) {
    const float wrapped = WrapDegrees(c.in);
    EXPECT_GE(wrapped, 0.0f) << c.in;
    EXPECT_LT(wrapped, 360.0f) << c.in;
    EXPECT_NEAR(wrapped, c.out, 1e-3f) << c.in;
  }
  SpherePoint p{};
  SetSpherical(p, 2.0f, -30.0f, 400.0f);
  EXPECT_FLOAT_EQ(p.latitude, 330.0f);
  EXPECT_FLOAT_EQ(p.longitude, 40.0f);
  EXPECT_NEAR(p.y, -1.0f, 1e-6f);
  EXPECT_NEAR(p.x / p.z, std::tan(40.0f * kDegToRad), 1e-5f);
}

TEST(CameraState, RotationsKeepPositionAnglesAndFrameInStep) {
  struct Case {
    Vec3 axis;
    float angle;
    float latitude, longitude;  // expected after turning the start pose
  } cases[] = {
      {{0, 1, 0}, 90, 0, 90},      // about the polar axis: eastward
      {{0, 1, 0}, -90, 0, 270},
      {{1, 0, 0}, -60, 60, 0},     // northward
      {{1, 0, 0}, 60, 300, 0},     // southward: a southern latitude is kept as 300
      {{1, 0, 0}, 120, 300, 180},  // over the south pole: latitude -60 on the far side
      {{0, 0, 1}, 30, 0, 0},       // about the viewing axis: the position stays
  };
  for (const Case& c : cases) {
    CameraState s{};
    SetupInitialView(s, TestRunConfig(), 8, 800, 600);
    CameraPose pose = s.camera;
    Mat3 turn;
    Mat3Rotation(turn, c.axis, c.angle);
    RotatePose(pose, turn);
    const SpherePoint& p = pose.point;
    EXPECT_NEAR(p.distance, kMaxCameraDistance, 2.0f);
    EXPECT_NEAR(p.latitude, c.latitude, 1e-3f) << c.angle;
    EXPECT_NEAR(p.longitude, c.longitude, 1e-3f) << c.angle;
    // The stored angles rebuild the stored position.
    SpherePoint again = p;
    SetDistance(again, again.distance);
    EXPECT_NEAR(again.x, p.x, 4.0f);
    EXPECT_NEAR(again.y, p.y, 4.0f);
    EXPECT_NEAR(again.z, p.z, 4.0f);
    // Still looking at the centre, with a right-handed frame.
    EXPECT_NEAR(pose.forward.x, -p.x / p.distance, 1e-5f);
    EXPECT_NEAR(pose.forward.y, -p.y / p.distance, 1e-5f);
    EXPECT_NEAR(pose.forward.z, -p.z / p.distance, 1e-5f);
    const Vec3 f = pose.forward, u = pose.up, r = pose.right;
    EXPECT_NEAR(f.y * u.z - f.z * u.y, r.x, 1e-5f);
    EXPECT_NEAR(f.z * u.x - f.x * u.z, r.y, 1e-5f);
    EXPECT_NEAR(f.x * u.y - f.y * u.x, r.z, 1e-5f);
  }
  // On the polar axis itself the longitude is atan2(0, 0) = 0.
  for (float y : {5.0f, -5.0f}) {
    SpherePoint p{9.0f, 1.0f, 2.0f, 0.0f, y, 0.0f};
    Mat3 identity;
    Mat3Rotation(identity, Vec3{0, 1, 0}, 0.0f);
    RotatePosition(p, identity);
    EXPECT_EQ(p.longitude, 0.0f);
    EXPECT_FLOAT_EQ(p.latitude, y > 0 ? 90.0f : 270.0f);
  }
}

}  // namespace
