// One whole mesh build (sea at terraform level 60, clouds, surface, atmosphere) for fixed camera
// poses on generated full-count grids of levels 8, 16 and 32, on the benchmark's one thread, with
// the single-core memory write bandwidth measured in the same run as the ceiling.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "camera/camera_state.h"
#include "mapdata/map_data.h"
#include "mesh/mesh_worker.h"
#include "settings/saver_settings.h"
#include "tests/mesh/mesh_views.h"
#include "tests/support/mesh_grids.h"

namespace {

constexpr float kFieldOfView = 45.0f;
constexpr float kAspect = 4.0f / 3.0f;
constexpr float kRelief = 10.0f;  // the default relief exaggeration

enum Pose { kFarDisc, kCloseLimb, kOverPole, kAcrossSeam, kLowest, kPoseCount };
const char* const kPoseNames[kPoseCount] = {"far_disc", "close_limb", "over_pole", "across_seam", "lowest"};

MeshGrid gGrid;
uint32_t gLevel = 0;
float gMinDistance = 0.0f;  // the initial view's, for the level in use

// Installs the level's grid (releasing the previous one) and the worker's memory for it.
void UseLevel(uint32_t level) {
  if (gLevel == level) return;
  ReleaseMeshWork();
  RemoveMeshGrid(gGrid);
  gMinDistance = InstallMeshScene(gGrid, level, FullCountRows(level), GridHeights::Relief);
  gLevel = level;
}

// Fills slot 1's inputs for a pose.
void Aim(Pose pose) {
  const float nearest = gMinDistance;
  Vec3 eye, forward, up{0, 1, 0};
  switch (pose) {
    case kFarDisc:
      eye = Place(kMaxCameraDistance, 20.0f, 40.0f);
      forward = Vec3{-eye.x, -eye.y, -eye.z};
      break;
    case kCloseLimb: {
      // Looking along the horizon towards the north, from a little above the closest distance.
      const float d = 1.2f * nearest;
      eye = Place(d, 10.0f, 100.0f);
      const Vec3 down = Normalized(Vec3{-eye.x, -eye.y, -eye.z});
      const Vec3 north = Normalized(Sub(Place(d, 11.0f, 100.0f), eye));
      const float tilt = std::asin(3396000.0f / d);
      forward = Vec3{down.x * std::cos(tilt) + north.x * std::sin(tilt), down.y * std::cos(tilt) + north.y * std::sin(tilt),
                     down.z * std::cos(tilt) + north.z * std::sin(tilt)};
      break;
    }
    case kOverPole:
      eye = Vec3{0.0f, 8000000.0f, 0.0f};
      forward = Vec3{0, -1, 0};
      up = Vec3{0, 0, -1};
      break;
    case kAcrossSeam:
      eye = Place(1.2f * nearest, -15.0f, 0.0f);
      forward = Vec3{-eye.x, -eye.y, -eye.z};
      break;
    case kLowest:
    default:
      eye = Place(nearest, 35.0f, 250.0f);
      forward = Vec3{-eye.x, -eye.y, -eye.z};
      break;
  }
  float view[16];
  ViewAlong(view, eye, forward, up);
  MeshSlot& slot = gMeshWorker.slots[1];
  FillSlotInputs(slot, view, eye, kFieldOfView, kAspect, kMaxTerraformLevel, kRelief);
  // The sun's shadow camera at the camera's distance on the sun direction (latitude 25, longitude 330).
  float light[16];
  const float d = std::sqrt(Dot(eye, eye));
  LookAt(light, Place(d, 25.0f, 330.0f), Vec3{0, 0, 0}, Vec3{0, 1, 0});
  SetSlotLight(slot, light);
}

void BM_MeshBuild(benchmark::State& state, uint32_t level, Pose pose) {
  UseLevel(level);
  Aim(pose);
  for (auto _ : state) {
    BuildMeshSlot(1);
    benchmark::ClobberMemory();
  }
  const MeshRanges& r = gMeshWorker.slots[1].ranges;
  // Bytes of the arrays one build writes: positions and normals of every triangle, colours of the
  // planet and atmosphere, texture coordinates of the shells.
  const double bytes = 72.0 * r.total + 12.0 * (r.planetCount + r.atmosphereCount) + 24.0 * (r.waterCount + r.cloudCount);
  // Per build, not rates: with repetitions the "min" row then pairs the fastest time with them.
  state.counters["triangles"] = r.total;
  state.counters["planet"] = r.planetCount;
  state.counters["array_MB"] = bytes / 1.0e6;
}

// The ceiling: one core writing a buffer far larger than any cache.
void BM_WriteBandwidth(benchmark::State& state) {
  const size_t bytes = size_t{512} << 20;
  char* buffer = static_cast<char*>(std::malloc(bytes));
  std::memset(buffer, 1, bytes);  // fault the pages in before timing
  int value = 0;
  for (auto _ : state) {
    std::memset(buffer, ++value, bytes);
    benchmark::ClobberMemory();
  }
  state.counters["written_MB"] = static_cast<double>(bytes) / 1.0e6;
  std::free(buffer);
}

}  // namespace

// The fastest repetition: on a shared machine the others measure the neighbours as well.
double Fastest(const std::vector<double>& values) { return *std::min_element(values.begin(), values.end()); }

int main(int argc, char** argv) {
  // Bandwidth first and last, so that a change in the machine's load during the run shows.
  benchmark::RegisterBenchmark("BM_WriteBandwidth", BM_WriteBandwidth)
      ->Unit(benchmark::kMillisecond)
      ->ComputeStatistics("min", Fastest);
  for (uint32_t level : {8u, 16u, 32u})
    for (int pose = 0; pose < kPoseCount; ++pose)
      benchmark::RegisterBenchmark(("BM_MeshBuild/level" + std::to_string(level) + "/" + kPoseNames[pose]).c_str(),
                                   BM_MeshBuild, level, static_cast<Pose>(pose))
          ->Unit(benchmark::kMillisecond)
          ->ComputeStatistics("min", Fastest);
  benchmark::RegisterBenchmark("BM_WriteBandwidth/again", BM_WriteBandwidth)
      ->Unit(benchmark::kMillisecond)
      ->ComputeStatistics("min", Fastest);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  ReleaseMeshWork();
  RemoveMeshGrid(gGrid);
  return 0;
}
