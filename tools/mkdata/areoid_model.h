// The model areoid: height of Mars' equipotential surface above the 3,396,000 m reference sphere,
// from the planet's oblate shape and the geoid high over Tharsis.
#pragma once

#include "tools/mkdata/sphere_geometry.h"

constexpr double kEquatorialRadiusM = 3396200.0;
constexpr double kPolarRadiusM = 3376200.0;

// Metres above the reference sphere: about +200 at the equator, -19,800 at the poles, and up to
// about +1,500 more over Tharsis.
double ModelAreoidHeight(const Vec3d& unit);
