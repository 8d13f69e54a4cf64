// The tour's views made into camera poses, and the sun placed in a ground point's sky.
#include "camera/tour_view.h"

#include <algorithm>
#include <cmath>

#include "mapdata/map_formats.h"

Vec3 RotatedAbout(const Vec3& v, const Vec3& axis, float degrees) {
  Mat3 rotation;
  Mat3Rotation(rotation, axis, degrees);
  Vec3 turned;
  Mat3MulVec3(turned, rotation, v);
  return turned;
}

float SignedAngle(const Vec3& from, const Vec3& to, const Vec3& axis) {
  const Vec3 a = Sub(from, Scaled(axis, Dot(from, axis)));
  const Vec3 b = Sub(to, Scaled(axis, Dot(to, axis)));
  return std::atan2(Dot(Cross(a, b), axis), Dot(a, b)) * kRadToDeg;
}

float Smooth(float u) {
  u = std::clamp(u, 0.0f, 1.0f);
  return u * u * (3.0f - 2.0f * u);
}

Vec3 UnitAt(float latitude, float longitude) {
  Vec3 unit;
  SphereToVec3(unit, SphereCoords{1.0f, latitude, longitude});
  return unit;
}

void LatitudeLongitudeOf(const Vec3& unit, float& latitude, float& longitude) {
  SphereCoords s;
  Vec3ToSphere(s, unit);
  latitude = s.lat > 180.0f ? s.lat - 360.0f : s.lat;
  longitude = WrapDegrees(s.lon);
}

Vec3 NorthAt(const Vec3& unit) {
  const Vec3 pole{0.0f, 1.0f, 0.0f};
  const Vec3 north = Sub(pole, Scaled(unit, Dot(unit, pole)));
  if (Length(north) > 1e-6f) return Normalized(north);
  const Vec3 zero{0.0f, 0.0f, 1.0f};  // at a pole every tangent points south or north
  return Normalized(Sub(zero, Scaled(unit, Dot(unit, zero))));
}

Vec3 ViewPosition(const TourView& view) {
  // The camera stands on the line from the focus point that leans `tilt` from the vertical
  // against the heading, at the range that puts it `distance` from the centre (never inside the
  // sphere through the focus point).
  const double r = static_cast<double>(kReferenceRadius) + view.focusHeight;
  const double tilt = static_cast<double>(view.tilt) * kDegToRad;
  const double d = std::max(static_cast<double>(view.distance), r);
  const double sinTilt = std::sin(tilt), cosTilt = std::cos(tilt);
  const double range = -r * cosTilt + std::sqrt(d * d - r * r * sinTilt * sinTilt);
  const Vec3 back = Sub(Scaled(view.focus, static_cast<float>(cosTilt)), Scaled(view.heading, static_cast<float>(sinTilt)));
  return Add(Scaled(view.focus, static_cast<float>(r)), Scaled(back, static_cast<float>(range)));
}

CameraPose AimedPose(const TourView& view, const Vec3& position) {
  CameraPose pose{};
  SetPointPosition(pose.point, position);
  const Vec3 target = Scaled(view.focus, kReferenceRadius + view.focusHeight);
  const Vec3 forward = Normalized(Sub(target, position));
  // The camera stands in the plane of the focus's vertical and the heading and looks down into
  // it, so their sum, which points up and ahead, never lies along the view: the picture's top
  // leans ahead in a view straight down and up in a view towards the horizon.
  const Vec3 ahead = Add(view.focus, view.heading);
  const Vec3 up = Normalized(Sub(ahead, Scaled(forward, Dot(ahead, forward))));
  SetOrientation(pose, forward, up, Cross(forward, up));
  return pose;
}

SkyDirection SkyDirectionOf(const Vec3& sun, const Vec3& normal, const Vec3& tangent) {
  const Vec3 side = Cross(normal, tangent);
  const float elevation = std::asin(std::clamp(Dot(sun, normal), -1.0f, 1.0f)) * kRadToDeg;
  return SkyDirection{elevation, std::atan2(Dot(sun, side), Dot(sun, tangent)) * kRadToDeg};
}

Vec3 SunInSky(const SkyDirection& sky, const Vec3& normal, const Vec3& tangent) {
  const float elevation = sky.elevation * kDegToRad, azimuth = sky.azimuth * kDegToRad;
  const Vec3 side = Cross(normal, tangent);
  const Vec3 level = Add(Scaled(tangent, CosF(azimuth)), Scaled(side, SinF(azimuth)));
  return Normalized(Add(Scaled(normal, SinF(elevation)), Scaled(level, CosF(elevation))));
}
