// The data builder's level writer on the packaged sources: a whole level 8 (and one level 16) with
// every core and with one, against the ceiling of streaming the same number of bytes through the
// same temporary-file-and-rename writer, measured in the same run. See docs/performance.md.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "tests/support/temp_folder.h"
#include "tools/mkdata/atomic_file.h"
#include "tools/mkdata/level_writer.h"
#include "tools/mkdata/mkdata.h"
#include "tools/mkdata/node_grid.h"
#include "tools/mkdata/parallel.h"

namespace {

struct BenchSources {
  SourceImage colourMap;
  std::vector<Marker> markers;
  ReliefModel relief;
  ColourMapSampler colours;
};

const BenchSources& Sources() {
  static BenchSources sources;
  static bool read = [] {
    const MkdataOptions defaults;
    std::string error;
    if (!ReadJpegImage(defaults.colourMap, sources.colourMap, error) ||
        !ReadMarkers(defaults.markers, true, sources.markers, error)) {
      std::fprintf(stderr, "mkdata_bench: %s (run scripts/setup.sh)\n", error.c_str());
      std::exit(1);
    }
    MakeReliefModel(1, sources.colourMap, sources.markers, DefaultThreadCount(), sources.relief);
    sources.colours = MakeColourSampler(sources.colourMap);
    return true;
  }();
  (void)read;
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
  level.colours = &sources.colours;
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
// size through PendingFile, synced and renamed, with nothing computed.
void BM_WriteSameBytes(benchmark::State& state) {
  const uint64_t bytes = NodeTotal(static_cast<uint32_t>(state.range(0))) * 10;
  const std::vector<uint8_t> block(size_t{1} << 20, 0x5A);
  TempFolder folder;
  for (auto _ : state) {
    PendingFile file;
    std::string error;
    bool ok = BeginFile(folder.str() + "/same.hex", file, error);
    for (uint64_t done = 0; ok && done < bytes; done += block.size())
      ok = AppendFile(file, block.data(), static_cast<size_t>(std::min<uint64_t>(block.size(), bytes - done)), error);
    if (!ok || !FinishFile(file, error) || !CommitFile(file, error)) state.SkipWithError(error.c_str());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
}

// The one-off set-up: relief from the colour map's shading and the broad terrain grid.
void BM_MakeReliefModel(benchmark::State& state) {
  const BenchSources& sources = Sources();
  for (auto _ : state) {
    ReliefModel model;
    MakeReliefModel(1, sources.colourMap, sources.markers, DefaultThreadCount(), model);
    benchmark::DoNotOptimize(model.broadHeight.data());
  }
}

// Wall-clock time throughout: the work runs on threads the benchmark's own CPU clock does not see.
BENCHMARK(BM_WriteSameBytes)->Arg(8)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteLevelAllCores)->Arg(8)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteLevelOneCore)->Arg(8)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteLevelAllCores)->Arg(16)->Iterations(1)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MakeReliefModel)->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
