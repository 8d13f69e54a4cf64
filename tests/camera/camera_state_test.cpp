// Camera records: the distance limit of the initial view, the start pose and sun, angle wrapping
// and the rotations that keep position, angles and viewing frame in step.
#include "camera/camera_state.h"

#include <gtest/gtest.h>

#include <cmath>

#include "mapdata/map_data.h"
#include "settings/saver_settings.h"

namespace {

TEST(CameraState, InitialViewDistanceLimit) {
  struct Case {
    float width, height;
    uint32_t ppd;
    bool atmosphere;
    float minDistance, topHeight;
  } cases[] = {
      {1024, 768, 8, true, 6652000.0f, 45000.0f},   // 0.75 * 4,320,000 + 3,412,000
      {768, 1024, 8, true, 6652000.0f, 45000.0f},   // portrait: the same ratio
      {1024, 768, 32, true, 3922000.0f, 45000.0f},  // 680,000 per unit of ratio; above 3,862,000
      {1024, 768, 32, false, 3922000.0f, 16000.0f}, // and above 3,572,000
      {1024, 768, 10, true, 6004000.0f, 45000.0f},  // exactly 10 still uses 34,560,000
      {1024, 768, 20, true, 4612000.0f, 45000.0f},  // exactly 20 still uses 32,000,000
      {1024, 768, 21, true, 4189143.0f, 45000.0f},  // above 20: 21,760,000
      {100, 10, 32, true, 3862000.0f, 45000.0f},    // a thin window: the atmosphere limit wins
      {0, 0, 8, true, 7732000.0f, 45000.0f},        // never sized: taken as square, not NaN
  };
  for (const Case& c : cases) {
    gMapData.ppd = c.ppd;
    gSaverSettings.Atmosphere = c.atmosphere;
    SetupInitialView(c.width, c.height);
    EXPECT_NEAR(gCameraState.minDistance, c.minDistance, 1.0f) << c.width << "x" << c.height << " ppd " << c.ppd;
    EXPECT_EQ(gCameraState.topHeight, c.topHeight);
  }
}

TEST(CameraState, InitialPoseAndSun) {
  struct Case {
    uint32_t sunPos;
    float latitude;  // as stored
  } cases[] = {{0, 335.0f}, {1, 347.5f}, {2, 0.0f}, {3, 12.5f}, {4, 25.0f}};
  for (const Case& c : cases) {
    gMapData.ppd = 8;
    gSaverSettings.SunPos = c.sunPos;
    SetupInitialView(800, 600);
    const CameraState& s = gCameraState;
    for (const CameraPose* pose : {&s.camera, &s.heading, &s.initialCamera}) {
      EXPECT_EQ(pose->point.distance, kMaxCameraDistance);
      EXPECT_NEAR(pose->point.x, 0.0f, 1e-3f);
      EXPECT_NEAR(pose->point.y, 0.0f, 1e-3f);
      EXPECT_EQ(pose->point.z, kMaxCameraDistance);
      EXPECT_EQ(pose->forward.z, -1.0f);
      EXPECT_EQ(pose->up.y, 1.0f);
      EXPECT_EQ(pose->right.x, 1.0f);
    }
    EXPECT_FLOAT_EQ(s.sun.latitude, c.latitude) << "SunPos " << c.sunPos;
    EXPECT_FLOAT_EQ(s.sun.longitude, 330.0f);
    EXPECT_NEAR(std::sqrt(s.sun.x * s.sun.x + s.sun.y * s.sun.y + s.sun.z * s.sun.z), 1.0f, 1e-6f);
    // The sun lies west of the +z axis and on the side of the equator its latitude says.
    EXPECT_LT(s.sun.x, 0.0f);
    EXPECT_EQ(s.sun.y < -1e-6f, c.sunPos < 2);
  }
}

TEST(CameraState, AnglesWrapIntoOneTurn) {
  struct Case {
    float in, out;
  } cases[] = {{-25, 335},       {725, 5},   {360, 0},          {0, 0},          {-360, 0},
               {-1e-8f, 0},      {359.5f, 359.5f}, {1e7f, 280}, {INFINITY, 0}, {NAN, 0}};
  for (const Case& c : cases) {
    const float wrapped = WrapDegrees(c.in);
    EXPECT_GE(wrapped, 0.0f) << c.in;
    EXPECT_LT(wrapped, 360.0f) << c.in;
    EXPECT_NEAR(wrapped, c.out, 1e-3f) << c.in;
  }
}

TEST(CameraState, RotationsKeepPositionAnglesAndFrameInStep) {
  struct Case {
    Vec3 axis;
    float angle;
    float latitude, longitude;  // expected after turning the start pose
  } cases[] = {
      {{0, 1, 0}, 90, 0, 90},    // about the polar axis: eastward
      {{0, 1, 0}, -90, 0, 270},
      {{1, 0, 0}, -60, 60, 0},   // northward
      {{1, 0, 0}, 60, 300, 0},   // southward: a southern latitude is kept as 300
      {{1, 0, 0}, 120, 300, 180},  // over the south pole: latitude -60 on the far side
      {{0, 0, 1}, 30, 0, 0},     // about the viewing axis: the position stays
  };
  for (const Case& c : cases) {
    gMapData.ppd = 8;
    SetupInitialView(800, 600);
    CameraPose pose = gCameraState.camera;
    Mat3 turn;
    Mat3Rotation(turn, c.axis, c.angle);
    RotatePose(pose, turn);
    EXPECT_NEAR(pose.point.distance, kMaxCameraDistance, 2.0f);
    EXPECT_NEAR(pose.point.latitude, c.latitude, 1e-3f) << c.angle;
    EXPECT_NEAR(pose.point.longitude, c.longitude, 1e-3f) << c.angle;
    // The stored angles rebuild the stored position.
    SpherePoint again = pose.point;
    SetDistance(again, again.distance);
    EXPECT_NEAR(again.x, pose.point.x, 4.0f);
    EXPECT_NEAR(again.y, pose.point.y, 4.0f);
    EXPECT_NEAR(again.z, pose.point.z, 4.0f);
    // Still looking at the centre: forward is minus the unit position, and the frame is right-handed.
    const float d = pose.point.distance;
    EXPECT_NEAR(pose.forward.x, -pose.point.x / d, 1e-5f);
    EXPECT_NEAR(pose.forward.y, -pose.point.y / d, 1e-5f);
    EXPECT_NEAR(pose.forward.z, -pose.point.z / d, 1e-5f);
    const Vec3 f = pose.forward, u = pose.up, r = pose.right;
    EXPECT_NEAR(f.y * u.z - f.z * u.y, r.x, 1e-5f);
    EXPECT_NEAR(f.z * u.x - f.x * u.z, r.y, 1e-5f);
    EXPECT_NEAR(f.x * u.y - f.y * u.x, r.z, 1e-5f);
  }
}

TEST(CameraState, PolarAxisGivesLongitudeZero) {
  for (float y : {5.0f, -5.0f}) {
    SpherePoint p{9.0f, 1.0f, 2.0f, 0.0f, y, 0.0f};
    Mat3 identity;
    Mat3Rotation(identity, Vec3{0, 1, 0}, 0.0f);
    RotatePosition(p, identity);
    EXPECT_EQ(p.longitude, 0.0f);
    EXPECT_FLOAT_EQ(p.latitude, y > 0 ? 90.0f : 270.0f);
    EXPECT_FLOAT_EQ(p.distance, 5.0f);
  }
}

TEST(CameraState, SphericalAndOrientationOperations) {
  SpherePoint p{};
  SetSpherical(p, 2.0f, -30.0f, 400.0f);
  EXPECT_FLOAT_EQ(p.latitude, 330.0f);
  EXPECT_FLOAT_EQ(p.longitude, 40.0f);
  EXPECT_NEAR(p.y, -1.0f, 1e-6f);
  SetDistance(p, 4.0f);
  EXPECT_NEAR(p.y, -2.0f, 1e-6f);
  EXPECT_NEAR(std::sqrt(p.x * p.x + p.z * p.z), 4.0f * std::cos(30.0f * kDegToRad), 1e-5f);
  EXPECT_NEAR(p.x / p.z, std::tan(40.0f * kDegToRad), 1e-5f);

  CameraPose a{}, b{};
  SetSpherical(a.point, 5.0f, 10.0f, 20.0f);
  SetOrientation(b, Vec3{1, 0, 0}, Vec3{0, 0, 1}, Vec3{0, -1, 0});
  CopyOrientation(a, b);
  EXPECT_EQ(a.point.distance, 5.0f);  // the position stays
  EXPECT_EQ(a.up.z, 1.0f);
  Mat3 turn;
  Mat3Rotation(turn, Vec3{0, 0, 1}, 90.0f);
  RotateOrientation(a, turn);
  EXPECT_NEAR(a.forward.y, 1.0f, 1e-6f);
  EXPECT_NEAR(a.right.x, 1.0f, 1e-6f);
  EXPECT_EQ(a.point.latitude, 10.0f);  // orientation only
}

}  // namespace
