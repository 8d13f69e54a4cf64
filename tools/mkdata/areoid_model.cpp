// The ellipsoid of Mars' equatorial and polar radii, plus a smooth bump for the Tharsis geoid high.
#include "tools/mkdata/areoid_model.h"

#include <cmath>

#include "mapdata/map_formats.h"

namespace {

// The Tharsis load raises the geoid by about 1.5 km over a region some 4,000 km across.
constexpr double kTharsisHighM = 1500.0;
constexpr double kTharsisHighLatDeg = -2.0, kTharsisHighLonDeg = 252.0;
constexpr double kTharsisHighWidthKm = 1800.0;

}  // namespace

double ModelAreoidHeight(const Vec3d& unit) {
  // Radius of the ellipse along the direction unit (planet-centred latitude).
  const double a = kEquatorialRadiusM, b = kPolarRadiusM;
  const double cosLat2 = unit.x * unit.x + unit.z * unit.z, sinLat2 = unit.y * unit.y;
  const double radius = a * b / std::sqrt(b * b * cosLat2 + a * a * sinLat2);
  static const Vec3d tharsis = UnitVectorAt(kTharsisHighLatDeg, kTharsisHighLonDeg);
  const double d = SurfaceDistanceKm(unit, tharsis) / kTharsisHighWidthKm;
  return radius - kReferenceRadius + kTharsisHighM * std::exp(-d * d);
}
