// The guided tour's geometry: a view (the ground point looked at, the way across the ground, the
// tilt and the camera distance) made into a camera pose, the sun placed in a ground point's sky,
// and the small vector operations they need. Plain functions of their arguments; any thread.
#pragma once

#include "camera/camera_state.h"

// One view of the flight: the camera looks at the focus point from `distance`, tilted from the
// focus's vertical by `tilt` and standing back against `heading`; the picture's top leans towards
// the heading.
struct TourView {
  Vec3 focus;         // unit direction of the ground point at the picture's centre
  float focusHeight;  // that point's height above the reference radius, metres
  Vec3 heading;       // unit, tangent at the focus: the way the view looks across the ground
  float tilt;         // degrees between the focus's vertical and the line to the camera; 0 looks straight down
  float distance;     // camera distance from the planet centre, metres
};

// A direction in the sky of a ground point: degrees above its horizon, and degrees of azimuth from
// a tangent there, positive turning towards normal x tangent.
struct SkyDirection {
  float elevation;
  float azimuth;
};

// v turned right-handedly about a unit axis by degrees.
Vec3 RotatedAbout(const Vec3& v, const Vec3& axis, float degrees);
// The angle in degrees (-180..180] that turns `from` towards `to` about the unit `axis`, both taken
// in the plane across the axis.
float SignedAngle(const Vec3& from, const Vec3& to, const Vec3& axis);
// 0 below 0, 1 above 1, and an S between with level ends: motion starts and stops without a jolt.
float Smooth(float u);
inline float Lerp(float a, float b, float t) { return a + (b - a) * t; }

// Unit direction of a planetocentric latitude and east longitude, and back (latitude -90..90,
// longitude 0..360).
Vec3 UnitAt(float latitude, float longitude);
void LatitudeLongitudeOf(const Vec3& unit, float& latitude, float& longitude);
// The tangent at `unit` pointing north (any tangent at the poles).
Vec3 NorthAt(const Vec3& unit);

// Where the camera of a view stands, before any clearance over the ground.
Vec3 ViewPosition(const TourView& view);
// A pose at `position` (anywhere on the line from the planet centre through ViewPosition(view),
// as far out or farther) looking at the view's focus point, its picture's top towards the heading.
CameraPose AimedPose(const TourView& view, const Vec3& position);

SkyDirection SkyDirectionOf(const Vec3& sun, const Vec3& normal, const Vec3& tangent);
Vec3 SunInSky(const SkyDirection& sky, const Vec3& normal, const Vec3& tangent);
