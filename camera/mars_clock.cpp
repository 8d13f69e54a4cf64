// The Mars clock's steps, named as NASA GISS's Mars24 algorithm page names them (A: Earth time,
// B: Mars's orbit, C: Mars time, D: the sun's place), then the moons from JPL's mean elements turned
// into Mars's body frame through the IAU 2000/2009 pole, and the moment's text form.
#include "camera/mars_clock.h"

#include <cctype>
#include <cmath>
#include <cstddef>
#include <cstdio>

const MarsMission kCuriosity = {"curiosity", -4.5895, 137.4417, 49268};
const MarsMission kPerseverance = {"perseverance", 18.4447, 77.4508, 52303};

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kRadiansPerDegree = kPi / 180.0;
constexpr int64_t kMillisPerDay = 86400000;
constexpr double kSecondsPerDay = 86400.0;
constexpr int64_t kJ2000UnixMillis = 946728000000;  // 2000-01-01 12:00 UTC, JD 2451545.0 as UT
constexpr double kDaysPerJulianCentury = 36525.0;
constexpr double kDaysPerJulianYear = 365.25;
constexpr double kTtLessTai = 32.184;  // seconds, fixed by the definition of TT

double Sin(double degrees) { return std::sin(degrees * kRadiansPerDegree); }
double Cos(double degrees) { return std::cos(degrees * kRadiansPerDegree); }

double Wrap(double value, double period) {
  double wrapped = std::fmod(value, period);
  if (wrapped < 0.0) wrapped += period;
  // A tiny negative value wraps to the period itself in floating point.
  return wrapped >= period ? 0.0 : wrapped;
}

// Days from 1970-01-01 to a date of the proleptic Gregorian calendar (H. Hinnant's formula).
constexpr int64_t DaysFromCivil(int64_t year, int month, int day) {
  year -= month <= 2 ? 1 : 0;
  const int64_t era = (year >= 0 ? year : year - 399) / 400;
  const int64_t yearOfEra = year - era * 400;
  const int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 719468;
}

// TAI less UTC from each date on (IERS Bulletin C). UTC began whole-second steps in 1972; a later
// leap second goes at the end of this table.
struct LeapStep {
  int16_t year;
  int8_t month;  // the step takes effect at 00:00 UTC on the first of this month
  int8_t taiLessUtc;
};
constexpr LeapStep kLeapSteps[] = {
    {1972, 1, 10}, {1972, 7, 11}, {1973, 1, 12}, {1974, 1, 13}, {1975, 1, 14}, {1976, 1, 15}, {1977, 1, 16},
    {1978, 1, 17}, {1979, 1, 18}, {1980, 1, 19}, {1981, 7, 20}, {1982, 7, 21}, {1983, 7, 22}, {1985, 7, 23},
    {1988, 1, 24}, {1990, 1, 25}, {1991, 1, 26}, {1992, 7, 27}, {1993, 7, 28}, {1994, 7, 29}, {1996, 1, 30},
    {1997, 7, 31}, {1999, 1, 32}, {2006, 1, 33}, {2009, 1, 34}, {2012, 7, 35}, {2015, 7, 36}, {2017, 1, 37},
};

// days of Terrestrial Time since J2000.0.
double TerrestrialDaysSinceJ2000(int64_t unixMillis) {
  const double utcDays = static_cast<double>(unixMillis - kJ2000UnixMillis) / static_cast<double>(kMillisPerDay);
  return utcDays + TerrestrialLessUtcSeconds(unixMillis) / kSecondsPerDay;
}

// B-1 to B-5: Mars's orbit at Δt days of TT from J2000.
struct MarsOrbit {
  double meanAnomaly;        // M, degrees
  double fictitiousSun;      // αFMS, degrees
  double equationOfCentre;   // ν − M with the planetary perturbations, degrees
  double solarLongitude;     // Ls, degrees in [0, 360)
};

// B-3: the perturbations of the other planets, as seven periodic terms.
double PlanetaryPerturbations(double dt) {
  constexpr double kAmplitude[] = {0.0071, 0.0057, 0.0039, 0.0037, 0.0021, 0.0020, 0.0018};
  constexpr double kPeriod[] = {2.2353, 2.7543, 1.1177, 15.7866, 2.1354, 2.4694, 32.8493};  // Julian years
  constexpr double kPhase[] = {49.409, 168.173, 191.837, 21.736, 15.704, 95.528, 49.095};
  double sum = 0.0;
  for (size_t i = 0; i < std::size(kAmplitude); ++i) sum += kAmplitude[i] * Cos(0.985626 * dt / kPeriod[i] + kPhase[i]);
  return sum;
}

