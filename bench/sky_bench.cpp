// The processor's share of a run on the Mars clock: the sky of one frame (the clock, the sun, the
// stars' turn, both moons with their orbits' poles and the five planets) and the moon mesh made
// once at set-up.
#include <benchmark/benchmark.h>

#include "camera/sky_now.h"
#include "mesh/moon_mesh.h"

namespace {

constexpr int64_t kMoment = 1790578089000;  // 2026-09-28 06:48:09 UTC

void SkyOfOneFrame(benchmark::State& state) {
  int64_t moment = kMoment;
  for (auto _ : state) {
    const MarsClock clock = MarsClockAt(moment);
    const Vec3 sun = SunDirectionAt(clock);
    benchmark::DoNotOptimize(StarTurnAt(clock));
    benchmark::DoNotOptimize(SkyBodiesAt(moment, sun));
    moment += 33;
  }
}
BENCHMARK(SkyOfOneFrame);

void MoonMeshAtSetUp(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(MakeMoonMesh());
}
BENCHMARK(MoonMeshAtSetUp)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
