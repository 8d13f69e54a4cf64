// The surface, shell and atmosphere builders: colours by terraform level, the limb alpha, the
// palette, texture coordinates, and which rows a band builds.
#include "mesh/builders.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "mapdata/map_data.h"
#include "tests/mesh/mesh_views.h"
#include "tests/support/mesh_grids.h"

namespace {

constexpr uint32_t kPpd = 8;
constexpr float kRadius = 3396000.0f;

// Work memory and output arrays for calling a builder directly.
struct TestWork {
  std::vector<VisibleEntry> table = std::vector<VisibleEntry>(kVisibleEntries);
  std::vector<Vec3> positions[2];
  std::vector<float> longitudes[2];
  std::vector<Colour> colours[2];
  std::vector<TexCoord> texCoords[2];
  Colour palette[kPaletteSize];
  BuildWork work;
  std::vector<Vec3> outPositions = std::vector<Vec3>(3 * kPlanetLimit);
  std::vector<Vec3> outNormals = std::vector<Vec3>(3 * kPlanetLimit);
  std::vector<Colour> outColours = std::vector<Colour>(3 * kPlanetLimit);
  std::vector<TexCoord> outTexCoords = std::vector<TexCoord>(3 * kPlanetLimit);

  TestWork() {
    const uint32_t capacity = MaxRowCount(kPpd) + 1;
    work.table = table.data();
    for (int i = 0; i < 2; ++i) {
      positions[i].resize(capacity);
      longitudes[i].resize(capacity);
      colours[i].resize(capacity);
      texCoords[i].resize(capacity);
      work.rows[i] = RowBuffer{positions[i].data(), longitudes[i].data(), colours[i].data(), texCoords[i].data()};
    }
    FillAtmospherePalette(palette);
    work.rowCapacity = capacity;
    work.ppd = kPpd;
    work.density = gMapData.nodeCount / (kPpd * kPpd);
    work.light = nullptr;
    work.palette = palette;
  }
  TriangleSink Sink(uint32_t limit) {
    return TriangleSink{outPositions.data(), outNormals.data(), outColours.data(), outTexCoords.data(), 0, limit};
  }
};

class BuildersTest : public ::testing::Test {
 protected:
  void SetUp() override { InstallMeshGrid(grid, kPpd, FullCountRows(kPpd), GridHeights::Relief); }
  void TearDown() override { RemoveMeshGrid(grid); }

  // A far camera looking at the centre from the given latitude and longitude.
  BuildView FarView(float latitude, float longitude, float relief = 1.0f) {
    const Vec3 eye = Place(20000000.0f, latitude, longitude);
    float view[16];
    LookAt(view, eye, Vec3{0, 0, 0}, std::fabs(latitude) > 80.0f ? Vec3{0, 0, -1} : Vec3{0, 1, 0});
    return ViewFor(view, eye, 1.0f, relief);
  }
  LayerSpec SurfaceLayer(int32_t level, float relief = 1.0f) const {
    return LayerSpec{kRadius - 16000.0f * relief, kRadius + 16000.0f * relief, 50.0f, 0.0f, level, kPlanetLimit};
  }

