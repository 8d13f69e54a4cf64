// The Mars clock: where the sun and the two moons stand over Mars at a moment given in UTC
// milliseconds since 1970. The sun follows Allison & McEwen (2000) as NASA GISS's Mars24 publishes
// it, with its current constants; the moons follow JPL's MAR080 mean elements, the planets JPL's
// "Keplerian Elements for Approximate Positions of the Major Planets" (E. M. Standish, table 1,
// 1800 to 2050). Plain logic in double precision, no platform and no GL.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// The sun as seen from Mars at one moment. Filled by MarsClockAt; a plain value with no owner.
struct MarsClock {
  double marsSolDate;          // MSD: sols since 1873-12-29 at Airy-0 midnight
  double coordinatedMarsTime;  // MTC: mean solar time at Airy-0, hours in [0, 24)
  double solarLongitude;       // Ls: Mars's season, degrees in [0, 360); 0 is the northern spring
  double equationOfTime;       // true less mean solar time, hours
  double subsolarLatitude;     // planetographic degrees, north positive
  double subsolarLongitude;    // degrees east in [0, 360)
  double sunDistance;          // Mars's heliocentric distance, astronomical units
  double terrestrialDays;      // days of Terrestrial Time since J2000.0 (2000-01-01 12:00 TT)
};

// A landed mission's clock: where it stands and the Mars Sol Date of its sol 0.
struct MarsMission {
  const char* name;      // as --print-sky names it: "curiosity"
  double latitude;       // planetographic degrees, north positive
  double eastLongitude;  // degrees east
  int64_t solOffset;     // whole MSD at the site on the mission's sol 0
};

extern const MarsMission kCuriosity;
extern const MarsMission kPerseverance;

// Where a moon stands over Mars: its sub-body point and its distance from Mars's centre.
struct MoonPlace {
  double latitude;       // planetocentric degrees, north positive
  double eastLongitude;  // degrees east in [0, 360)
  double distanceKm;
};

enum class MarsMoon : uint8_t { Phobos, Deimos };

// TT less UTC in seconds at a UTC moment: 32.184 s and the leap seconds from 1972, a polynomial
// before; after the last leap second in the table the count stays.
double TerrestrialLessUtcSeconds(int64_t unixMillis);

MarsClock MarsClockAt(int64_t unixMillis);

// Local true solar time, hours in [0, 24), at a longitude in degrees east.
double LocalTrueSolarTime(const MarsClock& clock, double eastLongitude);

// The mission's sol number at the moment: its local mean solar days counted from sol 0.
int64_t MissionSol(const MarsClock& clock, const MarsMission& mission);

// The mission of that name ("Curiosity", any letter case), or null.
const MarsMission* MissionNamed(const char* name);

// "14:32 local solar time" at an east longitude, then ", sol 5,102" where a mission is given, into
// out (cut to size bytes; ASCII only).
void FormatSiteClock(const MarsClock& clock, double eastLongitude, const MarsMission* mission, char* out, size_t size);

MoonPlace MoonPlaceAt(MarsMoon moon, int64_t unixMillis);

// The planets bright in Mars's sky, in --print-sky's order.
enum class Planet : uint8_t { Mercury, Venus, Earth, Jupiter, Saturn };
constexpr int kPlanetCount = 5;
const char* PlanetName(Planet planet);  // "mercury"

// Where a planet stands in Mars's sky: the point on Mars below it (planetocentric degrees, east),
// its distance from Mars and its apparent visual magnitude there.
struct PlanetPlace {
  double latitude;
  double eastLongitude;
  double distanceAu;
  double magnitude;
};

PlanetPlace PlanetPlaceAt(Planet planet, int64_t unixMillis);

// The angle of Mars's prime meridian from its equator's node on the ICRF equator (IAU 2000/2009),
// degrees in [0, 360): the turn of the stars over the ground at the clock's moment.
double PrimeMeridianAngle(const MarsClock& clock);

// Reads a UTC moment written as 2031-05-04T18:30:00Z or 2031-05-04T18:30:29.727Z (up to nine
// decimals, kept to the millisecond) from 1800 to 2050. False with a short reason in *reason
// ("the year must lie from 1800 to 2050") for anything else.
bool ParseUtcMoment(const std::string& text, int64_t* unixMillis, std::string* reason);
