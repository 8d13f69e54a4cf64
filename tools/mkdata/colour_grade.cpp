// A luminance ramp from dark basalt to bright dust and frost, with a little of the mosaic's own hue
// kept on top so regional colour differences survive; bright, unsaturated pixels (polar ice,
// Hellas frost) go to near-white instead of the ramp's orange.
#include "tools/mkdata/colour_grade.h"

#include <algorithm>
#include <cmath>
#include <iterator>

#include "tools/mkdata/sphere_geometry.h"

namespace {

struct RampStop {
  double luminance, r, g, b;
};
// Chosen against the mosaic's luminance spread: 5 % of it lies below 0.29 (dark regions), half
// below 0.40, 95 % below 0.62 (bright dust; above that mostly ice and frost).
constexpr RampStop kRamp[] = {
    {0.00, 30, 22, 18},    {0.22, 78, 57, 44},    {0.30, 108, 75, 53},   {0.40, 170, 113, 72},
    {0.50, 200, 142, 96},  {0.62, 225, 178, 136}, {0.80, 244, 228, 213}, {1.00, 255, 253, 250},
};
// Share of the mosaic's own deviation from grey that is kept.
constexpr double kOwnHue = 0.3;
// Ice and frost: bright (luminance from kIceFrom to kIceFull) and unsaturated (below kIceSaturation).
constexpr double kIceFrom = 0.50, kIceFull = 0.68, kIceSaturationLow = 0.08, kIceSaturationHigh = 0.20;

uint8_t Channel(double value) { return static_cast<uint8_t>(std::clamp(std::lround(value), 0L, 255L)); }

}  // namespace

void GradeMarsColour(const uint8_t in[3], uint8_t out[3]) {
  const double r = in[0], g = in[1], b = in[2];
  const double grey = 0.299 * r + 0.587 * g + 0.114 * b;
  const double y = grey / 255.0;
  const double high = std::max({r, g, b}), low = std::min({r, g, b});
  const double saturation = high > 0.0 ? (high - low) / high : 0.0;
  size_t k = 0;
  while (k + 2 < std::size(kRamp) && y > kRamp[k + 1].luminance) ++k;
  const double t = std::clamp((y - kRamp[k].luminance) / (kRamp[k + 1].luminance - kRamp[k].luminance), 0.0, 1.0);
  const double ramp[3] = {Lerp(kRamp[k].r, kRamp[k + 1].r, t), Lerp(kRamp[k].g, kRamp[k + 1].g, t),
                          Lerp(kRamp[k].b, kRamp[k + 1].b, t)};
  const double ice = Smoothstep(kIceFrom, kIceFull, y) * (1.0 - Smoothstep(kIceSaturationLow, kIceSaturationHigh, saturation));
  const double white = std::min(255.0, 255.0 * (0.25 + 1.1 * y));
  const double whiteTint[3] = {0.98, 0.97, 0.97};
  const double own[3] = {r - grey, g - grey, b - grey};
  for (int c = 0; c < 3; ++c) out[c] = Channel(Lerp(ramp[c], white * whiteTint[c], ice) + kOwnHue * own[c]);
}

void GradeMarsPicture(SourceImage& picture) {
  if (picture.channels != 3) return;
  for (size_t i = 0; i + 2 < picture.pixels.size(); i += 3) GradeMarsColour(&picture.pixels[i], &picture.pixels[i]);
}