MarsOrbit MarsOrbitAt(double dt) {
  MarsOrbit orbit;
  orbit.meanAnomaly = Wrap(19.3871 + 0.52402073 * dt, 360.0);
  orbit.fictitiousSun = Wrap(270.3871 + 0.524038496 * dt, 360.0);
  const double m = orbit.meanAnomaly;
  orbit.equationOfCentre = (10.691 + 3.0e-7 * dt) * Sin(m) + 0.623 * Sin(2 * m) + 0.050 * Sin(3 * m) +
                           0.005 * Sin(4 * m) + 0.0005 * Sin(5 * m) + PlanetaryPerturbations(dt);
  orbit.solarLongitude = Wrap(orbit.fictitiousSun + orbit.equationOfCentre, 360.0);
  return orbit;
}

// C-1: the equation of time, degrees.
double EquationOfTimeDegrees(const MarsOrbit& orbit) {
  const double ls = orbit.solarLongitude;
  return 2.861 * Sin(2 * ls) - 0.071 * Sin(4 * ls) + 0.002 * Sin(6 * ls) - orbit.equationOfCentre;
}

// C-2: the Mars Sol Date; 4.5 days after J2000.0 is 2000-01-06 00:00 TT, the page's reference.
double MarsSolDate(double dt) { return (dt - 4.5) / 1.0274912517 + 44796.0 - 0.0009626; }

// D-1: planetographic; the 0.25° term is roughly what Mars's flattening adds to the planetocentric
// asin(sin 25.19° sin Ls).
double SubsolarLatitude(double ls) { return std::asin(0.42565 * Sin(ls)) / kRadiansPerDegree + 0.25 * Sin(ls); }

// D-2: heliocentric distance, astronomical units.
double HeliocentricDistance(double m) {
  return 1.52367934 * (1.00436 - 0.09309 * Cos(m) - 0.004336 * Cos(2 * m) - 0.00031 * Cos(3 * m) -
                       0.00003 * Cos(4 * m));
}

// Longitudes west, as the page counts them, from degrees east.
double WestLongitude(double eastLongitude) { return Wrap(-eastLongitude, 360.0); }

// ---- The moons

// JPL's mean elements referred to each moon's local Laplace plane (solution MAR080, epoch 1950
// Jan 1.00 TT). The node is counted from the Laplace plane's ascending node on the ICRF equator.
struct MoonElements {
  double semiMajorAxisKm;
  double eccentricity;
  double periapsisArgument;   // ω, degrees
  double meanAnomaly;         // M, degrees
  double inclination;         // to the Laplace plane, degrees
  double node;                // Ω, degrees
  double meanMotion;          // degrees a day of the mean longitude Ω + ω + M: JPL's P is 360/n, sidereal
  double periapsisPeriod;     // years for ω to turn once, forwards
  double nodePeriod;          // years for Ω to turn once, backwards (the node regresses)
  double laplacePoleRa;       // degrees, ICRF
  double laplacePoleDec;      // degrees, ICRF
  double longitudeAcceleration;  // degrees a year², the mean longitude's tidal gain
};

constexpr MoonElements kPhobos = {9376.0, 0.0151, 150.057, 91.059, 1.075, 207.784, 1128.8447569,
                                  1.1316, 2.2617,  317.671, 52.893, 1.258e-3};
constexpr MoonElements kDeimos = {23458.0, 0.0002, 260.729, 325.329, 1.788, 24.525, 285.1618790,
                                  27.3703, 54.5367, 316.657, 53.529, 0.0};
// 1950 Jan 1.00 TT is JD 2433282.5; J2000.0 is JD 2451545.0.
constexpr double kMoonEpochFromJ2000 = 2433282.5 - 2451545.0;

struct Vector3d {
  double x, y, z;
};

double Length(const Vector3d& v) { return std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z); }

