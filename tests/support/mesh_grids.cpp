// Node grids built in memory for the mesh tests and benchmark.
#include "tests/support/mesh_grids.h"

#include "camera/camera_state.h"
#include "mesh/mesh_worker.h"
#include "settings/saver_settings.h"
#include "tests/support/test_run.h"

#include <cmath>

#include "mapdata/map_data.h"

std::vector<uint32_t> NarrowRows(uint32_t ppd, uint32_t widest) {
  const uint32_t rows = RowCountForLevel(ppd);
  std::vector<uint32_t> counts(rows);
  for (uint32_t i = 0; i < rows; ++i) {
    const double latitude = -90.0 + 180.0 * i / (rows - 1);
    const long count = std::lround(widest * std::cos(latitude * 3.14159265358979323846 / 180.0));
    counts[i] = (i == 0 || i == rows - 1 || count < 1) ? 1u : static_cast<uint32_t>(count);
  }
  return counts;
}

std::vector<uint32_t> FullCountRows(uint32_t ppd) { return NarrowRows(ppd, 360 * ppd); }

void InstallMeshGrid(MeshGrid& grid, uint32_t ppd, const std::vector<uint32_t>& counts, GridHeights heights) {
  MeshGridTables& t = grid.tables;
  t.counts = counts;
  uint64_t total = 0;
  for (uint32_t count : counts) total += count;
  t.areoid.assign(total, 0);
  t.topo.assign(total, 0);
  t.mars.assign(total, kGridMars);
  t.terra.assign(total, kGridTerra);
  if (heights == GridHeights::Relief) {
    uint64_t n = 0;
    for (uint32_t i = 0; i < counts.size(); ++i) {
      const int32_t areoid = static_cast<int32_t>(i * 97 % 4001) - 2000;
      for (uint32_t j = 0; j < counts[i]; ++j, ++n) {
        t.areoid[n] = static_cast<int16_t>(areoid);
        t.topo[n] = static_cast<int16_t>(static_cast<int32_t>((i * 131 + j * 977) % 28001) - 8000);
      }
    }
  }
  t.cosTable.assign(720 * size_t{ppd} + 1, 0.0f);
  t.sinTable.assign(720 * size_t{ppd} + 1, 0.0f);
  t.rows.assign(counts.size(), NodeRow{});
  for (size_t i = 0; i < counts.size(); ++i) t.rows[i].count = counts[i];

  MapData& map = grid.map;
  map.lastRow = static_cast<uint32_t>(counts.size() - 1);
  map.rowSpacing = 180.0f / static_cast<float>(map.lastRow);
  map.ppd = ppd;
  map.lonSamples = 360 * ppd;
  map.nodeCount = static_cast<uint32_t>(total);
  map.rows = t.rows.data();
  map.areoid = t.areoid.data();
  map.topo = t.topo.data();
  map.mars = t.mars.data();
  map.terra = t.terra.data();
  map.cosTable = t.cosTable.data();
  map.sinTable = t.sinTable.data();
  BuildRowTable(map);
}

void RemoveMeshGrid(MeshGrid& grid) {
  MapData& map = grid.map;
  map.rows = nullptr;
  map.areoid = map.topo = nullptr;
  map.mars = map.terra = nullptr;
  map.cosTable = map.sinTable = nullptr;
  grid.tables = MeshGridTables{};
}

float InstallMeshScene(MeshGrid& grid, uint32_t ppd, const std::vector<uint32_t>& counts, GridHeights heights) {
  gSaverSettings.Shadows = 1;
  gSaverSettings.Clouds = 1;
  gSaverSettings.Atmosphere = 1;
  gTestLimits.maxTextureSize = 16384;
  InstallMeshGrid(grid, ppd, counts, heights);
  CameraState cameras{};
  SetupInitialView(cameras, TestRunConfig(), ppd, 1024, 768);
  SetupMeshWork(TestRunConfig(true), grid.map);
  return cameras.minDistance;
}
