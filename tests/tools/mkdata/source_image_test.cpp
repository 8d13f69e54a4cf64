// Imported JPEG pictures: grey stays grey and colour becomes RGB with the right pixels where they
// were drawn; files that are no picture, and pictures beyond the size limit (refused from their
// header, before any pixel is decoded), give one line naming the file.
#include <gtest/gtest.h>

#include <cstdlib>

#include "tests/support/temp_folder.h"
#include "tests/support/test_data.h"
#include "tests/tools/mkdata/mkdata_sources.h"
#include "tools/mkdata/source_image.h"

namespace {

// Four flat quadrants, so JPEG's block noise stays far below the differences between them.
uint8_t Quadrant(uint32_t x, uint32_t y, uint32_t width, uint32_t height, uint32_t channel) {
  static const uint8_t kColours[4][3] = {{200, 60, 40}, {40, 160, 70}, {30, 50, 190}, {240, 230, 220}};
  return kColours[(y >= height / 2) * 2 + (x >= width / 2)][channel];
}

// A one-component (greyscale) JPEG of 16 x 8 pixels, grey 40 on the left half and 200 on the right,
// written by ImageMagick (stb_image_write always writes three components).
const uint8_t kGreyJpeg[] = {
    0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x10, 0x4A, 0x46, 0x49, 0x46, 0x00, 0x01, 0x01, 0x00, 0x00, 0x01,
    0x00, 0x01, 0x00, 0x00, 0xFF, 0xDB, 0x00, 0x43, 0x00, 0x02, 0x01, 0x01, 0x01, 0x01, 0x01, 0x02,
    0x01, 0x01, 0x01, 0x02, 0x02, 0x02, 0x02, 0x02, 0x04, 0x03, 0x02, 0x02, 0x02, 0x02, 0x05, 0x04,
    0x04, 0x03, 0x04, 0x06, 0x05, 0x06, 0x06, 0x06, 0x05, 0x06, 0x06, 0x06, 0x07, 0x09, 0x08, 0x06,
    0x07, 0x09, 0x07, 0x06, 0x06, 0x08, 0x0B, 0x08, 0x09, 0x0A, 0x0A, 0x0A, 0x0A, 0x0A, 0x06, 0x08,
    0x0B, 0x0C, 0x0B, 0x0A, 0x0C, 0x09, 0x0A, 0x0A, 0x0A, 0xFF, 0xC0, 0x00, 0x0B, 0x08, 0x00, 0x08,
    0x00, 0x10, 0x01, 0x01, 0x11, 0x00, 0xFF, 0xC4, 0x00, 0x15, 0x00, 0x01, 0x01, 0x00, 0x00, 0x00,
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x09, 0x0A, 0xFF, 0xC4, 0x00,
    0x14, 0x10, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
    0x00, 0x00, 0x00, 0xFF, 0xDA, 0x00, 0x08, 0x01, 0x01, 0x00, 0x00, 0x3F, 0x00, 0x27, 0xD5, 0x00,
    0xFF, 0xD9,
};

TEST(SourceImage, DecodesGreyAndColourWherePixelsWereDrawn) {
  TempFolder folder;
  const std::string colourPath = (folder / "quadrants.jpg").string(), greyPath = (folder / "grey.jpg").string();
  const uint32_t width = 64, height = 32;
  std::vector<uint8_t> pixels(size_t{width} * height * 3);
  for (uint32_t y = 0; y < height; ++y)
    for (uint32_t x = 0; x < width; ++x)
      for (uint32_t k = 0; k < 3; ++k) pixels[(y * width + x) * 3 + k] = Quadrant(x, y, width, height, k);
  ASSERT_TRUE(WriteJpegFile(colourPath, width, height, 3, pixels));
  ASSERT_TRUE(WriteFileBytes(greyPath, kGreyJpeg, sizeof kGreyJpeg));

  SourceImage colour, grey;
  std::string error;
  ASSERT_TRUE(ReadJpegImage(colourPath, colour, error)) << error;
  ASSERT_TRUE(ReadJpegImage(greyPath, grey, error)) << error;
  ASSERT_EQ(colour.width, width);
  ASSERT_EQ(colour.height, height);
  ASSERT_EQ(colour.channels, 3u);
  ASSERT_EQ(colour.pixels.size(), pixels.size());
  // Quadrant centres, away from the edges where chroma is blurred.
  for (uint32_t y : {8u, 24u})
    for (uint32_t x : {16u, 48u})
      for (uint32_t k = 0; k < 3; ++k)
        EXPECT_NEAR(colour.pixels[(y * width + x) * 3 + k], Quadrant(x, y, width, height, k), 6) << x << " " << y;
  ASSERT_EQ(grey.width, 16u);
  ASSERT_EQ(grey.height, 8u);
  ASSERT_EQ(grey.channels, 1u);
  ASSERT_EQ(grey.pixels.size(), 16u * 8u);
  for (uint32_t y = 0; y < 8; ++y) {
    EXPECT_NEAR(grey.pixels[y * 16 + 3], 40, 4) << y;
    EXPECT_NEAR(grey.pixels[y * 16 + 12], 200, 4) << y;
  }
}

TEST(SourceImage, RefusesWhatIsNoPictureOrTooLarge) {
  TempFolder folder;
  const std::string wide = (folder / "wide.jpg").string(), tall = (folder / "tall.jpg").string();
  const std::string text = (folder / "text.jpg").string(), cut = (folder / "cut.jpg").string();
  // Grey lines of the largest width plus one: small files whose headers exceed the limit.
  ASSERT_TRUE(WriteJpegFile(wide, kMaxImageWidth + 1, 2, 1, std::vector<uint8_t>(size_t{kMaxImageWidth + 1} * 2, 90)));
  ASSERT_TRUE(WriteJpegFile(tall, 2, kMaxImageHeight + 1, 1, std::vector<uint8_t>(size_t{kMaxImageHeight + 1} * 2, 90)));
  ASSERT_TRUE(WriteFileBytes(text, "Olympus Mons\n", 13));
  const std::vector<uint8_t> whole = ReadFileBytes(wide);
  ASSERT_TRUE(WriteFileBytes(cut, whole.data(), 100));  // the start of a JPEG: no frame header
  struct Case {
    std::string path;
    std::string message;
  };
  const Case cases[] = {
      {wide, wide + " is 32769 x 2 pixels, more than the 32768 x 16384 this builder reads"},
      {tall, tall + " is 2 x 16385 pixels, more than the 32768 x 16384"},
      {text, text + " is not a readable JPEG picture: "},
      {cut, cut + " is not a readable JPEG picture: "},
      {(folder / "missing.jpg").string(), "cannot open " + (folder / "missing.jpg").string() + ": "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    SourceImage image;
    std::string error;
    EXPECT_FALSE(ReadJpegImage(c.path, image, error));
    EXPECT_EQ(error.rfind(c.message, 0), 0u) << error;
    EXPECT_EQ(error.find('\n'), std::string::npos) << error;
    EXPECT_TRUE(image.pixels.empty());
  }
}

}  // namespace
