// The guided tour flown through a whole round of the built-in landmarks at 30 frames a second,
// over a relief exaggerated 10 times with a ridge 600 km high across its path: every landmark is
// circled once, centred in an oblique view framed by its size and lit by a low sun while its
// caption shows, and the camera never comes closer than the minimum distance, never into the
// ground and never jumps.
#include "camera/tour.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>
#include <string>
#include <vector>

#include "mapdata/map_formats.h"
#include "settings/saver_settings.h"
#include "tests/support/test_run.h"

namespace {

constexpr float kExaggeration = 10.0f;
constexpr float kRidgeLongitude = 195.0f;  // east: crossed where the camera flies lowest, 19 degrees from any landmark
constexpr float kRidgeHeight = 60000.0f;   // metres before exaggeration
constexpr float kRidgeWidth = 1.0f;        // degrees
constexpr float kFrameRate = 30.0f;
constexpr float kLongestRun = 3000.0f;     // seconds: far more than one round takes

float AngleBetween(const Vec3& a, const Vec3& b) {
  return std::atan2(Length(Cross(a, b)), Dot(a, b)) * kRadToDeg;
}

// Degrees of arc from a point to the ridge, a half meridian from pole to pole.
float RidgeDistance(float latitude, float longitude) {
  const Vec3 p = UnitAt(latitude, longitude), east = UnitAt(0.0f, kRidgeLongitude);
  const Vec3 across = Normalized(Cross(Vec3{0.0f, 1.0f, 0.0f}, east));
  return Dot(p, east) >= 0.0f ? std::asin(std::fabs(Dot(p, across))) * kRadToDeg
                              : std::acos(std::fabs(p.y)) * kRadToDeg;
}

float RidgeGround(const void*, float latitude, float longitude) {
  const float d = RidgeDistance(latitude, longitude) / kRidgeWidth;
  return kExaggeration * kRidgeHeight * std::exp(-d * d);
}

float GroundUnder(const Vec3& position) {
  float latitude = 0.0f, longitude = 0.0f;
  LatitudeLongitudeOf(Normalized(position), latitude, longitude);
  return RidgeGround(nullptr, latitude, longitude);
}

// What one frame of a visit must show: the landmark centred, seen obliquely, filling a fair part
// of the picture (unless the minimum distance or the ridge holds the camera back; the largest
// more than fill it), lit by a sun
// low in its sky that stands still while the caption shows. Empty when all holds.
std::string CheckVisit(const Landmark& landmark, const CameraPose& camera, const Vec3& sun, const Vec3& visitSun,
                       float minDistance) {
  const Vec3 up = UnitAt(landmark.latitude, landmark.longitude);
  const Vec3 place = Scaled(up, kReferenceRadius + RidgeGround(nullptr, landmark.latitude, landmark.longitude));
  const Vec3 position = PointPosition(camera.point);
  const Vec3 toPlace = Sub(place, position);
  const float slant = Length(toPlace);
  const float offCentre = AngleBetween(camera.forward, toPlace);
  const float fromVertical = AngleBetween(Scaled(toPlace, -1.0f), up);
  const float sunElevation = std::asin(Dot(sun, up)) * kRadToDeg;
  const float spans = 2.0f * std::atan(500.0f * landmark.sizeKm / slant) * kRadToDeg;
  float latitude = 0.0f, longitude = 0.0f;
  LatitudeLongitudeOf(Normalized(position), latitude, longitude);
  const bool heldBack = camera.point.distance < minDistance + 1000.0f || RidgeDistance(latitude, longitude) < 6.0f;
  std::string wrong;
  if (offCentre > 0.5f) wrong += " off centre by " + std::to_string(offCentre);
  if (fromVertical < 20.0f || fromVertical > 75.0f) wrong += " seen " + std::to_string(fromVertical) + " from the vertical";
  if (sunElevation < 10.0f || sunElevation > 25.0f) wrong += " sun at " + std::to_string(sunElevation);
  if (AngleBetween(sun, visitSun) > 1e-3f) wrong += " sun moved";
  if (spans > 60.0f || (!heldBack && spans < 8.0f)) wrong += " spans " + std::to_string(spans) + " degrees";
  return wrong.empty() ? wrong : std::string(landmark.name) + ":" + wrong;
}

// The largest error of the viewing frame (unit, square, right = forward x up) and of the point's
// angles against its position.
float FrameError(const CameraPose& camera) {
  const Vec3 right = Cross(camera.forward, camera.up);
  Vec3 fromAngles;
  SphereToVec3(fromAngles, PointSpherical(camera.point));
  return std::max({std::fabs(Length(camera.forward) - 1.0f), std::fabs(Length(camera.up) - 1.0f),
                   std::fabs(Dot(camera.forward, camera.up)), Length(Sub(right, camera.right)),
                   Length(Sub(fromAngles, PointPosition(camera.point))) / camera.point.distance});
}

TEST(Tour, VisitsEveryLandmarkClearOfTheGroundInLowSun) {
  static LandmarkTable table;
  char error[kLandmarkErrorSize] = "";
  ASSERT_TRUE(LoadBuiltInLandmarks(table, error, sizeof(error))) << error;
  gSaverSettings.Atmosphere = true;
  // Level 32, the finest, lets the camera closest: 3,922,000 m on a 4:3 screen.
  CameraState cameras{};
  SetupInitialView(cameras, TestRunConfig(), 32, 1024, 768);
  const float minDistance = cameras.minDistance;
  CameraPose camera = cameras.camera;
  SpherePoint sun = cameras.sun;
  float spinAngle = 0.0f;
  const TourTerrain terrain{RidgeGround, nullptr};
  TourState tour;
  ASSERT_TRUE(StartTour(tour, table, minDistance, terrain, camera, sun));

  std::vector<int32_t> order;  // landmarks in the order their captions appeared
  std::vector<std::string> wrongVisits;
  float lowest = kMaxCameraDistance, leastClearance = kMaxCameraDistance, highestGroundUnder = 0.0f;
  float longestMove = 0.0f, widestTurn = 0.0f, widestSunTurn = 0.0f, frameError = 0.0f;
  Vec3 visitSun{};
  const float dt = 1.0f / kFrameRate;
  for (int32_t step = 0; step < kLongestRun * kFrameRate && order.size() <= static_cast<size_t>(table.count); ++step) {
    const CameraPose before = camera;
    const Vec3 sunBefore = PointPosition(sun);
    const float opacityBefore = TourCaptionOpacity(tour);
    TourStep(tour, dt, terrain, camera, sun, spinAngle);
    const Vec3 position = PointPosition(camera.point);
    lowest = std::min(lowest, Length(position));
    leastClearance = std::min(leastClearance, Length(position) - kReferenceRadius - GroundUnder(position));
    highestGroundUnder = std::max(highestGroundUnder, GroundUnder(position));
    longestMove = std::max(longestMove, Length(Sub(position, PointPosition(before.point))));
    widestTurn = std::max(widestTurn, AngleBetween(before.forward, camera.forward));
    widestSunTurn = std::max(widestSunTurn, AngleBetween(sunBefore, PointPosition(sun)));
    frameError = std::max({frameError, FrameError(camera), std::fabs(Length(PointPosition(sun)) - 1.0f)});

    const float opacity = TourCaptionOpacity(tour);
    if (opacity > 0.0f && opacityBefore == 0.0f) {
      order.push_back(tour.visiting);
      visitSun = PointPosition(sun);
      EXPECT_LT(opacity, 0.1f) << "the caption fades in";
    }
    if (opacity == 0.0f && opacityBefore > 0.0f) {
      EXPECT_LT(opacityBefore, 0.1f) << "the caption fades out";
    }
    if (opacity > 0.0f) {
      ASSERT_GE(tour.visiting, 0);
      const std::string wrong =
          CheckVisit(table.entries[tour.visiting], camera, PointPosition(sun), visitSun, minDistance);
      if (!wrong.empty() && wrongVisits.size() < 10) wrongVisits.push_back(wrong);
    }
  }

  ASSERT_EQ(order.size(), static_cast<size_t>(table.count) + 1) << "one round and the next one's start";
  const std::set<int32_t> round(order.begin(), order.end() - 1);
  EXPECT_EQ(round.size(), static_cast<size_t>(table.count)) << "each landmark once a round";
  for (size_t i = order.size() - 1 - kRecentVisits; i < order.size() - 1; ++i)
    EXPECT_NE(order.back(), order[i]) << "a new round starts elsewhere than the last places";
  for (const std::string& wrong : wrongVisits) ADD_FAILURE() << wrong;
  EXPECT_GE(lowest, minDistance - 1.0f);
  EXPECT_GE(leastClearance, 0.0f) << "into the relief";
  EXPECT_GT(highestGroundUnder, minDistance - kReferenceRadius) << "the ridge was flown over";
  EXPECT_LT(longestMove, 100000.0f) << "metres in one frame";
  EXPECT_LT(widestTurn, 1.5f) << "degrees of view in one frame";
  EXPECT_LT(widestSunTurn, 1.0f) << "degrees of sun in one frame";
  EXPECT_LT(frameError, 1e-3f);
}

}  // namespace
