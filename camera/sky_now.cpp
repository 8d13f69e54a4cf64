// The Mars clock's places turned into the planet frame, whose y axis is the pole and whose
// longitudes run from +z towards +x (east).
#include "camera/sky_now.h"

#include <cmath>

#include "mapdata/map_formats.h"

namespace {

constexpr double kDegree = 3.14159265358979323846 / 180.0;
constexpr int64_t kOrbitStepMillis = 60000;  // a minute on: the moon's motion gives its orbit's pole

// Triaxial radii, metres (IAU working group, as NAIF's planetary constants give them).
constexpr float kMoonRadii[2][3] = {{13000.0f, 11400.0f, 9100.0f}, {7800.0f, 6000.0f, 5100.0f}};

Vec3 MoonCentre(MarsMoon moon, int64_t unixMillis) {
  const MoonPlace place = MoonPlaceAt(moon, unixMillis);
  return Scaled(PlanetFrameDirection(place.latitude, place.eastLongitude), static_cast<float>(place.distanceKm * 1000.0));
}

// Inside the cylinder of Mars's shadow, on the night side.
bool InMarsShadow(const Vec3& centre, const Vec3& sun) {
  const float along = Dot(centre, sun);
  return along < 0.0f && Length(Sub(centre, Scaled(sun, along))) < kReferenceRadius;
}

MoonBody MoonBodyAt(MarsMoon moon, int64_t unixMillis, const Vec3& sun) {
  MoonBody body{};
  body.centre = MoonCentre(moon, unixMillis);
  const Vec3 ahead = MoonCentre(moon, unixMillis + kOrbitStepMillis);
  body.axes[0] = Normalized(Scaled(body.centre, -1.0f));
  body.axes[2] = Normalized(Cross(body.centre, Sub(ahead, body.centre)));
  body.axes[1] = Cross(body.axes[2], body.axes[0]);
  const int index = moon == MarsMoon::Phobos ? 0 : 1;
  for (int i = 0; i < 3; ++i) body.radii[i] = kMoonRadii[index][i];
  body.eclipsed = InMarsShadow(body.centre, sun);
  return body;
}

}  // namespace

Vec3 PlanetFrameDirection(double latitude, double eastLongitude) {
  const double lat = latitude * kDegree, lon = eastLongitude * kDegree;
  return Vec3{static_cast<float>(std::cos(lat) * std::sin(lon)), static_cast<float>(std::sin(lat)),
              static_cast<float>(std::cos(lat) * std::cos(lon))};
}

Vec3 SunDirectionAt(const MarsClock& clock) {
  // The clock's latitude is planetographic; its 0.25° sin Ls term is what the flattening adds.
  const double centric = clock.subsolarLatitude - 0.25 * std::sin(clock.solarLongitude * kDegree);
  return PlanetFrameDirection(centric, clock.subsolarLongitude);
}

float StarTurnAt(const MarsClock& clock) {
  // A star at longitude b from the node stands over the ground's longitude b - W.
  const double turn = 360.0 - PrimeMeridianAngle(clock);
  return static_cast<float>(turn >= 360.0 ? turn - 360.0 : turn);
}

SkyBodies SkyBodiesAt(int64_t unixMillis, const Vec3& sunDirection) {
  SkyBodies sky{};
  sky.shown = true;
  sky.moons[0] = MoonBodyAt(MarsMoon::Phobos, unixMillis, sunDirection);
  sky.moons[1] = MoonBodyAt(MarsMoon::Deimos, unixMillis, sunDirection);
  for (int i = 0; i < kPlanetCount; ++i) {
    const PlanetPlace place = PlanetPlaceAt(static_cast<Planet>(i), unixMillis);
    sky.planets[i] = PlanetLight{PlanetFrameDirection(place.latitude, place.eastLongitude), static_cast<float>(place.magnitude)};
  }
  return sky;
}
