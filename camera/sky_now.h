// The sky of a run whose sun is "now": the sun over the ground, the stars' turn, Phobos and Deimos
// and the bright planets, placed in the planet frame from the Mars clock at one moment.
#pragma once

#include <cstdint>

#include "camera/mars_clock.h"
#include "math/vector_math.h"

// A moon as the renderer draws it: a triaxial body in metres, its longest axis towards Mars and
// its shortest along its orbit's pole, as a tidally locked moon keeps them.
struct MoonBody {
  Vec3 centre;     // metres from Mars's centre, planet frame
  Vec3 axes[3];    // unit directions of the longest, middle and shortest radius
  float radii[3];  // metres
  bool eclipsed;   // inside Mars's shadow: no sunlight reaches it
};

// A planet as a point of light: where it stands and how bright it is.
struct PlanetLight {
  Vec3 direction;   // unit, planet frame
  float magnitude;  // apparent visual magnitude from Mars
};

struct SkyBodies {
  bool shown;  // only a run on the clock has them; the set seasons show the sun and stars alone
  MoonBody moons[2];            // Phobos, Deimos
  PlanetLight planets[kPlanetCount];  // in the order of Planet
};

// The planet frame's direction of a place given by planetocentric latitude and east longitude.
Vec3 PlanetFrameDirection(double latitude, double eastLongitude);

// The sun's direction at the clock's moment: towards the sub-solar point, at its planetocentric
// latitude (the globe is a sphere).
Vec3 SunDirectionAt(const MarsClock& clock);

// The turn about the pole, degrees in [0, 360), that carries the star field (fixed to the stars,
// longitude 0 at Mars's equator's node) to where it stands over the ground at the clock's moment.
float StarTurnAt(const MarsClock& clock);

// The moons and planets at a moment, the sun's direction given for the moons' eclipses.
SkyBodies SkyBodiesAt(int64_t unixMillis, const Vec3& sunDirection);
