// The camera, heading and sun records, their operations and the initial view of a ready scene.
#include "camera/camera_state.h"

#include <algorithm>
#include <cmath>

#include "settings/saver_settings.h"


namespace {

// The closest view lies a margin above 3,412,000 m (the reference radius plus the highest
// ground); the margin shrinks with the map resolution, since a finer map may be looked at from
// closer.
constexpr double kNearMarginCoarse = 34560000.0;  // up to 10 samples per degree
constexpr double kNearMarginMiddle = 32000000.0;  // above 10, up to 20
constexpr double kNearMarginFine = 21760000.0;    // above 20
constexpr float kNearBase = 3412000.0f;           // metres from the centre below any margin
constexpr float kSunLongitude = 330.0f;

}  // namespace

float WrapDegrees(float degrees) {
  if (!std::isfinite(degrees)) return 0.0f;
  // Far outside one turn, stepping by 360 would take up to millions of steps; below 2^26 the
  // remainder is exact either way, so fmod gives the same angle.
  if (degrees >= 3600.0f || degrees <= -3600.0f) degrees = std::fmod(degrees, 360.0f);
  while (degrees >= 360.0f) degrees -= 360.0f;
  while (degrees < 0.0f) degrees += 360.0f;
  // A tiny negative angle plus 360 rounds to 360 itself in single precision.
  if (degrees >= 360.0f) degrees = 0.0f;
  return degrees;
}

void SetSpherical(SpherePoint& point, float r, float latitude, float longitude) {
  point.distance = r;
  point.latitude = WrapDegrees(latitude);
  point.longitude = WrapDegrees(longitude);
  SetDistance(point, r);
}

void SetDistance(SpherePoint& point, float r) {
  point.distance = r;
  Vec3 position;
  SphereToVec3(position, SphereCoords{r, point.latitude, point.longitude});
  point.x = position.x;
  point.y = position.y;
  point.z = position.z;
}

void SetPointPosition(SpherePoint& point, const Vec3& position) {
  point.x = position.x;
  point.y = position.y;
  point.z = position.z;
  SphereCoords sphere;
  Vec3ToSphere(sphere, position);
  point.distance = sphere.r;
  point.latitude = WrapDegrees(sphere.lat);
  point.longitude = WrapDegrees(sphere.lon);
}

void RotatePosition(SpherePoint& point, const Mat3& rotation) {
  Vec3 turned;
  Mat3MulVec3(turned, rotation, PointPosition(point));
  SetPointPosition(point, turned);
}

void SetOrientation(CameraPose& pose, const Vec3& forward, const Vec3& up, const Vec3& right) {
  pose.forward = forward;
  pose.up = up;
  pose.right = right;
}

void CopyOrientation(CameraPose& into, const CameraPose& from) { SetOrientation(into, from.forward, from.up, from.right); }

void RotateOrientation(CameraPose& pose, const Mat3& rotation) {
  const Vec3 forward = pose.forward, up = pose.up, right = pose.right;
  Mat3MulVec3(pose.forward, rotation, forward);
  Mat3MulVec3(pose.up, rotation, up);
  Mat3MulVec3(pose.right, rotation, right);
}

void RotatePose(CameraPose& pose, const Mat3& rotation) {
  RotatePosition(pose.point, rotation);
  RotateOrientation(pose, rotation);
}

void SetupInitialView(CameraState& state, const RunConfig& config, uint32_t ppd, float width, float height) {
  const float smaller = std::min(width, height), larger = std::max(width, height);
  // A window that was never sized would give 0 / 0, and a distance limit of NaN holds no zoom.
  const float ratio = larger > 0.0f ? smaller / larger : 1.0f;
  state.topHeight = config.atmosphere ? kAtmosphereTopHeight : kGroundTopHeight;

  const double samples = std::max<uint32_t>(ppd, 1);
  double margin = kNearMarginFine / samples;
  if (samples <= 10.0)
    margin = kNearMarginCoarse / samples;
  else if (samples <= 20.0)
    margin = kNearMarginMiddle / samples;
  const float screenLimit = static_cast<float>(ratio * margin + kNearBase);
  // The atmosphere shell and the relief reach up to 10 times their height at the largest relief
  // factor; the camera stays above both whatever the screen.
  const float heightLimit = 10.0f * state.topHeight + kNearBase;
  state.minDistance = std::max(screenLimit, heightLimit);

  // On the +z axis at the largest distance, looking at the centre with the polar axis up.
  CameraPose& initial = state.initialCamera;
  SetSpherical(initial.point, kMaxCameraDistance, 0.0f, 0.0f);
  SetOrientation(initial, Vec3{0.0f, 0.0f, -1.0f}, Vec3{0.0f, 1.0f, 0.0f}, Vec3{1.0f, 0.0f, 0.0f});
  state.heading = initial;
  state.camera = initial;

  // SunPos 0..4 puts the sun at latitude -25, -12.5, 0, 12.5 or 25 degrees: winter to summer. On
  // the clock the equinox's place holds until the first frame sets the real one.
  state.clockSun = config.sunPosition == kSunPosNow;
  state.sky = SkyBodies{};
  const uint32_t season = state.clockSun ? 2 : config.sunPosition;
  const float sunLatitude = static_cast<float>(season) * 50.0f * 0.25f - 25.0f;
  SetSpherical(state.sun, 1.0f, sunLatitude, kSunLongitude);
}
