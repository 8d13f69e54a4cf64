// Relief recovered from the shading of a colour map the user imports. A map made from orbital
// pictures shows craters, scarps and channels shaded by the real relief; lit from the north-west,
// as the builder assumes, crater floors are dark on that side and the north walls of Valles
// Marineris lie in shadow, so the map's high-pass brightness is a slope towards the light, and
// integrating it along the light direction gives back their shape at their true places.
#pragma once

#include <cstdint>
#include <vector>

#include "tools/mkdata/source_image.h"

// Heights in metres on the colour map's own pixel grid (same orientation), without the broad
// terrain: the result has no mean and fades out towards the poles, where the map shows ice caps.
struct MapRelief {
  uint32_t width = 0, height = 0;
  std::vector<float> heights;
};

// Direction towards the light in the map: azimuth in degrees clockwise from north.
constexpr double kMapLightAzimuthDeg = 315.0;

// Runs on `threads` threads; the result does not depend on their number.
MapRelief MakeMapRelief(const SourceImage& colourMap, unsigned threads);
// Three passes of a box blur of the given radius in pixels (close to a Gaussian): wraps in x
// (longitude), clamps in y.
std::vector<float> BoxBlur3(const std::vector<float>& source, uint32_t width, uint32_t height, int radius);

// Bilinear sample at a latitude and east longitude (0 for an empty relief).
double SampleMapRelief(const MapRelief& relief, double latDeg, double lonDeg);
