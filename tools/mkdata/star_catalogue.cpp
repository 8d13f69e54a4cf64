// Star list parsing, the equatorial-to-planet rotation and the star colours of the star files.
#include "tools/mkdata/star_catalogue.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "platform/platform.h"
#include "tools/mkdata/sphere_geometry.h"

namespace {

// Brightness: full at Sirius, then falling by a factor 10^(-0.4 * 0.2) per magnitude (a strongly
// compressed version of the real ratio, so magnitude 6.5 keeps a quarter of full brightness), but
// never below kFaintestLevel so the dimmest stars show as points.
constexpr double kSaturatedMagnitude = -1.46;
constexpr double kMagnitudeContrast = 0.2;
constexpr double kFaintestLevel = 56.0;

struct TintStop {
  double colourIndex, r, g, b;
};
// Star colours as the eye sees them, pale: hot B stars bluish white, F stars white, K and M
// giants pale orange.
constexpr TintStop kTints[] = {
    {-0.33, 0.72, 0.80, 1.00}, {0.00, 0.86, 0.90, 1.00}, {kWhiteColourIndex, 1.00, 1.00, 1.00},
    {0.65, 1.00, 0.95, 0.85},  {1.00, 1.00, 0.88, 0.72}, {1.40, 1.00, 0.80, 0.60},
    {1.90, 1.00, 0.74, 0.52},
};

Vec3d EquatorialUnit(double raDeg, double decDeg) {
  const double ra = raDeg * kDegree, dec = decDeg * kDegree;
  return {std::cos(dec) * std::cos(ra), std::cos(dec) * std::sin(ra), std::sin(dec)};
}

bool IsBlank(const char* line) {
  for (; *line; ++line)
    if (*line != ' ' && *line != '\t' && *line != '\r' && *line != '\n') return *line == '#';
  return true;
}

}  // namespace

bool ReadStarList(const std::string& path, std::vector<CatalogueStar>& stars, std::string& error) {
  FILE* file = PlatformOpenFile(path.c_str(), "r");
  if (!file) {
    error = "cannot open the star list " + path + ": " + std::strerror(errno);
    return false;
  }
  stars.clear();
  char line[512];
  for (unsigned number = 1; std::fgets(line, sizeof line, file); ++number) {
    if (IsBlank(line)) continue;
    CatalogueStar star;
    double colourIndex = kWhiteColourIndex;
    const int fields = std::sscanf(line, "%lf %lf %lf %lf", &star.decDeg, &star.raHours, &star.magnitude, &colourIndex);
    // B - V runs from about -0.4 (hot blue stars) to a little over 2 (the reddest carbon stars).
    if (fields == 4 && std::fabs(colourIndex - 1.0) <= 3.0) star.colourIndex = colourIndex;
    if (fields < 3 || !(std::fabs(star.decDeg) <= 90.0) || !(star.raHours >= 0.0 && star.raHours < 24.0) ||
        !(std::fabs(star.magnitude) < 30.0)) {
      error = path + " line " + std::to_string(number) + " is not a star (declination, right ascension in hours, magnitude)";
      std::fclose(file);
      return false;
    }
    stars.push_back(star);
  }
  std::fclose(file);
  if (stars.empty()) {
    error = "the star list " + path + " holds no stars";
    return false;
  }
  return true;
}

PlanetSkyAngles EquatorialToPlanet(double raDeg, double decDeg) {
  // Planet frame axes in equatorial coordinates: y the pole, z the node, x = y cross z (east).
  static const Vec3d pole = EquatorialUnit(kMarsPoleRaDeg, kMarsPoleDecDeg);
  static const Vec3d node = EquatorialUnit(kMarsPoleRaDeg + 90.0, 0.0);
  static const Vec3d east = Cross(pole, node);
  const Vec3d v = EquatorialUnit(raDeg, decDeg);
  PlanetSkyAngles angles;
  angles.elevationDeg = std::asin(std::clamp(Dot(v, pole), -1.0, 1.0)) / kDegree;
  angles.azimuthDeg = WrapLongitude(std::atan2(Dot(v, east), Dot(v, node)) / kDegree);
  return angles;
}

Colour StarColour(double magnitude, double colourIndex) {
  const double fall = std::pow(10.0, -0.4 * kMagnitudeContrast * std::max(0.0, magnitude - kSaturatedMagnitude));
  const double level = std::max(kFaintestLevel, 255.0 * fall);
  const size_t last = std::size(kTints) - 1;
  const double index = std::clamp(colourIndex, kTints[0].colourIndex, kTints[last].colourIndex);
  size_t k = 0;
  while (k + 1 < last && index > kTints[k + 1].colourIndex) ++k;
  const double t = (index - kTints[k].colourIndex) / (kTints[k + 1].colourIndex - kTints[k].colourIndex);
  auto channel = [&](double a, double b) { return static_cast<uint8_t>(std::lround(level * Lerp(a, b, t))); };
  return Colour{channel(kTints[k].r, kTints[k + 1].r), channel(kTints[k].g, kTints[k + 1].g),
                channel(kTints[k].b, kTints[k + 1].b), static_cast<uint8_t>(std::lround(level))};
}

void MakeStarRecords(const std::vector<CatalogueStar>& stars, std::vector<StarRecord>& bright,
                     std::vector<StarRecord>& dim) {
  bright.clear();
  dim.clear();
  for (const CatalogueStar& star : stars) {
    const PlanetSkyAngles angles = EquatorialToPlanet(star.raHours * 15.0, star.decDeg);
    const StarRecord record{StarColour(star.magnitude, star.colourIndex), static_cast<float>(angles.elevationDeg),
                            static_cast<float>(angles.azimuthDeg)};
    (star.magnitude <= kBrightStarLimit ? bright : dim).push_back(record);
  }
}