// The point on Mars below a place in the body frame: planetocentric latitude, east longitude in
// [0, 360) and the distance from the centre, in the place's unit.
struct SubPoint {
  double latitude, eastLongitude, distance;
};
SubPoint SubPointOf(const Vector3d& body) {
  const double distance = Length(body);
  return {std::asin(body.z / distance) / kRadiansPerDegree, Wrap(std::atan2(body.y, body.x) / kRadiansPerDegree, 360.0),
          distance};
}

// Turns v by an angle in degrees about the x axis (right-handed, the vector moves).
Vector3d TurnAboutX(const Vector3d& v, double degrees) {
  const double c = Cos(degrees), s = Sin(degrees);
  return {v.x, c * v.y - s * v.z, s * v.y + c * v.z};
}

Vector3d TurnAboutZ(const Vector3d& v, double degrees) {
  const double c = Cos(degrees), s = Sin(degrees);
  return {c * v.x - s * v.y, s * v.x + c * v.y, v.z};
}

// Kepler's equation E − e sin E = M by Newton's method; radians. Eight steps reach double
// precision for every eccentricity here (Mercury's 0.21 the largest).
double EccentricAnomaly(double meanAnomaly, double eccentricity) {
  double e = meanAnomaly + eccentricity * std::sin(meanAnomaly);
  for (int step = 0; step < 8; ++step)
    e -= (e - eccentricity * std::sin(e) - meanAnomaly) / (1.0 - eccentricity * std::cos(e));
  return e;
}

// The moon's place in its Laplace-plane frame (x towards the plane's ascending node on the ICRF
// equator, z along its pole), km, at days of TT since the elements' epoch.
Vector3d MoonInLaplaceFrame(const MoonElements& el, double days) {
  const double years = days / kDaysPerJulianYear;
  const double periapsis = el.periapsisArgument + 360.0 * years / el.periapsisPeriod;
  const double node = el.node - 360.0 * years / el.nodePeriod;
  const double meanLongitude = el.node + el.periapsisArgument + el.meanAnomaly + el.meanMotion * days +
                               el.longitudeAcceleration * years * years;
  const double meanAnomaly = Wrap(meanLongitude - node - periapsis, 360.0) * kRadiansPerDegree;
  const double eccentric = EccentricAnomaly(meanAnomaly, el.eccentricity);
  const double e = el.eccentricity;
  const double trueAnomaly = std::atan2(std::sqrt(1.0 - e * e) * std::sin(eccentric), std::cos(eccentric) - e);
  const double radius = el.semiMajorAxisKm * (1.0 - e * std::cos(eccentric));
  const Vector3d inPlane = {radius * std::cos(trueAnomaly), radius * std::sin(trueAnomaly), 0.0};
  return TurnAboutZ(TurnAboutX(TurnAboutZ(inPlane, periapsis), el.inclination), node);
}

// From a Laplace-plane frame to the ICRF: the plane's ascending node lies 90° on from its pole's
// right ascension.
Vector3d LaplaceToIcrf(const Vector3d& v, double poleRa, double poleDec) {
  return TurnAboutZ(TurnAboutX(v, 90.0 - poleDec), poleRa + 90.0);
}

// From the ICRF to Mars's body frame (x at 0° E, z at the north pole), IAU 2000/2009: the pole and
// the prime meridian's angle W, counted from the equator's ascending node on the ICRF equator.
double PrimeMeridianAt(double dt) { return Wrap(176.630 + 350.89198226 * dt, 360.0); }

Vector3d IcrfToMarsBody(const Vector3d& v, double dt) {
  const double centuries = dt / kDaysPerJulianCentury;
  const double poleRa = 317.68143 - 0.1061 * centuries;
  const double poleDec = 52.88650 - 0.0609 * centuries;
  return TurnAboutZ(TurnAboutX(TurnAboutZ(v, -(poleRa + 90.0)), -(90.0 - poleDec)), -PrimeMeridianAt(dt));
}

// ---- The planets

// JPL's "Keplerian Elements for Approximate Positions of the Major Planets" (E. M. Standish),
// table 1, valid 1800 to 2050: the J2000 value and its change a Julian century of each element,
// referred to the mean ecliptic and equinox of J2000. Earth is the Earth-Moon barycentre.
struct PlanetElements {
  double semiMajorAxis[2];       // au
  double eccentricity[2];
  double inclination[2];         // degrees
  double meanLongitude[2];       // L, degrees
  double perihelionLongitude[2]; // ϖ, degrees
  double nodeLongitude[2];       // Ω, degrees
};

