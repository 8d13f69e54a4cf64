// The mesh worker: the groups and the light-space box a build writes by terraform level, settings
// and capabilities; the first frame; stopping idle and mid-build; and thousands of strict
// hand-overs between two threads (also run under ThreadSanitizer, in the tsan build).
#include "mesh/mesh_worker.h"

#include <gtest/gtest.h>

#include "mapdata/map_data.h"
#include "settings/saver_settings.h"
#include "tests/mesh/mesh_views.h"
#include "tests/support/mesh_grids.h"
#include "tests/support/test_run.h"

namespace {

class MeshWorkerTest : public ::testing::Test {
 protected:
  void TearDown() override {
    StopMeshWorker();
    ReleaseMeshWork();
    RemoveMeshGrid(grid);
  }
  void Install(uint32_t ppd, bool glVersion14 = true, uint32_t widest = 0) {
    RemoveMeshGrid(grid);
    InstallMeshGrid(grid, ppd, widest ? NarrowRows(ppd, widest) : FullCountRows(ppd), GridHeights::Relief);
    const RunConfig config = TestRunConfig(glVersion14);
    shadows = config.shadows;
    SetupMeshWork(config, grid.map);
  }
  // Slot s's inputs for a camera looking at the centre, with the shadow camera on the +x axis.
  void Aim(uint32_t s, float distance, float latitude, float longitude, int32_t level, float relief = 2.0f) {
    const Vec3 eye = Place(distance, latitude, longitude);
    float view[16], light[16];
    LookAt(view, eye, Vec3{0, 0, 0}, Vec3{0, 1, 0});
    FillSlotInputs(gMeshWorker.slots[s], view, eye, 45.0f, 4.0f / 3.0f, level, relief);
    LookAt(light, Place(distance, 0.0f, 90.0f), Vec3{0, 0, 0}, Vec3{0, 1, 0});
    // The slot is drawn with shadows where the run draws them, as at full quality.
    if (shadows) SetSlotLight(gMeshWorker.slots[s], light);
  }

