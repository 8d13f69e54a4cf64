// The MOLA MEGDR reader on small grids written here: big- and little-endian samples, scaling and
// offset, radius grids, labels that point into the image by record, west-positive longitudes, and
// clear errors for labels and images it cannot use.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "tests/support/temp_folder.h"
#include "tests/support/test_data.h"
#include "tests/tools/mkdata/mkdata_sources.h"
#include "tools/mkdata/mola_grid.h"
#include "tools/mkdata/real_relief.h"
#include "tools/mkdata/node_grid.h"

namespace {

// A one-sample-per-degree global grid: 180 lines of 360 samples.
constexpr uint32_t kLines = 180, kSamples = 360;

int16_t RawSample(uint32_t line, uint32_t sample) { return static_cast<int16_t>(7 * sample - 5 * line - 300); }

struct GridFile {
  std::string sampleType = "MSB_INTEGER";
  double scale = 1.0, offset = 0.0;
  uint32_t record = 0;        // ^IMAGE record pointer (0: none, the image starts at byte 0)
  uint32_t recordBytes = 720;
  std::string longitudes = "EAST";
  double westernmost = 0.0, easternmost = 360.0;
  double maximumLatitude = 90.0;
  size_t dropBytes = 0;       // leaves the image this much short
  std::vector<std::pair<std::string, std::string>> labelEdits;  // text replaced in the written label
};

// Writes NAME.IMG and NAME.LBL into folder; returns the image path.
std::string WriteGrid(const TempFolder& folder, const std::string& name, const GridFile& grid) {
  const bool big = grid.sampleType.rfind("MSB", 0) == 0;
  std::vector<uint8_t> bytes(grid.record > 1 ? size_t{grid.record - 1} * grid.recordBytes : 0, 0xEE);
  for (uint32_t line = 0; line < kLines; ++line)
    for (uint32_t sample = 0; sample < kSamples; ++sample) {
      const uint16_t v = static_cast<uint16_t>(RawSample(line, sample));
      bytes.push_back(static_cast<uint8_t>(big ? v >> 8 : v & 0xFF));
      bytes.push_back(static_cast<uint8_t>(big ? v & 0xFF : v >> 8));
    }
  bytes.resize(bytes.size() - grid.dropBytes);
  const std::string image = (folder / (name + ".IMG")).string();
  EXPECT_TRUE(WriteFileBytes(image, bytes.data(), bytes.size()));
  std::string pointer = "\"" + name + ".IMG\"";
  if (grid.record) pointer = "(\"" + name + ".IMG\", " + std::to_string(grid.record) + ")";
  const std::string label =
      "PDS_VERSION_ID = PDS3\n"
      "RECORD_TYPE = FIXED_LENGTH\n"
      "RECORD_BYTES = " + std::to_string(grid.recordBytes) + "\n"
      "^IMAGE = " + pointer + "\n"
      "OBJECT = IMAGE\n"
      "  LINES = 180\n"
      "  LINE_SAMPLES = 360 /* one per degree */\n"
      "  SAMPLE_TYPE = " + grid.sampleType + "\n"
      "  SAMPLE_BITS = 16\n"
      "  UNIT = METER\n"
      "  SCALING_FACTOR = " + std::to_string(grid.scale) + "\n"
      "  OFFSET = " + std::to_string(grid.offset) + "\n"
      "END_OBJECT = IMAGE\n"
      "OBJECT = IMAGE_MAP_PROJECTION\n"
      "  MAP_PROJECTION_TYPE = \"SIMPLE CYLINDRICAL\"\n"
      "  MAP_RESOLUTION = 1.0 <PIXEL/DEGREE>\n"
      "  MAXIMUM_LATITUDE = " + std::to_string(grid.maximumLatitude) + " <DEGREE>\n"
      "  MINIMUM_LATITUDE = -90.0 <DEGREE>\n"
      "  LINE_PROJECTION_OFFSET = 90.5 <PIXEL>\n"
      "  WESTERNMOST_LONGITUDE = " + std::to_string(grid.westernmost) + " <DEGREE>\n"
      "  EASTERNMOST_LONGITUDE = " + std::to_string(grid.easternmost) + " <DEGREE>\n"
      "  POSITIVE_LONGITUDE_DIRECTION = \"" + grid.longitudes + "\"\n"
      "END_OBJECT = IMAGE_MAP_PROJECTION\n"
      "END\n";
  std::string edited = label;
  for (const auto& [from, to] : grid.labelEdits) {
    const size_t at = edited.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    if (at != std::string::npos) edited.replace(at, from.size(), to);
  }
  EXPECT_TRUE(WriteFileBytes((folder / (name + ".lbl")).string(), edited.data(), edited.size()));
  return image;
}

TEST(MolaGrid, ReadsSamplesWhereTheLabelPutsThem) {
  TempFolder folder;
  struct Case {
    const char* what;
    GridFile grid;
    bool openLabel;          // pass the .lbl rather than the .img
    double westEdgeLonDeg;   // east longitude of the western edge of column 0
    double metresPerRaw, metresOffset;
  };
  GridFile big, little, radius, byRecord, westward;
  little.sampleType = "LSB_INTEGER";
  little.scale = 2.0;
  little.offset = 10.0;
  radius.offset = 3396000.0;
  byRecord.record = 3;
  westward.longitudes = "WEST";
  westward.westernmost = 180.0;
  westward.easternmost = -180.0;
  const Case cases[] = {
      {"big-endian topography", big, false, 0.0, 1.0, 0.0},
      {"little-endian, scaled and offset", little, false, 0.0, 2.0, 10.0},
      {"areoid radius grid", radius, false, 0.0, 1.0, 0.0},
      {"image two records into its file, opened by its label", byRecord, true, 0.0, 1.0, 0.0},
      {"west-positive longitudes, 180 W at the left edge", westward, false, 180.0, 1.0, 0.0},
  };
  int serial = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string name = "GRID" + std::to_string(serial++);
    const std::string image = WriteGrid(folder, name, c.grid);
    MolaGrid grid;
    std::string error;
    ASSERT_TRUE(ReadMolaGrid(c.openLabel ? (folder / (name + ".lbl")).string() : image, grid, error)) << error;
    EXPECT_EQ(grid.lines, kLines);
    EXPECT_EQ(grid.samples, kSamples);
    for (uint32_t line : {0u, 1u, 89u, 179u})
      for (uint32_t sample : {0u, 5u, 180u, 359u}) {
        const double lat = 90.0 - (line + 0.5), lon = c.westEdgeLonDeg + sample + 0.5;
        const double expected = c.metresOffset + c.metresPerRaw * RawSample(line, sample);
        EXPECT_DOUBLE_EQ(SampleMolaGrid(grid, lat, lon), expected) << line << " " << sample;
      }
    // Half-way between four samples: their mean.
    const double between = SampleMolaGrid(grid, 90.0 - 11.0, c.westEdgeLonDeg + 21.0);
    const double mean = (RawSample(10, 20) + RawSample(10, 21) + RawSample(11, 20) + RawSample(11, 21)) / 4.0;
    EXPECT_DOUBLE_EQ(between, c.metresOffset + c.metresPerRaw * mean);
  }
}