constexpr PlanetElements kPlanetElements[] = {
    {{0.38709927, 0.00000037}, {0.20563593, 0.00001906}, {7.00497902, -0.00594749},
     {252.25032350, 149472.67411175}, {77.45779628, 0.16047689}, {48.33076593, -0.12534081}},
    {{0.72333566, 0.00000390}, {0.00677672, -0.00004107}, {3.39467605, -0.00078890},
     {181.97909950, 58517.81538729}, {131.60246718, 0.00268329}, {76.67984255, -0.27769418}},
    {{1.00000261, 0.00000562}, {0.01671123, -0.00004392}, {-0.00001531, -0.01294668},
     {100.46457166, 35999.37244981}, {102.93768193, 0.32327364}, {0.0, 0.0}},
    {{5.20288700, -0.00011607}, {0.04838624, -0.00013253}, {1.30439695, -0.00183714},
     {34.39644051, 3034.74612775}, {14.72847983, 0.21252668}, {100.47390909, 0.20469106}},
    {{9.53667594, -0.00125060}, {0.05386179, -0.00050991}, {2.48599187, 0.00193609},
     {49.95424423, 1222.49362201}, {92.59887831, -0.41897216}, {113.66242448, -0.28867794}},
};
constexpr PlanetElements kMarsElements = {
    {1.52371034, 0.00001847}, {0.09339410, 0.00007882}, {1.84969142, -0.00813131},
    {-4.55343205, 19140.30268499}, {-23.94362959, 0.44441088}, {49.55953891, -0.29257343}};

// Visual magnitude at 1 au from the sun and from the observer, and its growth with the phase
// angle α in degrees (c1 α + c2 α² + c3 α³): the Astronomical Almanac's approximations for
// Mercury, Venus, Jupiter and Saturn (its rings left out); Earth's are Venus's shape at Earth's
// brightness. Good to a few tenths of a magnitude, which is all a point of light shows.
struct PlanetBrightness {
  double absolute;
  double phase[3];
};
constexpr PlanetBrightness kPlanetBrightness[] = {
    {-0.42, {0.0380, -0.000273, 0.000002}}, {-4.40, {0.0009, 0.000239, -0.00000065}},
    {-3.86, {0.0009, 0.000239, -0.00000065}}, {-9.40, {0.005, 0.0, 0.0}}, {-8.88, {0.044, 0.0, 0.0}}};

constexpr double kEclipticObliquity = 23.43928;  // degrees, J2000

double ElementAt(const double (&element)[2], double centuries) { return element[0] + element[1] * centuries; }

// The heliocentric place in au in the ICRF (equatorial J2000) axes, centuries of TT from J2000.
Vector3d HeliocentricPlace(const PlanetElements& el, double centuries) {
  const double a = ElementAt(el.semiMajorAxis, centuries);
  const double e = ElementAt(el.eccentricity, centuries);
  const double node = ElementAt(el.nodeLongitude, centuries);
  const double perihelion = ElementAt(el.perihelionLongitude, centuries);
  const double meanAnomaly = Wrap(ElementAt(el.meanLongitude, centuries) - perihelion + 180.0, 360.0) - 180.0;
  const double eccentric = EccentricAnomaly(meanAnomaly * kRadiansPerDegree, e);
  const Vector3d inPlane = {a * (std::cos(eccentric) - e), a * std::sqrt(1.0 - e * e) * std::sin(eccentric), 0.0};
  const Vector3d ecliptic =
      TurnAboutZ(TurnAboutX(TurnAboutZ(inPlane, perihelion - node), ElementAt(el.inclination, centuries)), node);
  return TurnAboutX(ecliptic, kEclipticObliquity);
}

Vector3d Less(const Vector3d& a, const Vector3d& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }

// The magnitude seen from Mars: distances from the sun and from Mars, and the phase angle between them.
double ApparentMagnitude(const PlanetBrightness& b, const Vector3d& fromSun, const Vector3d& fromMars) {
  const double r = Length(fromSun), distance = Length(fromMars);
  const double cosPhase = (fromSun.x * fromMars.x + fromSun.y * fromMars.y + fromSun.z * fromMars.z) / (r * distance);
  const double phase = std::acos(std::fmax(-1.0, std::fmin(1.0, cosPhase))) / kRadiansPerDegree;
  return b.absolute + 5.0 * std::log10(r * distance) + phase * (b.phase[0] + phase * (b.phase[1] + phase * b.phase[2]));
}