  MeshGrid grid;
  bool shadows = false;  // the run draws shadows: every slot is built for them
};

TEST_F(MeshWorkerTest, GroupsAndLightBoxFollowLevelSettingsAndCapabilities) {
  struct Case {
    const char* name;
    int32_t level;
    uint8_t clouds, atmosphere, shadows;
    bool glVersion14;
    int32_t maxTextureSize;
    bool water, cloud, air, box;
  } cases[] = {
      {"present look", 0, 1, 1, 1, true, 16384, false, false, true, true},
      {"sea rising", 30, 1, 1, 1, true, 16384, true, false, true, true},
      {"clouds from 31", 31, 1, 1, 0, true, 16384, true, true, true, false},
      {"clouds off", 60, 0, 1, 1, false, 16384, true, false, true, false},
      {"textures too small for clouds", 60, 1, 1, 1, true, 2047, true, false, true, true},
      {"atmosphere off", 60, 1, 0, 1, true, 16384, true, true, false, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    gSaverSettings.Clouds = c.clouds;
    gSaverSettings.Atmosphere = c.atmosphere;
    gSaverSettings.Shadows = c.shadows;
    gTestLimits.maxTextureSize = c.maxTextureSize;
    Install(8, c.glVersion14);
    Aim(1, 12000000.0f, 25.0f, 140.0f, c.level);
    gMeshWorker.slots[1].ranges.lightMinX = 12345.0f;
    BuildMeshSlot(1);
    const MeshRanges& r = gMeshWorker.slots[1].ranges;
    EXPECT_EQ(r.waterCount > 0, c.water);
    EXPECT_EQ(r.cloudCount > 0, c.cloud);
    EXPECT_EQ(r.atmosphereCount > 0, c.air);
    EXPECT_GT(r.planetCount, 10000u);
    EXPECT_EQ(r.planetFirst, r.waterCount + r.cloudCount);
    if (c.box) {
      // Seen from the +x axis at the camera's distance, the planet lies around z = -distance.
      EXPECT_LT(r.lightMinX, r.lightMaxX);
      EXPECT_LT(r.lightMinY, r.lightMaxY);
      EXPECT_GT(r.lightMinZ, -12000000.0f - 3500000.0f);
      EXPECT_LT(r.lightMaxZ, -12000000.0f + 3500000.0f);
    } else {
      EXPECT_EQ(r.lightMinX, 12345.0f);  // kept while shadows are not in use
    }
  }
}

TEST_F(MeshWorkerTest, BuildsThatReachTheirLimitThinTheNextHarder) {
  // The visible-region pass samples one row per degree. Here those rows hold 8 nodes and the rows
  // between them the full count: the pass sees a sparse globe, and a surface built at the
  // thinning it suggests runs far past its limit.
  std::vector<uint32_t> counts = FullCountRows(8);
  for (size_t row = 8; row + 1 < counts.size(); row += 8) counts[row] = 8;
  RemoveMeshGrid(grid);
  InstallMeshGrid(grid, 8, counts, GridHeights::Relief);
  SetupMeshWork(TestRunConfig(true), grid.map);
  shadows = true;
  std::vector<uint32_t> extras, planets;
  for (uint32_t build = 0; build < 6; ++build) {
    Aim(build & 1, 20000000.0f, 10.0f, 70.0f, 0);
    BuildMeshSlot(build & 1);
    const MeshRanges& r = gMeshWorker.slots[build & 1].ranges;
    ASSERT_LE(r.planetCount, kPlanetLimit);
    ASSERT_EQ(r.total, r.waterCount + r.cloudCount + r.planetCount + r.atmosphereCount);
    ASSERT_LE(r.total, kSlotTriangles);
    extras.push_back(gMeshWorker.extraThinning[kPlanetGroup]);
    planets.push_back(r.planetCount);
  }
  EXPECT_EQ(extras.front(), 2u) << "the first build reached the limit";
  // The factor doubles while builds reach the limit, then holds with a mesh well inside it.
  for (size_t i = 1; i < extras.size(); ++i) EXPECT_TRUE(extras[i] == extras[i - 1] || extras[i] == 2 * extras[i - 1]);
  EXPECT_EQ(extras[4], extras[5]);
  EXPECT_GT(planets.back(), kPlanetLimit / 8);
  EXPECT_LT(planets.back(), kPlanetLimit);
}

TEST_F(MeshWorkerTest, FirstFrameDrawsEmptySlotZeroAndRequestsSlotOne) {
  Install(8);
  StartMeshWorker();
  WaitMeshReady();  // MeshReadyEvent starts set: passes at once
  ASSERT_EQ(gMeshWorker.slotIndex, 0u);
  EXPECT_EQ(gMeshWorker.slots[0].ranges.total, 0u);
  EXPECT_EQ(gMeshWorker.slots[0].inputs.view.m[0], 1.0f);  // identity
  Aim(1, 20000000.0f, -10.0f, 300.0f, 0);
  RequestMeshBuild(1);
  WaitMeshReady();
  EXPECT_EQ(gMeshWorker.slotIndex, 1u);
  EXPECT_EQ(gMeshWorker.slots[1].ranges.planetFirst, 0u);  // level 0: no sea, no clouds
  EXPECT_GT(gMeshWorker.slots[1].ranges.planetCount, 0u);
  EXPECT_EQ(gMeshWorker.slots[0].ranges.total, 0u);
}

TEST_F(MeshWorkerTest, StoppingIdleAndDuringABuild) {
  Install(8);
  StopMeshWorker();  // never started: nothing to do
  StartMeshWorker();
  StopMeshWorker();  // idle: returns at once
  EXPECT_FALSE(gMeshWorker.thread.joinable());

  StartMeshWorker();
  WaitMeshReady();
  Aim(1, 7000000.0f, 40.0f, 10.0f, 60, 7.0f);
  const uint32_t before = gMeshWorker.buildsStarted.load();
  RequestMeshBuild(1);
  // The worker counts a build as it starts: stop while it builds.
  while (gMeshWorker.buildsStarted.load() == before) std::this_thread::yield();
  StopMeshWorker();
  EXPECT_FALSE(gMeshWorker.thread.joinable());
  // The build ran to its end: the same inputs built again give the same ranges.
  const MeshRanges built = gMeshWorker.slots[1].ranges;
  BuildMeshSlot(1);
  const MeshRanges& again = gMeshWorker.slots[1].ranges;
  EXPECT_GT(built.planetCount, 0u);
  EXPECT_EQ(built.total, again.total);
  EXPECT_EQ(built.waterCount, again.waterCount);
  EXPECT_EQ(built.planetCount, again.planetCount);
  EXPECT_EQ(built.atmosphereCount, again.atmosphereCount);
}

TEST_F(MeshWorkerTest, ThousandsOfStrictHandOvers) {
  // A coarse globe keeps each build short, so the threads meet as often as possible.
  Install(1, true, 24);
  StartMeshWorker();
  int32_t requested[2] = {-1, -1};  // level last requested for each slot
  for (uint32_t frame = 0; frame < 3000; ++frame) {
    WaitMeshReady();
    const uint32_t draw = gMeshWorker.slotIndex, fill = 1 - draw;
    // The slot to draw holds what was last requested for it: sea exactly when its level was not 0.
    if (requested[draw] >= 0) {
      const MeshRanges& r = gMeshWorker.slots[draw].ranges;
      ASSERT_EQ(r.waterCount > 0, requested[draw] != 0) << "frame " << frame;
      ASSERT_EQ(r.total, r.waterCount + r.cloudCount + r.planetCount + r.atmosphereCount);
      ASSERT_GT(r.planetCount, 0u);
      // Read the drawn slot's arrays as the renderer does, while the worker fills the other.
      const Vec3 p = gMeshWorker.slots[draw].positions[3 * (r.planetFirst + r.planetCount) - 1];
      ASSERT_GT(Dot(p, p), 3.0e12f);
    }
    const int32_t level = (frame * 7) % 3 == 0 ? 0 : 60;
    Aim(fill, 9000000.0f + 1000.0f * (frame % 100), 20.0f, static_cast<float>(frame % 360), level);
    requested[fill] = level;
    RequestMeshBuild(fill);
  }
  WaitMeshReady();
}

}  // namespace
