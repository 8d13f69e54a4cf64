// The sun disc and its glow.
#include "tools/mkdata/sun_image.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kDiscRadius = 0.3;   // of the half-width: the disc is about 19 texels across
constexpr double kLimbDarkening = 0.4;  // linear law: the limb keeps 60 % of the centre's brightness
constexpr double kGlowAlpha = 0.45;    // glow alpha just outside the disc, below the limb's brightness

uint8_t Byte(double value) { return static_cast<uint8_t>(std::clamp(std::lround(value * 255.0), 0L, 255L)); }

}  // namespace

std::vector<Colour> MakeSunImage() {
  std::vector<Colour> image(size_t{kSunImageSize} * kSunImageSize);
  const double centre = (kSunImageSize - 1) / 2.0;
  for (uint32_t y = 0; y < kSunImageSize; ++y)
    for (uint32_t x = 0; x < kSunImageSize; ++x) {
      // 1 at the middle of an edge texel, so every edge texel's alpha is 0.
      const double r = std::hypot(x - centre, y - centre) / centre;
      Colour& texel = image[size_t{y} * kSunImageSize + x];
      if (r <= kDiscRadius) {
        const double mu = std::sqrt(1.0 - (r / kDiscRadius) * (r / kDiscRadius));
        const double intensity = 1.0 - kLimbDarkening * (1.0 - mu);
        texel = Colour{Byte(intensity), Byte(intensity * 0.97), Byte(intensity * 0.90), 255};
      } else {
        const double fall = std::max(0.0, (1.0 - r) / (1.0 - kDiscRadius));
        texel = Colour{255, 236, 200, Byte(kGlowAlpha * fall * fall)};
      }
    }
  return image;
}
