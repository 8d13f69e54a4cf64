// The surface, shell and atmosphere builders: colours by terraform level, the limb alpha and the
// palette, shell texture coordinates and heights, and which rows a band builds.
#include "mesh/builders.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "mapdata/map_data.h"
#include "mesh/mesh_worker.h"
#include "tests/mesh/mesh_views.h"
#include "tests/support/mesh_grids.h"
#include "tests/support/test_run.h"

namespace {

constexpr uint32_t kPpd = 8;
constexpr float kRadius = 3396000.0f;

// Builders called directly with the worker's work memory, writing into slot 0.
class BuildersTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InstallMeshGrid(grid, kPpd, FullCountRows(kPpd), GridHeights::Relief);
    SetupMeshWork(TestRunConfig(false), grid.map);
  }
  void TearDown() override {
    ReleaseMeshWork();
    RemoveMeshGrid(grid);
  }
  // A far camera looking at the centre.
  static BuildView FarView(float latitude, float longitude, float relief = 1.0f) {
    const Vec3 eye = Place(20000000.0f, latitude, longitude);
    float view[16];
    LookAt(view, eye, Vec3{0, 0, 0}, std::fabs(latitude) > 80.0f ? Vec3{0, 0, -1} : Vec3{0, 1, 0});
    return ViewFor(view, eye, 1.0f, relief);
  }
  static LayerSpec Surface(int32_t level) {
    return LayerSpec{kRadius - 16000.0f, kRadius + 16000.0f, 50.0f, 0.0f, level, kPlanetLimit, 1};
  }
  // A fresh sink on slot 0; the build leaves its count and `full` in `sink`.
  TriangleSink& Sink(uint32_t limit) {
    MeshSlot& slot = gMeshWorker.slots[0];
    sink = TriangleSink{slot.positions, slot.normals, slot.colours, slot.texCoords, 0, limit, false};
    return sink;
  }
  static const MeshSlot& Out() { return gMeshWorker.slots[0]; }

  MeshGrid grid;
  TriangleSink sink{};
};

TEST(SurfaceColour, TerraformedBelowTheCoastAndAboveTheSinkingSnowLine) {
  struct Case {
    int32_t level, topo;
    bool terraformed;
  } cases[] = {
      {0, -5000, false}, {0, 20000, false},                                       // present look
      {1, -300, true},   {1, -299, false}, {1, 17400, false}, {1, 17401, true},  // level 1 limits
      {30, 8700, false}, {30, 8701, true},                                       // 300 m lower per level
      {59, 0, false},    {59, 1, true},    {60, -299, true}, {60, 0, true},      // everything at 60
  };
  for (const Case& c : cases)
    EXPECT_EQ(UsesTerraColour(c.topo, c.level), c.terraformed) << "level " << c.level << ", height " << c.topo;
}

TEST(LimbAlpha, DensestAtTheLimb) {
  struct Case {
    float a, b, distanceScale, relief, alpha;
  } cases[] = {
      {0.3f, 0.3f, 1, 1, 0.8f},                 // exactly on the limb: the beyond rule, 0.8
      {0.3f, 0.29f, 1, 1, 0.8f - 0.3437747f},   // just inside the disc
      {0.3f, 0.0f, 1, 1, 0.015f},               // the disc's centre: at least 0.015 * F
      {0.3f, 0.0f, 1, 10, 0.15f},
      {0.3f, 0.31f, 1, 1, 0.8f - 0.5156620f},   // just beyond the limb
      {0.3f, 0.305f, 2, 2, 0.8f - 0.2578310f},  // twice as far and twice the relief
      {0.3f, 0.6f, 1, 1, 0.0f},                 // far beyond: clear
  };
  for (const Case& c : cases)
    EXPECT_NEAR(LimbAlpha(c.a, c.b, c.distanceScale, c.relief), c.alpha, 1e-5f) << c.a << " " << c.b;
}

TEST_F(BuildersTest, SurfaceColoursAtLevelsZeroAndSixty) {
  for (int32_t level : {0, 60}) {
    const uint32_t count = BuildSurface(MeshBuildWork(), FarView(10, 70), Surface(level), Sink(kPlanetLimit));
    ASSERT_GT(count, 1000u);
    const Colour want = level == 0 ? kGridMars : kGridTerra;
    uint32_t wrong = 0;
    for (uint32_t v = 0; v < 3 * count; ++v) wrong += Out().colours[v].b != want.b;
    EXPECT_EQ(wrong, 0u) << "level " << level;
  }
}

TEST_F(BuildersTest, AtmosphereColourAndLimbAlpha) {
  struct Case {
    int32_t level;
    Colour sky;  // the palette's ends: dusty at 0, blue at 60
  } cases[] = {{0, {230, 144, 86, 0}}, {60, {130, 140, 230, 0}}};
  for (const Case& c : cases) {
    const float radius = kRadius + 45000.0f;
    const LayerSpec layer{radius, radius, 45.0f, 45000.0f, c.level, kAtmosphereLimit, 1};
    const uint32_t count = BuildAtmosphere(MeshBuildWork(), FarView(20, 100), layer, Sink(kAtmosphereLimit));
    ASSERT_GT(count, 1000u);
    uint8_t densest = 0;
    for (uint32_t v = 0; v < 3 * count; ++v) {
      const Colour colour = Out().colours[v];
      ASSERT_EQ(colour.r, c.sky.r);
      ASSERT_EQ(colour.g, c.sky.g);
      ASSERT_EQ(colour.b, c.sky.b);
      ASSERT_LE(colour.a, 204);  // 0.8 at most
      densest = std::max(densest, colour.a);
    }
    EXPECT_GE(densest, 150) << "no vertex near the limb";
  }
}

