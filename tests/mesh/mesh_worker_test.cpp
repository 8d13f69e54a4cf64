// The mesh worker: the groups a build writes by terraform level and settings, the light-space box,
// the first frame, stopping idle and mid-build, and thousands of strict hand-overs between two
// threads (run under ThreadSanitizer in the tsan build).
#include "mesh/mesh_worker.h"

#include <gtest/gtest.h>

#include <cmath>

#include "mapdata/map_data.h"
#include "settings/saver_settings.h"
#include "tests/mesh/mesh_views.h"
#include "tests/support/mesh_grids.h"

namespace {

class MeshWorkerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    gSaverSettings.Shadows = 1;
    gSaverSettings.Clouds = 1;
    gSaverSettings.Atmosphere = 1;
    gMapData.maxTextureSize = 16384;
  }
  void TearDown() override {
    StopMeshWorker();
    ReleaseMeshWork();
    RemoveMeshGrid(grid);
  }
  void Install(uint32_t ppd, bool glVersion14 = true) {
    InstallMeshGrid(grid, ppd, FullCountRows(ppd), GridHeights::Relief);
    SetupMeshWork(glVersion14);
  }
  // Fills slot s for a camera at the given place looking at the centre.
  void Aim(uint32_t s, float distance, float latitude, float longitude, int32_t level, float relief = 2.0f) {
    const Vec3 eye = Place(distance, latitude, longitude);
    float view[16];
    LookAt(view, eye, Vec3{0, 0, 0}, Vec3{0, 1, 0});
    FillSlotInputs(gMeshWorker.slots[s], gMeshWorker.camera, view, eye, 45.0f, 4.0f / 3.0f, level, relief);
    // The shadow camera on the sun direction (+x), row by row.
    float light[16];
    LookAt(light, Place(distance, 0.0f, 90.0f), Vec3{0, 0, 0}, Vec3{0, 1, 0});
    Mat4 columns;
    for (int i = 0; i < 16; ++i) columns.m[i] = light[i];
    Mat4Transpose(gMeshWorker.slots[s].lightView, columns);
  }

  MeshGrid grid;
};

void ExpectContiguous(const MeshRanges& r) {
  EXPECT_EQ(r.waterFirst, 0u);
  EXPECT_EQ(r.cloudFirst, r.waterCount);
  EXPECT_EQ(r.planetFirst, r.cloudFirst + r.cloudCount);
  EXPECT_EQ(r.atmosphereFirst, r.planetFirst + r.planetCount);
  EXPECT_EQ(r.total, r.atmosphereFirst + r.atmosphereCount);
}

