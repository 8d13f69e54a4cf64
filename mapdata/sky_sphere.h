// Where the star list's records stand on the sky sphere every back end draws them on: a sphere of
// radius 10 around the eye, inside the sky's 1..11 depth range.
#pragma once

#include <cmath>
#include <cstdint>

#include "mapdata/map_formats.h"

constexpr float kSkyRadius = 10.0f;

// Sky-sphere position of a star record (elevation, azimuth in degrees).
inline void StarPosition(const StarRecord& star, float out[3]) {
  const float a = star.elevation * 0.017453292519943295f;
  const float b = star.azimuth * 0.017453292519943295f;
  out[0] = kSkyRadius * std::cos(a) * std::sin(b);
  out[1] = kSkyRadius * std::sin(a);
  out[2] = kSkyRadius * std::cos(a) * std::cos(b);
}

// The star list as the sky passes draw it: 3 floats of position and a colour per star, allocated
// here (the caller frees both with std::free). Ends the process (status 1) when they cannot be.
struct StarArrays {
  float* positions;
  Colour* colours;
};
StarArrays MakeStarArrays(const StarRecord* stars, uint32_t count);