TEST(MolaGrid, RefusesWhatItCannotUse) {
  TempFolder folder;
  GridFile partial, shortImage, unsignedSamples;
  partial.maximumLatitude = 44.0;
  shortImage.dropBytes = 2;
  unsignedSamples.sampleType = "MSB_UNSIGNED_INTEGER";
  struct Case {
    const char* what;
    GridFile grid;
    const char* message;
  };
  const Case cases[] = {
      {"a quarter of the planet", partial, "does not cover the whole planet"},
      {"an image one sample short", shortImage, "is shorter than its label says"},
      {"unsigned samples", unsignedSamples, "is not a signed 16-bit integer"},
  };
  int serial = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string image = WriteGrid(folder, "BAD" + std::to_string(serial++), c.grid);
    MolaGrid grid;
    std::string error;
    EXPECT_FALSE(ReadMolaGrid(image, grid, error));
    EXPECT_NE(error.find(c.message), std::string::npos) << error;
  }
  MolaGrid grid;
  std::string error;
  const std::string lonely = (folder / "LONELY.IMG").string();
  ASSERT_TRUE(WriteFileBytes(lonely, "xx", 2));
  EXPECT_FALSE(ReadMolaGrid(lonely, grid, error));
  EXPECT_NE(error.find("cannot open the label"), std::string::npos) << error;
  const std::string noLines = "PDS_VERSION_ID = PDS3\n^IMAGE = \"LONELY.IMG\"\nEND\n";
  ASSERT_TRUE(WriteFileBytes((folder / "LONELY.lbl").string(), noLines.data(), noLines.size()));
  EXPECT_FALSE(ReadMolaGrid(lonely, grid, error));
  EXPECT_NE(error.find("no valid LINES"), std::string::npos) << error;
}

