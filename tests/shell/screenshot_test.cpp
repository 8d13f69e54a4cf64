// The screenshot bitmap layout, byte for byte, and the run's file numbering.
#include "shell/screenshot.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

uint32_t Get32(const uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24; }
uint32_t Get16(const uint8_t* p) { return p[0] | p[1] << 8; }

TEST(Screenshot, RowPaddingAndSizes) {
  struct Case {
    int32_t width, height;
    uint32_t row, image;
  } cases[] = {
      {1366, 768, 4100, 3148800}, {1024, 768, 3072, 2359296}, {1, 1, 4, 4}, {2, 3, 8, 24}, {3, 2, 12, 24}, {5, 1, 16, 16},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(BmpRowSize(c.width), c.row) << c.width;
    EXPECT_EQ(BmpImageSize(c.width, c.height), c.image) << c.width;
  }
}

TEST(Screenshot, HeadersByteForByte) {
  uint8_t file[kBmpFileHeaderSize + kBmpInfoHeaderSize];
  std::memset(file, 0xCD, sizeof file);
  WriteBmpFileHeader(file, BmpImageSize(1366, 768));
  WriteBmpInfoHeader(file + kBmpFileHeaderSize, 1366, 768);
  EXPECT_EQ(file[0], 'B');
  EXPECT_EQ(file[1], 'M');
  EXPECT_EQ(Get32(file + 2), 3148854u);  // the whole file
  EXPECT_EQ(Get16(file + 6), 0u);
  EXPECT_EQ(Get16(file + 8), 0u);
  EXPECT_EQ(Get32(file + 10), 54u);
  EXPECT_EQ(Get32(file + 14), 40u);
  EXPECT_EQ(Get32(file + 18), 1366u);
  EXPECT_EQ(Get32(file + 22), 768u);  // positive: bottom-up rows
  EXPECT_EQ(Get16(file + 26), 1u);
  EXPECT_EQ(Get16(file + 28), 24u);
  EXPECT_EQ(Get32(file + 30), 0u);
  EXPECT_EQ(Get32(file + 34), 3148800u);
  for (int offset : {38, 42, 46, 50}) EXPECT_EQ(Get32(file + offset), 0u) << offset;
}

TEST(Screenshot, NumberingPerRun) {
  ResetScreenshotCounter();
  char name[32];
  NextScreenshotName(name, sizeof name);
  EXPECT_STREQ(name, "Screenshot 01.bmp");
  NextScreenshotName(name, sizeof name);
  EXPECT_STREQ(name, "Screenshot 02.bmp");
  for (int i = 3; i < 100; ++i) NextScreenshotName(name, sizeof name);
  EXPECT_STREQ(name, "Screenshot 99.bmp");
  NextScreenshotName(name, sizeof name);
  EXPECT_STREQ(name, "Screenshot 100.bmp");
  ResetScreenshotCounter();
  NextScreenshotName(name, sizeof name);
  EXPECT_STREQ(name, "Screenshot 01.bmp");
}

}  // namespace
