// HSV conversions at the sector boundaries and the truncating blend: off-by-one sectors or a
// rounding blend shift every terraformed and sea colour.
#include "mapdata/colour.h"

#include <gtest/gtest.h>

namespace {

TEST(Colour, RgbToHsvHuesAndGreys) {
  struct Case {
    float r, g, b, h, s, v;
  } cases[] = {
      {1, 0, 0, 0, 1, 1},        {0, 1, 0, 120, 1, 1},  {0, 0, 1, 240, 1, 1},      {1, 1, 0, 60, 1, 1},
      {1, 0, 0.5f, 330, 1, 1},   {0.5f, 0.5f, 0.5f, 0, 0, 0.5f}, {0, 0, 0, 0, 0, 0},
      {0.2f, 0.4f, 0.4f, 180, 0.5f, 0.4f},
  };
  for (const Case& c : cases) {
    const Hsv hsv = RgbToHsv(c.r, c.g, c.b);
    EXPECT_NEAR(hsv.h, c.h, 1e-4f) << c.r << "," << c.g << "," << c.b;
    EXPECT_NEAR(hsv.s, c.s, 1e-6f);
    EXPECT_NEAR(hsv.v, c.v, 1e-6f);
  }
}

TEST(Colour, HsvToRgbSectorBoundariesAndRange) {
  struct Case {
    float h, r, g, b;
  } cases[] = {
      {0, 1, 0, 0},   {60, 1, 1, 0},  {120, 0, 1, 0}, {180, 0, 1, 1},    {240, 0, 0, 1},
      {300, 1, 0, 1}, {360, 1, 0, 0}, {30, 1, 0.5f, 0}, {-0.001f, 0, 0, 0}, {360.5f, 0, 0, 0},
  };
  for (const Case& c : cases) {
    const Rgb rgb = HsvToRgb(c.h, 1.0f, 1.0f);
    EXPECT_NEAR(rgb.r, c.r, 1e-6f) << "h=" << c.h;
    EXPECT_NEAR(rgb.g, c.g, 1e-6f) << "h=" << c.h;
    EXPECT_NEAR(rgb.b, c.b, 1e-6f) << "h=" << c.h;
  }
  const Rgb grey = HsvToRgb(200, 0, 0.25f);
  EXPECT_FLOAT_EQ(grey.r, 0.25f);
  EXPECT_FLOAT_EQ(grey.b, 0.25f);
  // The terraform tint goes there and back.
  const Hsv tint = RgbToHsv(40 / 255.0f, 70 / 255.0f, 70 / 255.0f);
  const Rgb back = HsvToRgb(tint.h, tint.s, tint.v);
  EXPECT_NEAR(back.r * 255, 40, 1e-3);
  EXPECT_NEAR(back.g * 255, 70, 1e-3);
  EXPECT_NEAR(back.b * 255, 70, 1e-3);
}

TEST(Colour, BlendTruncatesAndClearsAlpha) {
  const Colour a{200, 100, 0, 255}, b{0, 100, 200, 255};
  const Colour quarter = BlendRgb(a, b, 0.25f);
  EXPECT_EQ(quarter.r, 50);
  EXPECT_EQ(quarter.g, 100);
  EXPECT_EQ(quarter.b, 150);
  EXPECT_EQ(quarter.a, 0);
  const Colour half = BlendRgb(Colour{255, 1, 0, 9}, Colour{0, 0, 0, 9}, 0.5f);
  EXPECT_EQ(half.r, 127);  // 127.5 truncates
  EXPECT_EQ(half.g, 0);
  const Colour ends = BlendRgb(Colour{255, 255, 255, 0}, Colour{1, 2, 3, 0}, 1.0f);
  EXPECT_EQ(ends.r, 255);
  EXPECT_EQ(BlendRgb(Colour{255, 255, 255, 0}, Colour{1, 2, 3, 0}, 0.0f).b, 3);
}

}  // namespace