TEST_F(BuildersTest, PoleRowIsBuiltOnlyWhenTheBandReachesIt) {
  for (float latitude : {0.0f, 90.0f}) {
    SCOPED_TRACE(latitude);
    const BuildView view = FarView(latitude, 30.0f);
    const uint32_t count = BuildSurface(MeshBuildWork(), view, Surface(0), Sink(kPlanetLimit));
    ASSERT_GT(count, 0u);
    // The same pass again, to learn the band the builder saw.
    uint32_t first, last;
    FindVisibleRegion(first, last, MeshBuildWork().table, grid.map, view, Surface(0), RegionMode::Surface, nullptr);
    const bool reachesPole = last == grid.map.lastRow;
    EXPECT_EQ(reachesPole, latitude == 90.0f);
    float highest = -90.0f;
    bool poleVertex = false;
    for (uint32_t v = 0; v < 3 * count; ++v) {
      const Vec3 p = Out().positions[v];
      highest = std::max(highest, std::asin(p.y / std::sqrt(Dot(p, p))) * kRadToDeg);
      poleVertex = poleVertex || (std::fabs(p.x) < 1.0f && std::fabs(p.z) < 1.0f && p.y > 0.0f);
    }
    EXPECT_EQ(poleVertex, reachesPole);
    // A band that ends below the pole row does not build its last row.
    if (!reachesPole) {
      EXPECT_LT(highest, last * grid.map.rowSpacing - 90.0f - 0.5f * grid.map.rowSpacing);
    }
  }
}

TEST_F(BuildersTest, ABuildAtItsLimitKeepsItsSouthernRowsAndWritesNothingPastIt) {
  const BuildView view = FarView(10, 70);
  const uint32_t whole = BuildSurface(MeshBuildWork(), view, Surface(0), Sink(kPlanetLimit));
  ASSERT_FALSE(sink.full);
  ASSERT_GT(whole, 20000u);
  const std::vector<Vec3> wholePositions(Out().positions, Out().positions + 3 * size_t{whole});
  const Vec3 canary{-1.0f, -2.0f, -3.0f};
  for (uint32_t limit : {whole / 3, whole - 1}) {
    SCOPED_TRACE(limit);
    MeshSlot& slot = gMeshWorker.slots[0];
    std::fill(slot.positions + 3 * size_t{limit}, slot.positions + 3 * size_t{whole}, canary);
    // The thinning is chosen for the layer's limit, so the build runs past the sink's.
    const uint32_t part = BuildSurface(MeshBuildWork(), view, Surface(0), Sink(limit));
    EXPECT_TRUE(sink.full);
    EXPECT_EQ(sink.count, part);
    EXPECT_LE(part, limit);
    EXPECT_GT(part, limit / 2) << "rows stop only where the next might not fit";
    // The whole build's first triangles: whole rows from the south, nothing half-stitched.
    for (uint32_t v = 0; v < 3 * part; ++v) {
      ASSERT_EQ(Out().positions[v].x, wholePositions[v].x) << v;
      ASSERT_EQ(Out().positions[v].y, wholePositions[v].y) << v;
    }
    for (uint32_t v = 3 * limit; v < 3 * whole; ++v) ASSERT_EQ(Out().positions[v].z, canary.z) << v;
  }
}

TEST_F(BuildersTest, ShellFollowsTheAreoidWithNodeAndRowTextureCoordinates) {
  // The sea at height -1000 m, relief factor 2.
  const float radius = 3375000.0f - 600.0f;
  const LayerSpec layer{radius, radius, 45.0f, -1000.0f, 60, kWaterLimit, 1};
  const uint32_t count = BuildShell(MeshBuildWork(), FarView(-35, 300, 2.0f), layer, Sink(kWaterLimit));
  ASSERT_GT(count, 1000u);
  uint32_t checked = 0;
  for (uint32_t v = 0; v < 3 * count; ++v) {
    const Vec3 p = Out().positions[v];
    const float length = std::sqrt(Dot(p, p));
    const uint32_t row =
        static_cast<uint32_t>(std::lround((std::asin(p.y / length) * kRadToDeg + 90.0f) / grid.map.rowSpacing));
    const NodeRow& nodes = grid.map.rows[row];
    if (nodes.count == 1) continue;  // pole vertices take their neighbour's s
    // Positions take their sine and cosine at steps of 1 / (2 ppd) degrees, so the angle found lies
    // up to one step (under half a node spacing) below the node's longitude.
    double longitude = std::atan2(p.x, p.z) * 180.0 / 3.14159265358979;
    if (longitude < 0) longitude += 360.0;
    const uint32_t j = static_cast<uint32_t>(std::ceil(longitude / nodes.lonStep - 1e-3)) % nodes.count;
    const TexCoord coord = Out().texCoords[v];
    EXPECT_NEAR(coord.t, static_cast<float>(row) / (grid.map.lastRow + 1), 1e-6f);
    EXPECT_NEAR(coord.s >= 1.0f ? coord.s - 1.0f : coord.s, static_cast<float>(j) / nodes.count, 1e-6f);
    EXPECT_NEAR(length, kRadius + nodes.areoid[j] - 2000.0f, 1.0f);
    ++checked;
  }
  EXPECT_GT(checked, 3000u);
}

}  // namespace
