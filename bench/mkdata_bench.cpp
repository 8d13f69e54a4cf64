// The data builder on its synthesized models: a whole level 8 (and one level 16) with every core
// and with one, against the ceiling of streaming the same number of bytes through the same
// temporary-file-and-rename writer, measured in the same run; and the one-off model set-ups.
// See docs/performance.md.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <vector>

#include "platform/atomic_file.h"
#include "tests/support/temp_folder.h"
#include "tools/mkdata/albedo_model.h"
#include "tools/mkdata/cloud_cover.h"
#include "tools/mkdata/level_writer.h"
#include "tools/mkdata/mkdata.h"
#include "tools/mkdata/node_grid.h"
#include "tools/mkdata/parallel.h"
#include "tools/mkdata/star_field.h"

namespace {

struct BenchSources {
  ReliefModel relief;
  AlbedoModel albedo;
};

const BenchSources& Sources() {
  static BenchSources sources;
  static bool made = [] {
    MakeReliefModel(1, SourceImage{}, DefaultThreadCount(), sources.relief);
    MakeAlbedoModel(1, DefaultThreadCount(), sources.albedo);
    return true;
  }();
  (void)made;
  return sources;
}

uint64_t NodeTotal(uint32_t ppd) {
  uint64_t total = 0;
  for (uint32_t count : NodeRowCounts(ppd)) total += count;
  return total;
}

void WriteOneLevel(benchmark::State& state, unsigned threads) {
  const uint32_t ppd = static_cast<uint32_t>(state.range(0));
  const BenchSources& sources = Sources();
  LevelSources level;
  level.relief = &sources.relief;
  level.albedo = &sources.albedo;
  level.threads = threads;
  TempFolder folder;
  for (auto _ : state) {
    LevelExtremes extremes;
    std::string error;
    if (!WriteLevel(folder.str(), ppd, level, nullptr, extremes, error)) state.SkipWithError(error.c_str());
    benchmark::DoNotOptimize(extremes.maxTopo);
  }
  state.counters["nodes/s"] = benchmark::Counter(static_cast<double>(NodeTotal(ppd)), benchmark::Counter::kIsIterationInvariantRate);
  state.counters["threads"] = threads;
}

void BM_WriteLevelAllCores(benchmark::State& state) { WriteOneLevel(state, DefaultThreadCount()); }
void BM_WriteLevelOneCore(benchmark::State& state) { WriteOneLevel(state, 1); }

// Ceiling: the level's 10 bytes per node (areoid, topo, colour) streamed in the writer's block
// size through AtomicFile, synced and renamed, with nothing computed.
void BM_WriteSameBytes(benchmark::State& state) {
  const uint64_t bytes = NodeTotal(static_cast<uint32_t>(state.range(0))) * 10;
  const std::vector<uint8_t> block(size_t{1} << 20, 0x5A);
  TempFolder folder;
  for (auto _ : state) {
    AtomicFile file;
    std::string error;
    bool ok = BeginAtomicFile(folder.str() + "/same.hex", AtomicWrite::Durable, file, error);
    for (uint64_t done = 0; ok && done < bytes; done += block.size())
      ok = AppendAtomicFile(file, block.data(), static_cast<size_t>(std::min<uint64_t>(block.size(), bytes - done)),
                            error);
    if (!ok || !FinishAtomicFile(file, error) || !CommitAtomicFile(file, error)) state.SkipWithError(error.c_str());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
}

// The one-off set-ups: the relief (broad terrain grid and crater population), the albedo grids,
// the cloud cover and the star field.
void BM_MakeReliefModel(benchmark::State& state) {
  for (auto _ : state) {
    ReliefModel model;
    MakeReliefModel(1, SourceImage{}, DefaultThreadCount(), model);
    benchmark::DoNotOptimize(model.broadHeight.data());
  }
}

void BM_MakeAlbedoModel(benchmark::State& state) {
  for (auto _ : state) {
    AlbedoModel model;
    MakeAlbedoModel(1, DefaultThreadCount(), model);
    benchmark::DoNotOptimize(model.dark.data());
  }
}

void BM_SynthesizeCloudCover(benchmark::State& state) {
  for (auto _ : state) {
    const CloudSource cover = SynthesizeCloudCover(1, DefaultThreadCount());
    benchmark::DoNotOptimize(cover.grey.pixels.data());
  }
}

void BM_SynthesizeStars(benchmark::State& state) {
  for (auto _ : state) {
    const std::vector<CatalogueStar> stars = SynthesizeStars(1);
    benchmark::DoNotOptimize(stars.data());
  }
}

// Wall-clock time throughout: the work runs on threads the benchmark's own CPU clock does not see.
BENCHMARK(BM_WriteSameBytes)->Arg(8)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteLevelAllCores)->Arg(8)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteLevelOneCore)->Arg(8)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteLevelAllCores)->Arg(16)->Iterations(1)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MakeReliefModel)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MakeAlbedoModel)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SynthesizeCloudCover)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SynthesizeStars)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
