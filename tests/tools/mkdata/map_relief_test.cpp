// Shape from shading: a crater drawn the way the colour map shows one (lit from the north-west)
// comes back as a pit, a dome as a rise, where they are drawn.
#include <gtest/gtest.h>

#include <cmath>

#include "tools/mkdata/map_relief.h"
#include "tools/mkdata/sphere_geometry.h"

namespace {

constexpr uint32_t kWidth = 512, kHeight = 256;

// A Gaussian bump (positive) or pit (negative) of the given height (arbitrary units) at pixel
// (cx, cy), shaded with brightness rising where the ground falls towards the light.
SourceImage ShadedPicture(double height, double cx, double cy) {
  SourceImage image;
  image.width = kWidth;
  image.height = kHeight;
  image.channels = 1;
  image.pixels.resize(size_t{kWidth} * kHeight);
  const double towardsEast = std::sin(kMapLightAzimuthDeg * kDegree);
  const double towardsNorth = std::cos(kMapLightAzimuthDeg * kDegree);
  auto surface = [&](double x, double y) {
    const double r2 = ((x - cx) * (x - cx) + (y - cy) * (y - cy)) / (6.0 * 6.0);
    return height * std::exp(-r2);
  };
  for (uint32_t y = 0; y < kHeight; ++y)
    for (uint32_t x = 0; x < kWidth; ++x) {
      // Picture rows run southward, so a step towards the light goes up by towardsNorth.
      const double ahead = surface(x + towardsEast, y - towardsNorth), behind = surface(x - towardsEast, y + towardsNorth);
      const double brightness = 128.0 - 40.0 * (ahead - behind);
      image.pixels[size_t{y} * kWidth + x] = static_cast<uint8_t>(std::lround(std::fmin(255.0, std::fmax(0.0, brightness))));
    }
  return image;
}

TEST(MapRelief, RecoversPitsAndRisesFromShading) {
  // Centre of the picture: latitude 0, longitude 0 (the map has 180 E at its left edge).
  const double cx = kWidth / 2.0 - 0.5, cy = kHeight / 2.0 - 0.5;
  for (double height : {-1.0, 1.0}) {
    SCOPED_TRACE(height < 0 ? "crater" : "dome");
    const MapRelief relief = MakeMapRelief(ShadedPicture(height, cx, cy), 2);
    ASSERT_EQ(relief.heights.size(), size_t{kWidth} * kHeight);
    const double centre = SampleMapRelief(relief, 0.0, 0.0);
    // 25 pixels (over 17 degrees here) away in each direction the ground is undisturbed.
    for (const auto& away : {std::pair{0.0, 17.0}, std::pair{0.0, -17.0}, std::pair{17.0, 0.0}, std::pair{-17.0, 0.0}}) {
      const double far = SampleMapRelief(relief, away.first, away.second);
      EXPECT_GT(height * (centre - far), 100.0) << away.first << " " << away.second << ": centre " << centre << ", away " << far;
    }
    // The extreme lies at the feature, not beside it.
    double extreme = 0.0, extremeLat = 99, extremeLon = 99;
    for (double lat = -10; lat <= 10; lat += 0.5)
      for (double lon = -10; lon <= 10; lon += 0.5) {
        const double h = height * SampleMapRelief(relief, lat, lon);
        if (h > extreme) extreme = h, extremeLat = lat, extremeLon = lon;
      }
    EXPECT_LE(std::hypot(extremeLat, extremeLon), 2.0) << extremeLat << " " << extremeLon;
  }
}

}  // namespace