// Labels are text from anywhere: numbers that are no numbers, sizes far beyond any MEGDR and
// pointers past the file's end must give one clear line before the grid is allocated.
TEST(MolaGrid, RejectsBadLabelsBeforeSizingAnything) {
  TempFolder folder;
  struct Case {
    std::vector<std::pair<std::string, std::string>> edits;
    const char* message;
  };
  const Case cases[] = {
      {{{"LINES = 180", "LINES = NaN"}}, "LINES = 'NaN' is not a whole number from 2 to 23040"},
      {{{"LINE_SAMPLES = 360", "LINE_SAMPLES = inf"}}, "LINE_SAMPLES = 'inf' is not"},
      {{{"LINES = 180", "LINES = 180.5"}}, "is not a whole number"},
      {{{"LINES = 180", "LINES = 4294967296"}}, "no valid LINES and LINE_SAMPLES"},
      {{{"MAP_RESOLUTION = 1.0", "MAP_RESOLUTION = nan"}}, "MAP_RESOLUTION = 'nan <PIXEL/DEGREE>' is not"},
      {{{"MAXIMUM_LATITUDE = 90.000000", "MAXIMUM_LATITUDE = 1e999"}}, "MAXIMUM_LATITUDE = '1e999 <DEGREE>' is not"},
      {{{"SCALING_FACTOR = 1.000000", "SCALING_FACTOR = nan"}}, "SCALING_FACTOR = 'nan' is not"},
      {{{"SCALING_FACTOR = 1.000000", "SCALING_FACTOR = 0"}}, "SCALING_FACTOR is 0"},
      {{{"OFFSET = 0.000000", "OFFSET = -INF"}}, "OFFSET = '-INF' is not"},
      // The finest grid there is, 2 GiB, over an image of 130 kB: refused from the file's length.
      {{{"LINES = 180", "LINES = 23040"}, {"LINE_SAMPLES = 360", "LINE_SAMPLES = 46080"},
        {"MAP_RESOLUTION = 1.0", "MAP_RESOLUTION = 128"}},
       "is shorter than its label says (23040 x 46080"},
      {{{"MAP_RESOLUTION = 1.0", "MAP_RESOLUTION = 128.0"}}, "does not cover the whole planet"},
      {{{"\"BAD11.IMG\"", "(\"BAD11.IMG\", 99999999999999999999)"}}, "lies beyond the first 1073741824 bytes"},
      {{{"\"BAD12.IMG\"", "(\"BAD12.IMG\", 3)"}}, "is shorter than its label says"},
      {{{"RECORD_BYTES = 720", "RECORD_BYTES = nan\n^IMAGE = (\"BAD13.IMG\", 2)"}}, "RECORD_BYTES = 'nan' is not"},
  };
  int serial = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.edits[0].second);
    GridFile bad;
    bad.labelEdits = c.edits;
    const std::string image = WriteGrid(folder, "BAD" + std::to_string(serial++), bad);
    MolaGrid grid;
    std::string error;
    EXPECT_FALSE(ReadMolaGrid(image, grid, error));
    EXPECT_NE(error.find(c.message), std::string::npos) << error;
    EXPECT_EQ(error.find('\n'), std::string::npos) << error;
    EXPECT_TRUE(grid.values.empty());
  }
}

TEST(MolaGrid, ReplacesTheDefaultReliefAndAreoid) {
  TempFolder folder;
  MkdataOptions options;
  options.syntheticColours = options.syntheticStars = true;
  GridFile areoid;
  areoid.offset = 3396000.0;
  options.molaTopo = WriteGrid(folder, "TOPO", GridFile{});
  options.molaAreoid = WriteGrid(folder, "AREOID", areoid);
  options.levels = {2};
  options.outputFolder = (folder / "data").string();
  std::string error;
  ASSERT_TRUE(RunMkdataQuietly(options, error)) << error;
  MolaGrid topoGrid, areoidGrid;
  ASSERT_TRUE(ReadMolaGrid(options.molaTopo, topoGrid, error)) << error;
  ASSERT_TRUE(ReadMolaGrid(options.molaAreoid, areoidGrid, error)) << error;

  const std::vector<uint8_t> topo = ReadFileBytes(options.outputFolder + "/topo2.hex");
  const std::vector<uint8_t> areoidBytes = ReadFileBytes(options.outputFolder + "/areoid2.hex");
  const std::vector<uint32_t> counts = NodeRowCounts(2);
  uint64_t node = 0;
  for (uint32_t row = 0; row < counts.size(); ++row)
    for (uint32_t j = 0; j < counts[row]; ++j, ++node) {
      if ((row * 7 + j) % 97 != 0) continue;  // a spread of nodes over the whole grid
      const double lat = NodeRowLatitude(2, row), lon = NodeLongitude(counts[row], j);
      int16_t t, a;
      std::memcpy(&t, &topo[node * 2], 2);
      std::memcpy(&a, &areoidBytes[node * 2], 2);
      // Resampled smoothly; the grid is too coarse for detail below its resolution at this level.
      ASSERT_EQ(t, std::lround(SmoothGridHeight(topoGrid, lat, lon))) << row << " " << j;
      ASSERT_EQ(a, std::lround(SampleMolaGrid(areoidGrid, lat, lon))) << row << " " << j;
    }
  EXPECT_EQ(node * 2, topo.size());
}

}  // namespace
