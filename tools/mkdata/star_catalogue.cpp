// Catalogue parsing and the equatorial-to-planet rotation of the star files.
#include "tools/mkdata/star_catalogue.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "tools/mkdata/sphere_geometry.h"

namespace {

// Brightness: full for stars of magnitude 1 and brighter, then falling by a factor 10^(-0.4 * 0.3)
// per magnitude (a compressed version of the real ratio, so magnitude 6.5 is a fifth of full
// brightness), but never below kFaintestLevel so the dimmest catalogue stars show as points.
constexpr double kSaturatedMagnitude = 1.0;
constexpr double kMagnitudeContrast = 0.3;
constexpr double kFaintestLevel = 60.0;

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

bool ReadStarCatalogue(const std::string& path, std::vector<CatalogueStar>& stars, std::string& error) {
  FILE* file = std::fopen(path.c_str(), "r");
  if (!file) {
    error = "cannot open the star catalogue " + path + ": " + std::strerror(errno);
    return false;
  }
  stars.clear();
  char line[512];
  for (unsigned number = 1; std::fgets(line, sizeof line, file); ++number) {
    if (IsBlank(line)) continue;
    CatalogueStar star;
    if (std::sscanf(line, "%lf %lf %lf", &star.decDeg, &star.raHours, &star.magnitude) != 3 ||
        !(std::fabs(star.decDeg) <= 90.0) || !(star.raHours >= 0.0 && star.raHours < 24.0) ||
        !(std::fabs(star.magnitude) < 30.0)) {
      error = path + " line " + std::to_string(number) + " is not a star (declination, right ascension in hours, magnitude)";
      std::fclose(file);
      return false;
    }
    stars.push_back(star);
  }
  std::fclose(file);
  if (stars.empty()) {
    error = "the star catalogue " + path + " holds no stars";
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

Colour StarColour(double magnitude) {
  const double fall = std::pow(10.0, -0.4 * kMagnitudeContrast * std::max(0.0, magnitude - kSaturatedMagnitude));
  const uint8_t level = static_cast<uint8_t>(std::lround(std::max(kFaintestLevel, 255.0 * fall)));
  return Colour{level, level, level, level};
}

void MakeStarRecords(const std::vector<CatalogueStar>& stars, std::vector<StarRecord>& bright,
                     std::vector<StarRecord>& dim) {
  bright.clear();
  dim.clear();
  for (const CatalogueStar& star : stars) {
    const PlanetSkyAngles angles = EquatorialToPlanet(star.raHours * 15.0, star.decDeg);
    const StarRecord record{StarColour(star.magnitude), static_cast<float>(angles.elevationDeg),
                            static_cast<float>(angles.azimuthDeg)};
    (star.magnitude <= kBrightStarLimit ? bright : dim).push_back(record);
  }
}