  MeshGrid grid;
};

TEST(SurfaceColour, TerraformedBelowTheCoastAndAboveTheSinkingSnowLine) {
  struct Case {
    int32_t level, topo;
    bool terraformed;
  } cases[] = {
      {0, -5000, false}, {0, 20000, false},                                       // present look
      {1, -300, true},   {1, -299, false}, {1, 17400, false}, {1, 17401, true},  // level 1 limits
      {30, 8700, false}, {30, 8701, true}, {30, 0, false},                       // 300 m lower per level
      {59, 0, false},    {59, 1, true},    {60, -299, true}, {60, 0, true},      // everything at 60
  };
  for (const Case& c : cases)
    EXPECT_EQ(SurfaceColour(kGridMars, kGridTerra, c.topo, c.level).b, c.terraformed ? kGridTerra.b : kGridMars.b)
        << "level " << c.level << ", height " << c.topo;
}

TEST(LimbAlpha, DensestAtTheLimb) {
  struct Case {
    float a, b, distanceScale, relief, alpha;
  } cases[] = {
      {0.3f, 0.3f, 1, 1, 0.8f},                        // on the limb: the beyond-the-limb rule, 0.8
      {0.3f, 0.29f, 1, 1, 0.8f - 0.3437747f},          // just inside the disc
      {0.3f, 0.0f, 1, 1, 0.015f},                      // the disc's centre: the floor 0.015 * F
      {0.3f, 0.0f, 1, 10, 0.15f},
      {0.3f, 0.31f, 1, 1, 0.8f - 0.5156620f},          // just beyond the limb
      {0.3f, 0.305f, 2, 1, 0.8f - 0.5156620f},         // twice as far: twice the fade
      {0.3f, 0.305f, 2, 2, 0.8f - 0.2578310f},         // twice the relief: half the fade
      {0.3f, 0.6f, 1, 1, 0.0f},                        // far beyond: clear
  };
  for (const Case& c : cases)
    EXPECT_NEAR(LimbAlpha(c.a, c.b, c.distanceScale, c.relief), c.alpha, 1e-5f) << c.a << " " << c.b;
}

TEST(AtmospherePalette, DustyToBlue) {
  Colour palette[kPaletteSize];
  FillAtmospherePalette(palette);
  struct Case {
    uint32_t level;
    Colour colour;
  } cases[] = {{0, {230, 144, 86, 0}}, {30, {180, 142, 158, 0}}, {60, {130, 140, 230, 0}}};
  for (const Case& c : cases) {
    EXPECT_EQ(palette[c.level].r, c.colour.r) << c.level;
    EXPECT_EQ(palette[c.level].g, c.colour.g) << c.level;
    EXPECT_EQ(palette[c.level].b, c.colour.b) << c.level;
    EXPECT_EQ(palette[c.level].a, 0) << c.level;
  }
}

TEST_F(BuildersTest, SurfaceColoursAtLevelsZeroAndSixty) {
  for (int32_t level : {0, 60}) {
    SCOPED_TRACE(level);
    TestWork t;
    const uint32_t count = BuildSurface(t.work, FarView(10, 70), SurfaceLayer(level), t.Sink(kPlanetLimit));
    ASSERT_GT(count, 1000u);
    const Colour want = level == 0 ? kGridMars : kGridTerra;
    uint32_t wrong = 0;
    for (uint32_t v = 0; v < 3 * count; ++v) wrong += t.outColours[v].b != want.b || t.outColours[v].r != want.r;
    EXPECT_EQ(wrong, 0u);
  }
}

TEST_F(BuildersTest, PoleRowIsBuiltOnlyWhenTheBandReachesIt) {
  struct Case {
    const char* name;
    float latitude;
    bool poleBuilt;
  } cases[] = {{"over the equator", 0.0f, false}, {"over the north pole", 90.0f, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TestWork t;
    const BuildView view = FarView(c.latitude, 30.0f);
    const uint32_t count = BuildSurface(t.work, view, SurfaceLayer(0), t.Sink(kPlanetLimit));
    ASSERT_GT(count, 0u);
    // The band as the builder saw it (the pass is deterministic).
    uint32_t first, last;
    std::vector<VisibleEntry> table(kVisibleEntries);
    FindVisibleRegion(first, last, table.data(), kPpd, view, SurfaceLayer(0), RegionMode::Surface, nullptr);
    EXPECT_EQ(last == gMapData.lastRow, c.poleBuilt);
    const float lastLatitude = static_cast<float>(last) * gMapData.rowSpacing - 90.0f;
    float highest = -90.0f;
    bool poleVertex = false;
    for (uint32_t v = 0; v < 3 * count; ++v) {
      const Vec3 p = t.outPositions[v];
      const float latitude = std::asin(p.y / std::sqrt(Dot(p, p))) * kRadToDeg;
      highest = std::max(highest, latitude);
      poleVertex = poleVertex || (std::fabs(p.x) < 1.0f && std::fabs(p.z) < 1.0f && p.y > 0.0f);
    }
    EXPECT_EQ(poleVertex, c.poleBuilt);
    // Rows are built up to, not including, the band's last row, which only the pole row may be.
    if (!c.poleBuilt) {
      EXPECT_LT(highest, lastLatitude - 0.5f * gMapData.rowSpacing);
    }
  }
}

TEST_F(BuildersTest, ShellTextureCoordinatesFollowNodeAndRow) {
  TestWork t;
  const BuildView view = FarView(-35, 300, 2.0f);
  const float radius = 3375000.0f - 600.0f;
  const LayerSpec layer{radius, radius, 45.0f, -1000.0f, 60, kWaterLimit};
  const uint32_t count = BuildShell(t.work, view, layer, t.Sink(kWaterLimit));
  ASSERT_GT(count, 1000u);
  uint32_t checked = 0;
  for (uint32_t v = 0; v < 3 * count; ++v) {
    const Vec3 p = t.outPositions[v];
    const float length = std::sqrt(Dot(p, p));
    const uint32_t row = static_cast<uint32_t>(
        std::lround((std::asin(p.y / length) * kRadToDeg + 90.0f) / gMapData.rowSpacing));
    const NodeRow& nodes = gMapData.rows[row];
    if (nodes.count == 1) continue;  // pole vertices take their neighbour's s
    // Positions take their sine and cosine from tables at steps of 1 / (2 ppd) degrees, so the
    // angle found lies up to one step (under half a node spacing) below the node's longitude.
    double longitude = std::atan2(p.x, p.z) * 180.0 / 3.14159265358979;
    if (longitude < 0) longitude += 360.0;
    const uint32_t j = static_cast<uint32_t>(std::ceil(longitude / nodes.lonStep - 1e-3)) % nodes.count;
    const TexCoord coord = t.outTexCoords[v];
    EXPECT_NEAR(coord.t, static_cast<float>(row) / (gMapData.lastRow + 1), 1e-6f);
    // s = j / n, continued past 1 at the seam.
    const float s = coord.s >= 1.0f ? coord.s - 1.0f : coord.s;
    EXPECT_NEAR(s, static_cast<float>(j) / nodes.count, 1e-6f);
    // The shell follows the areoid at height * relief.
    EXPECT_NEAR(length, kRadius + nodes.areoid[j] - 2000.0f, 1.0f);
    ++checked;
  }
  EXPECT_GT(checked, 3000u);
}

TEST_F(BuildersTest, AtmosphereIsDensestNearTheLimb) {
  TestWork t;
  const float relief = 1.0f;
  const float radius = kRadius + 45000.0f * relief;
  const LayerSpec layer{radius, radius, 45.0f, 45000.0f, 0, kAtmosphereLimit};
  const uint32_t count = BuildAtmosphere(t.work, FarView(20, 100, relief), layer, t.Sink(kAtmosphereLimit));
  ASSERT_GT(count, 1000u);
  uint8_t densest = 0;
  for (uint32_t v = 0; v < 3 * count; ++v) {
    const Colour c = t.outColours[v];
    EXPECT_EQ(c.r, 230);  // level 0: the dusty colour
    EXPECT_LE(c.a, 204);  // 0.8 at most
    densest = std::max(densest, c.a);
  }
  EXPECT_GE(densest, 150);
}

}  // namespace