// ---- The moment's text

bool ReadDigits(const std::string& text, size_t at, size_t count, int64_t* value) {
  if (at + count > text.size()) return false;
  *value = 0;
  for (size_t i = at; i < at + count; ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
    *value = *value * 10 + (text[i] - '0');
  }
  return true;
}

bool IsLeapYear(int64_t year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int64_t DaysInMonth(int64_t year, int64_t month) {
  constexpr int64_t kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

// Milliseconds from a fraction's digits after the point, cut to the millisecond; false unless
// they are one to nine digits followed by the end.
bool ReadFraction(const std::string& digits, int64_t* millis) {
  if (digits.empty() || digits.size() > 9) return false;
  int64_t value = 0;
  if (!ReadDigits(digits, 0, digits.size(), &value)) return false;
  for (size_t i = digits.size(); i < 3; ++i) value *= 10;
  for (size_t i = 3; i < digits.size(); ++i) value /= 10;
  *millis = value;
  return true;
}

}  // namespace

double TerrestrialLessUtcSeconds(int64_t unixMillis) {
  const int64_t days = unixMillis >= 0 ? unixMillis / kMillisPerDay : -((-unixMillis + kMillisPerDay - 1) / kMillisPerDay);
  if (days < DaysFromCivil(kLeapSteps[0].year, kLeapSteps[0].month, 1)) {
    // before 1972: a fit to the historical difference, centuries from J2000.
    const double t = static_cast<double>(unixMillis - kJ2000UnixMillis) / kMillisPerDay / kDaysPerJulianCentury;
    return 64.184 + t * (59.0 + t * (-51.2 + t * (-67.1 - 16.4 * t)));
  }
  int taiLessUtc = kLeapSteps[0].taiLessUtc;
  for (const LeapStep& step : kLeapSteps)
    if (days >= DaysFromCivil(step.year, step.month, 1)) taiLessUtc = step.taiLessUtc;
  return kTtLessTai + taiLessUtc;
}

MarsClock MarsClockAt(int64_t unixMillis) {
  MarsClock clock;
  const double dt = TerrestrialDaysSinceJ2000(unixMillis);
  const MarsOrbit orbit = MarsOrbitAt(dt);
  const double eotDegrees = EquationOfTimeDegrees(orbit);
  clock.terrestrialDays = dt;
  clock.marsSolDate = MarsSolDate(dt);
  clock.coordinatedMarsTime = Wrap(24.0 * clock.marsSolDate, 24.0);
  clock.solarLongitude = orbit.solarLongitude;
  clock.equationOfTime = eotDegrees / 15.0;
  clock.subsolarLatitude = SubsolarLatitude(orbit.solarLongitude);
  // C-5 gives the sub-solar point west: mean noon at Airy-0 puts it at 0°, the true sun EOT on.
  const double subsolarWest = Wrap(15.0 * clock.coordinatedMarsTime + eotDegrees + 180.0, 360.0);
  clock.subsolarLongitude = Wrap(360.0 - subsolarWest, 360.0);
  clock.sunDistance = HeliocentricDistance(orbit.meanAnomaly);
  return clock;
}

double LocalTrueSolarTime(const MarsClock& clock, double eastLongitude) {
  // C-3 and C-4: the local mean time runs 1 h behind Airy-0 for each 15° west.
  const double meanTime = clock.coordinatedMarsTime - WestLongitude(eastLongitude) / 15.0;
  return Wrap(meanTime + clock.equationOfTime, 24.0);
}

int64_t MissionSol(const MarsClock& clock, const MarsMission& mission) {
  const double localSolDate = clock.marsSolDate - WestLongitude(mission.eastLongitude) / 360.0;
  return static_cast<int64_t>(std::floor(localSolDate)) - mission.solOffset;
}

const MarsMission* MissionNamed(const char* name) {
  for (const MarsMission* mission : {&kCuriosity, &kPerseverance}) {
    size_t i = 0;
    while (mission->name[i] && std::tolower(static_cast<unsigned char>(name[i])) == mission->name[i]) ++i;
    if (!mission->name[i] && !name[i]) return mission;
  }
  return nullptr;
}

void FormatSiteClock(const MarsClock& clock, double eastLongitude, const MarsMission* mission, char* out, size_t size) {
  // Minutes of the local time, cut (not rounded) so the clock never shows 24:00.
  const int minutes = static_cast<int>(LocalTrueSolarTime(clock, eastLongitude) * 60.0);
  int written = std::snprintf(out, size, "%02d:%02d local solar time", minutes / 60, minutes % 60);
  if (!mission || written < 0 || static_cast<size_t>(written) >= size) return;
  const int64_t sol = MissionSol(clock, *mission);
  if (sol < 0) return;  // a moment before the landing
  if (sol >= 1000)
    std::snprintf(out + written, size - written, ", sol %lld,%03lld", static_cast<long long>(sol / 1000),
                  static_cast<long long>(sol % 1000));
  else
    std::snprintf(out + written, size - written, ", sol %lld", static_cast<long long>(sol));
}

MoonPlace MoonPlaceAt(MarsMoon moon, int64_t unixMillis) {
  const MoonElements& el = moon == MarsMoon::Phobos ? kPhobos : kDeimos;
  const double dt = TerrestrialDaysSinceJ2000(unixMillis);
  const Vector3d laplace = MoonInLaplaceFrame(el, dt - kMoonEpochFromJ2000);
  const Vector3d body = IcrfToMarsBody(LaplaceToIcrf(laplace, el.laplacePoleRa, el.laplacePoleDec), dt);
  const SubPoint below = SubPointOf(body);
  return MoonPlace{below.latitude, below.eastLongitude, below.distance};
}

bool ParseUtcMoment(const std::string& text, int64_t* unixMillis, std::string* reason) {
  int64_t year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, millis = 0;
  const bool shaped = text.size() >= 20 && text.back() == 'Z' && ReadDigits(text, 0, 4, &year) && text[4] == '-' &&
                      ReadDigits(text, 5, 2, &month) && text[7] == '-' && ReadDigits(text, 8, 2, &day) &&
                      text[10] == 'T' && ReadDigits(text, 11, 2, &hour) && text[13] == ':' &&
                      ReadDigits(text, 14, 2, &minute) && text[16] == ':' && ReadDigits(text, 17, 2, &second) &&
                      (text.size() == 20 || (text[19] == '.' && ReadFraction(text.substr(20, text.size() - 21), &millis)));
  if (!shaped) {
    *reason = "it is not written as YYYY-MM-DDTHH:MM:SSZ";
    return false;
  }
  if (year < 1800 || year > 2050) {
    *reason = "the year must lie from 1800 to 2050";
    return false;
  }
  if (month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month)) {
    *reason = "there is no such day";
    return false;
  }
  // A leap second's 23:59:60 is refused too: the clock counts UTC as days of 86400 s.
  if (hour > 23 || minute > 59 || second > 59) {
    *reason = "there is no such time of day";
    return false;
  }
  const int64_t days = DaysFromCivil(year, static_cast<int>(month), static_cast<int>(day));
  *unixMillis = ((days * 24 + hour) * 60 + minute) * 60000 + second * 1000 + millis;
  return true;
}

const char* PlanetName(Planet planet) {
  static const char* const kNames[kPlanetCount] = {"mercury", "venus", "earth", "jupiter", "saturn"};
  return kNames[static_cast<int>(planet)];
}

PlanetPlace PlanetPlaceAt(Planet planet, int64_t unixMillis) {
  const double dt = TerrestrialDaysSinceJ2000(unixMillis);
  const double centuries = dt / kDaysPerJulianCentury;
  const int index = static_cast<int>(planet);
  const Vector3d fromSun = HeliocentricPlace(kPlanetElements[index], centuries);
  const Vector3d fromMars = Less(fromSun, HeliocentricPlace(kMarsElements, centuries));
  const SubPoint below = SubPointOf(IcrfToMarsBody(fromMars, dt));
  return PlanetPlace{below.latitude, below.eastLongitude, below.distance,
                     ApparentMagnitude(kPlanetBrightness[index], fromSun, fromMars)};
}

double PrimeMeridianAngle(const MarsClock& clock) { return PrimeMeridianAt(clock.terrestrialDays); }
