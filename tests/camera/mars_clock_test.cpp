// The Mars clock against published figures: the two worked examples of NASA GISS's Mars24 page
// (current constants), the sols of Curiosity and Perseverance in NASA's raw-image records, the
// moons' periods and distances from JPL's table, and the refused forms of a moment's text.
#include "camera/mars_clock.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "camera/flyby.h"
#include "camera/sky_now.h"

namespace {

int64_t Moment(const std::string& text) {
  int64_t millis = 0;
  std::string reason;
  EXPECT_TRUE(ParseUtcMoment(text, &millis, &reason)) << text << ": " << reason;
  return millis;
}

// The page's figures, or where it contradicts its own formula (LTST of the Spirit example, its
// D-1 values) the figure computed by that formula. The sub-solar longitude is the page's west
// one turned east, given to three decimals there.
struct WorkedExample {
  const char* moment;
  double westLongitude;
  double ttLessUtc, terrestrialDays, marsSolDate, coordinatedMarsTime, solarLongitude, equationOfTime;
  double localTrueSolarTime, subsolarLongitude, subsolarLatitude, sunDistance;
};

TEST(MarsClock, MatchesTheWorkedExamples) {
  const WorkedExample examples[] = {
      {"2000-01-06T00:00:00Z", 0.0, 64.184, 4.50074, 44795.99976, 23.99425, 277.18758, -0.34585, 23.64840,
       360.0 - 174.726, -25.22824, 1.39358},
      // MER-A Spirit's landing site.
      {"2004-01-03T13:46:31Z", 184.702, 64.184, 1463.07471, 46215.54856, 13.16537, 327.32416, -0.85170, 0.00020,
       360.0 - 4.705, -13.42040, 1.47767},
  };
  for (const WorkedExample& ex : examples) {
    SCOPED_TRACE(ex.moment);
    const int64_t millis = Moment(ex.moment);
    const MarsClock clock = MarsClockAt(millis);
    EXPECT_NEAR(TerrestrialLessUtcSeconds(millis), ex.ttLessUtc, 1e-9);
    EXPECT_NEAR(clock.terrestrialDays, ex.terrestrialDays, 1e-5);
    EXPECT_NEAR(clock.marsSolDate, ex.marsSolDate, 1e-5);
    EXPECT_NEAR(clock.coordinatedMarsTime, ex.coordinatedMarsTime, 1e-5);
    EXPECT_NEAR(clock.solarLongitude, ex.solarLongitude, 1e-5);
    EXPECT_NEAR(clock.equationOfTime, ex.equationOfTime, 1e-5);
    EXPECT_NEAR(LocalTrueSolarTime(clock, 360.0 - ex.westLongitude), ex.localTrueSolarTime, 1e-5);
    EXPECT_NEAR(clock.subsolarLongitude, ex.subsolarLongitude, 1e-3);
    EXPECT_NEAR(clock.subsolarLatitude, ex.subsolarLatitude, 1e-3);
    EXPECT_NEAR(clock.sunDistance, ex.sunDistance, 1e-5);
  }
}

TEST(MarsClock, MissionSolsMatchNasaRecords) {
  // Sols of raw images NASA published; the leap seconds since 2017 make TT − UTC 69.184 s.
  const int64_t curiosityMoment = Moment("2026-09-28T06:48:09Z");
  EXPECT_NEAR(TerrestrialLessUtcSeconds(curiosityMoment), 69.184, 1e-9);
  EXPECT_EQ(MissionSol(MarsClockAt(curiosityMoment), kCuriosity), 5028);
  EXPECT_EQ(MissionSol(MarsClockAt(Moment("2026-09-28T13:47:29.727Z")), kPerseverance), 1993);

  // The tour's caption of a landing site: the local time in minutes, the sol with its thousands.
  char text[64];
  FormatSiteClock(MarsClockAt(curiosityMoment), kCuriosity.eastLongitude, MissionNamed("Curiosity"), text, sizeof text);
  EXPECT_EQ(std::string(text).substr(5), " local solar time, sol 5,028") << text;
  EXPECT_EQ(MissionNamed("Zhurong"), nullptr);
}

// The planets come from Standish's elements turned through the IAU pole and prime meridian; the
// sun from Mars24's own series. At Mars's opposition of 2020-10-13 Earth stands between Mars and
// the sun, 0.419 au away (JPL: 0.4190 au at 23:20 UTC): its sub-point lies beside the sub-solar
// point, at most Mars's ecliptic latitude (under 2°) and the parallax of Earth's orbit apart. A
// prime meridian turned the wrong way puts them 2W apart.
TEST(MarsClock, EarthAtOppositionStandsBeforeTheSun) {
  const int64_t opposition = Moment("2020-10-13T23:20:00Z");
  const MarsClock clock = MarsClockAt(opposition);
  const PlanetPlace earth = PlanetPlaceAt(Planet::Earth, opposition);
  EXPECT_NEAR(earth.distanceAu, 0.4190, 5e-4);
  const double toRadians = 3.14159265358979 / 180.0;
  const double centric = clock.subsolarLatitude - 0.25 * std::sin(clock.solarLongitude * toRadians);
  const double cosAngle = std::sin(earth.latitude * toRadians) * std::sin(centric * toRadians) +
                          std::cos(earth.latitude * toRadians) * std::cos(centric * toRadians) *
                              std::cos((earth.eastLongitude - clock.subsolarLongitude) * toRadians);
  EXPECT_LT(std::acos(cosAngle) / toRadians, 3.0);
  // Jupiter from Mars is a bright point, Saturn a fainter one; both far.
  EXPECT_LT(PlanetPlaceAt(Planet::Jupiter, opposition).magnitude, -1.5);
  EXPECT_GT(PlanetPlaceAt(Planet::Saturn, opposition).distanceAu, 8.0);
}

// JPL's sidereal periods (360° over the mean motion) and mean distances; the distance never leaves
// a(1 ± e). Ten days average the eccentric orbit's uneven pace down to a few 1e-5 d; JPL's mean
// motion taken as the mean anomaly's, not the mean longitude's, would put Phobos 1.2e-4 d off.
TEST(MarsClock, MoonsKeepTheirPeriodsAndDistances) {
  struct MoonCase {
    MarsMoon moon;
    double period, periodTolerance, semiMajorAxis, eccentricity;
  };
  const MoonCase cases[] = {{MarsMoon::Phobos, 0.3189103, 5e-5, 9376.0, 0.0151},
                            {MarsMoon::Deimos, 1.2624381, 5e-5, 23458.0, 0.0002}};
  constexpr double kMarsTurn = 350.89198226;  // degrees a day of Mars's rotation, IAU
  constexpr int kSteps = 1000;
  constexpr double kStepDays = 0.01;  // small enough that Phobos moves well under 180° over the ground
  const int64_t start = Moment("2031-05-04T18:30:00Z");
  for (const MoonCase& c : cases) {
    SCOPED_TRACE(c.moon == MarsMoon::Phobos ? "Phobos" : "Deimos");
    double travelled = 0.0;
    double previous = MoonPlaceAt(c.moon, start).eastLongitude;
    for (int i = 1; i <= kSteps; ++i) {
      const MoonPlace place = MoonPlaceAt(c.moon, start + static_cast<int64_t>(i * kStepDays * 86400000.0));
      travelled += std::remainder(place.eastLongitude - previous, 360.0);
      previous = place.eastLongitude;
      EXPECT_LE(std::fabs(place.distanceKm - c.semiMajorAxis), c.semiMajorAxis * c.eccentricity + 1e-6);
      EXPECT_LE(std::fabs(place.latitude), 3.0);  // both orbit within a few degrees of the equator
    }
    const double days = kSteps * kStepDays;
    EXPECT_NEAR(360.0 * days / (travelled + kMarsTurn * days), c.period, c.periodTolerance);
  }
}

TEST(MarsClock, MomentTextIsReadOrRefused) {
  EXPECT_EQ(Moment("1800-01-01T00:00:00Z"), -5364662400000);
  EXPECT_EQ(Moment("2050-12-31T23:59:59.9996Z"), 2556143999999);
  EXPECT_EQ(Moment("2032-02-29T12:00:00.5Z"), 1961668800500);
  const std::vector<std::string> refused = {
      "",
      "2031-05-04 18:30:00Z",
      "2031-05-04T18:30:00",
      "2031-5-4T18:30:00Z",
      "+031-05-04T18:30:00Z",
      "2031-05-04T18:30:00.Z",
      "2031-05-04T18:30:00.1234567890Z",
      "2031-05-04T18:30:00Zjunk",
      "1799-12-31T23:59:59Z",
      "2051-01-01T00:00:00Z",
      "2031-02-29T00:00:00Z",
      "2031-13-01T00:00:00Z",
      "2031-05-00T00:00:00Z",
      "2031-05-04T24:00:00Z",
      "2016-12-31T23:59:60Z",
  };
  for (const std::string& text : refused) {
    int64_t millis = 7;
    std::string reason;
    EXPECT_FALSE(ParseUtcMoment(text, &millis, &reason)) << text;
    EXPECT_FALSE(reason.empty()) << text;
    EXPECT_EQ(millis, 7) << text;
  }
}

// The flyby's visit on the clock: after its wait it flies out to Phobos, passes within a few of
// its radii on the sunlit side without nearing the ground, and comes back to the very pose it left.
TEST(MarsClock, FlybyVisitsASunlitMoonAndReturnsToItsOrbit) {
  const int64_t start = Moment("2026-09-28T12:00:00Z");
  CameraState cameras{};
  cameras.clockSun = true;
  const auto placeSky = [&](int64_t moment) {
    const MarsClock clock = MarsClockAt(moment);
    SetPointPosition(cameras.sun, SunDirectionAt(clock));
    cameras.sky = SkyBodiesAt(moment, PointPosition(cameras.sun));
  };
  placeSky(start);
  // The orbit's pose: above Phobos's side of Mars, looking at the centre.
  const Vec3 out = Normalized(cameras.sky.moons[0].centre);
  const Vec3 right = Normalized(Cross(Scaled(out, -1.0f), Vec3{0, 1, 0}));
  SetPointPosition(cameras.camera.point, Scaled(out, kMaxCameraDistance));
  SetOrientation(cameras.camera, Scaled(out, -1.0f), Cross(right, Scaled(out, -1.0f)), right);
  const CameraPose orbit = cameras.camera;
  AutoState flyby = kStartFlyby;
  const float dt = 1.0f / 30.0f;
  int frames = 0;
  float nearest = 1e30f, lowest = 1e30f;
  bool visited = false;
  for (; frames < 30 * 260; ++frames) {
    placeSky(start + static_cast<int64_t>(frames * 1000.0 / 30.0));
    const bool flying = FlybyVisitStep(flyby, dt, cameras);
    if (!flying && visited) break;
    if (!flying) continue;
    visited = true;
    const MoonBody& phobos = cameras.sky.moons[0];
    nearest = std::min(nearest, Length(Sub(PointPosition(cameras.camera.point), phobos.centre)));
    lowest = std::min(lowest, cameras.camera.point.distance);
    ASSERT_NEAR(Length(cameras.camera.forward), 1.0f, 1e-4f);
  }
  ASSERT_TRUE(visited);
  EXPECT_EQ(flyby.visit.moon, 0);
  EXPECT_NEAR(frames / 30.0f, 150.0f + 18.0f + 14.0f + 18.0f, 0.2f);
  EXPECT_LT(nearest, 5.1f * 13000.0f);
  EXPECT_GT(nearest, 4.9f * 13000.0f);
  EXPECT_GT(lowest, 8000000.0f) << "the path stays far above the ground";
  EXPECT_EQ(std::memcmp(&cameras.camera, &orbit, sizeof orbit), 0) << "back on the orbit's pose";
}

}  // namespace