TEST_F(MeshWorkerTest, GroupsFollowTerraformLevelAndSettings) {
  struct Case {
    const char* name;
    int32_t level;
    uint8_t clouds, atmosphere;
    int32_t maxTextureSize;
    bool water, cloud, air;
  } cases[] = {
      {"present look", 0, 1, 1, 16384, false, false, true},
      {"sea rising", 30, 1, 1, 16384, true, false, true},
      {"clouds from 31", 31, 1, 1, 16384, true, true, true},
      {"clouds off", 60, 0, 1, 16384, true, false, true},
      {"textures too small for clouds", 60, 1, 1, 2047, true, false, true},
      {"atmosphere off", 60, 1, 0, 16384, true, true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    gSaverSettings.Clouds = c.clouds;
    gSaverSettings.Atmosphere = c.atmosphere;
    gMapData.maxTextureSize = c.maxTextureSize;
    Install(8);
    Aim(1, 12000000.0f, 25.0f, 140.0f, c.level);
    BuildMeshSlot(1);
    const MeshRanges& r = gMeshWorker.slots[1].ranges;
    ExpectContiguous(r);
    EXPECT_EQ(r.waterCount > 0, c.water);
    EXPECT_EQ(r.cloudCount > 0, c.cloud);
    EXPECT_EQ(r.atmosphereCount > 0, c.air);
    EXPECT_GT(r.planetCount, 10000u);
    EXPECT_EQ(gMeshWorker.currentRelief.load(), 2.0f);
    RemoveMeshGrid(grid);
  }
}

TEST_F(MeshWorkerTest, LightBoxOnlyWhileShadowsAreInUse) {
  struct Case {
    uint8_t shadows;
    bool glVersion14, written;
  } cases[] = {{1, true, true}, {1, false, false}, {0, true, false}};
  for (const Case& c : cases) {
    gSaverSettings.Shadows = c.shadows;
    Install(8, c.glVersion14);
    Aim(1, 12000000.0f, 25.0f, 140.0f, 0);
    gMeshWorker.slots[1].ranges.lightMinX = 12345.0f;
    BuildMeshSlot(1);
    const MeshRanges& r = gMeshWorker.slots[1].ranges;
    if (c.written) {
      // Seen from the +x axis at the camera's distance: the planet lies around z = -distance.
      EXPECT_LT(r.lightMinX, r.lightMaxX);
      EXPECT_LT(r.lightMinY, r.lightMaxY);
      EXPECT_GT(r.lightMinZ, -12000000.0f - 3500000.0f);
      EXPECT_LT(r.lightMaxZ, -12000000.0f + 3500000.0f);
    } else {
      EXPECT_EQ(r.lightMinX, 12345.0f);
    }
    ReleaseMeshWork();
    RemoveMeshGrid(grid);
  }
}

TEST_F(MeshWorkerTest, FirstFrameDrawsEmptySlotZeroAndRequestsSlotOne) {
  Install(8);
  StartMeshWorker();
  WaitMeshReady();  // MeshReadyEvent starts set: passes at once
  ASSERT_EQ(gMeshWorker.slotIndex, 0u);
  EXPECT_EQ(gMeshWorker.slots[0].ranges.total, 0u);
  EXPECT_EQ(gMeshWorker.slots[0].viewMatrix[0], 1.0f);
  EXPECT_EQ(gMeshWorker.slots[0].viewMatrix[1], 0.0f);
  Aim(1, 20000000.0f, -10.0f, 300.0f, 0);
  RequestMeshBuild(1);
  WaitMeshReady();
  EXPECT_EQ(gMeshWorker.slotIndex, 1u);
  // Level 0: no water or clouds, so the planet starts at triangle 0.
  EXPECT_EQ(gMeshWorker.slots[1].ranges.planetFirst, 0u);
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
  gMeshWorker.currentRelief.store(0.0f);
  RequestMeshBuild(1);
  // The worker sets the relief factor as its build starts; stop while it is building.
  while (gMeshWorker.currentRelief.load() != 7.0f) std::this_thread::yield();
  StopMeshWorker();
  EXPECT_FALSE(gMeshWorker.thread.joinable());
  // The build ran to its end: the same inputs built again give the same ranges.
  const MeshRanges built = gMeshWorker.slots[1].ranges;
  EXPECT_GT(built.planetCount, 0u);
  BuildMeshSlot(1);
  const MeshRanges again = gMeshWorker.slots[1].ranges;
  EXPECT_EQ(built.total, again.total);
  EXPECT_EQ(built.waterCount, again.waterCount);
  EXPECT_EQ(built.cloudCount, again.cloudCount);
  EXPECT_EQ(built.planetCount, again.planetCount);
  EXPECT_EQ(built.atmosphereCount, again.atmosphereCount);
}

TEST_F(MeshWorkerTest, ThousandsOfStrictHandOvers) {
  // A level-1 grid keeps each build short, so the threads meet as often as possible.
  Install(1);
  StartMeshWorker();
  int32_t requested[2] = {-1, -1};  // level last requested for each slot
  uint32_t checked = 0;
  for (uint32_t frame = 0; frame < 3000; ++frame) {
    WaitMeshReady();
    const uint32_t draw = gMeshWorker.slotIndex;
    const uint32_t fill = 1 - draw;
    // The slot to draw holds what was requested for it: water exactly when its level was not 0.
    if (requested[draw] >= 0) {
      const MeshRanges& r = gMeshWorker.slots[draw].ranges;
      EXPECT_EQ(r.waterCount > 0, requested[draw] != 0) << "frame " << frame;
      EXPECT_EQ(r.total, r.waterCount + r.cloudCount + r.planetCount + r.atmosphereCount);
      ASSERT_GT(r.planetCount, 0u);
      // Read the drawn slot's arrays as the renderer would, while the worker fills the other.
      const Vec3 p = gMeshWorker.slots[draw].positions[3 * (r.planetFirst + r.planetCount) - 1];
      EXPECT_GT(p.x * p.x + p.y * p.y + p.z * p.z, 3.0e12f);
      ++checked;
    }
    const int32_t level = (frame * 7) % 3 == 0 ? 0 : 60;
    Aim(fill, 9000000.0f + 1000.0f * (frame % 100), 20.0f, static_cast<float>(frame % 360), level);
    requested[fill] = level;
    RequestMeshBuild(fill);
  }
  WaitMeshReady();
  StopMeshWorker();
  EXPECT_EQ(checked, 2999u);
}

}  // namespace
