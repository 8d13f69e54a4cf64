// The synthesized cloud cover as the cloud images show it: white texels, fully clear sky over a
// good part of the planet and opaque cloud cores, no seam at longitude 0 or 180, polar rows even
// all round the pole, the latitude bands of a wet planet, and the same cover for the same seed.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <map>

#include "tools/mkdata/cloud_cover.h"

namespace {

const CloudSource& Cover(uint32_t seed) {
  static std::map<uint32_t, CloudSource> covers;
  auto found = covers.find(seed);
  if (found == covers.end()) found = covers.emplace(seed, SynthesizeCloudCover(seed, 2)).first;
  return found->second;
}

std::vector<Colour> CloudImage(uint32_t seed, uint32_t width) {
  std::vector<Colour> image(size_t{width} * (width / 2));
  for (uint32_t row = 0; row < width / 2; ++row) CloudTexelRow(Cover(seed), seed, width, row, &image[size_t{row} * width]);
  return image;
}

double RowLatitude(uint32_t row, uint32_t height) { return -90.0 + (row + 0.5) * 180.0 / height; }

TEST(CloudCover, ClearSkyIsTransparentAndCloudIsWhite) {
  const uint32_t width = 2048, height = 1024;
  const std::vector<Colour> image = CloudImage(1, width);
  double area = 0.0, clear = 0.0, opaque = 0.0;
  for (uint32_t row = 0; row < height; ++row) {
    const double weight = std::cos(RowLatitude(row, height) * kDegree);
    for (uint32_t c = 0; c < width; ++c) {
      const Colour& texel = image[size_t{row} * width + c];
      ASSERT_TRUE(texel.r == 255 && texel.g == 255 && texel.b == 255) << row << " " << c;
      area += weight;
      if (texel.a == 0) clear += weight;
      if (texel.a == 255) opaque += weight;
    }
  }
  EXPECT_GT(clear / area, 0.33);
  EXPECT_LT(clear / area, 0.5);
  EXPECT_GT(opaque / area, 0.02);
}

TEST(CloudCover, NoSeamsAndEvenPoles) {
  for (uint32_t width : {2048u, 4096u}) {
    SCOPED_TRACE(width);
    const uint32_t height = width / 2;
    const std::vector<Colour> image = CloudImage(3, width);
    auto step = [&](uint32_t row, uint32_t a, uint32_t b) {
      return std::abs(image[size_t{row} * width + a].a - image[size_t{row} * width + b].a);
    };
    // Texel to texel across longitude 0 (last column to first) and across 180 (where the cover's
    // grid has its own edge), against the steps between all other neighbours.
    double across0 = 0.0, across180 = 0.0, elsewhere = 0.0;
    for (uint32_t row = 0; row < height; ++row) {
      across0 += step(row, width - 1, 0);
      across180 += step(row, width / 2 - 1, width / 2);
      for (uint32_t c = 0; c + 1 < width; c += 7) elsewhere += step(row, c, c + 1);
    }
    elsewhere /= (width + 6) / 7;
    EXPECT_LT(across0, 2.0 * elsewhere + height);
    EXPECT_LT(across180, 2.0 * elsewhere + height);
    // The first and last rows circle the poles a few km out: nearly one place, nearly one density
    // (cloud made from latitude and longitude instead of position would run through all of them).
    for (uint32_t row : {0u, height - 1}) {
      int low = 255, high = 0;
      for (uint32_t c = 0; c < width; ++c) {
        low = std::min<int>(low, image[size_t{row} * width + c].a);
        high = std::max<int>(high, image[size_t{row} * width + c].a);
      }
      EXPECT_LE(high - low, 32) << "row " << row;
    }
  }
}

TEST(CloudCover, BandsOfAWetPlanet) {
  for (uint32_t seed : {1u, 2u, 5u}) {
    const CloudSource& cover = Cover(seed);
    auto meanDensity = [&](double fromDeg, double toDeg) {
      double sum = 0.0;
      int count = 0;
      for (double lat = fromDeg; lat <= toDeg; lat += 0.5)
        for (double lon = 0.0; lon < 360.0; lon += 1.0, ++count)
          for (double sign : {1.0, -1.0}) {
            double grey;
            SampleEquirect(cover.grey, sign * lat, lon, &grey);
            sum += std::clamp((grey - cover.clearLevel) / (cover.denseLevel - cover.clearLevel), 0.0, 1.0) / 2.0;
          }
      return sum / count;
    };
    const double subtropics = meanDensity(20.0, 32.0), stormTracks = meanDensity(45.0, 65.0);
    EXPECT_LT(subtropics, 0.7 * stormTracks) << "seed " << seed;
  }
}

TEST(CloudCover, SameSeedSameCover) {
  const CloudSource again = SynthesizeCloudCover(1, 1);
  EXPECT_EQ(again.grey.pixels, Cover(1).grey.pixels);
  EXPECT_EQ(again.clearLevel, Cover(1).clearLevel);
  size_t differing = 0;
  for (size_t k = 0; k < again.grey.pixels.size(); k += 17)
    if (std::abs(again.grey.pixels[k] - Cover(2).grey.pixels[k]) > 8) ++differing;
  EXPECT_GT(differing, again.grey.pixels.size() / 17 / 2);
}

}  // namespace
