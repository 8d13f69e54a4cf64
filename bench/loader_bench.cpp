// LoadMapData on a full-size level-8 data set (about 2.6 million nodes), with valid caches and
// with both caches derived, against a plain read of the same bytes measured in the same run.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include "mapdata/map_data.h"
#include "settings/saver_settings.h"
#include "tests/support/temp_folder.h"
#include "tests/support/test_data.h"
#include "tests/support/test_run.h"

namespace {

MapData gLoaded{};  // what each load fills

const TempFolder& DataFolder() {
  static TempFolder folder;
  static bool written = [] {
    const TestDataSet set = MakeTestDataSet(8, true);
    if (!WriteTestDataSet(folder.str(), set)) {
      std::fprintf(stderr, "loader_bench: cannot write the data set into %s\n", folder.str().c_str());
      std::exit(1);
    }
    std::snprintf(gSaverSettings.DataPath, kDataPathSize, "%s", folder.str().c_str());
    gSaverSettings.MaxPPD = 8;
    gSaverSettings.Clouds = 1;
    gTestLimits.maxTextureSize = 16384;
    LoaderThreadMain(TestLoadRequest(), gLoaded);  // writes the caches once
    FreeMapData(gLoaded);
    return true;
  }();
  (void)written;
  return folder;
}

void RemoveCaches() {
  std::filesystem::remove(DataFolder() / "terra8.hex");
  std::filesystem::remove(DataFolder() / "sea8.hex");
}

void BM_LoadWithCaches(benchmark::State& state) {
  DataFolder();
  for (auto _ : state) {
    LoaderThreadMain(TestLoadRequest(), gLoaded);
    benchmark::DoNotOptimize(gLoaded.terra);
    FreeMapData(gLoaded);
  }
  state.counters["nodes"] = static_cast<double>(MakeTestDataSet(8, true).topo.size());
}

void BM_LoadDerivingCaches(benchmark::State& state) {
  DataFolder();
  for (auto _ : state) {
    state.PauseTiming();
    RemoveCaches();
    state.ResumeTiming();
    LoaderThreadMain(TestLoadRequest(), gLoaded);
    benchmark::DoNotOptimize(gLoaded.seaImage);
    FreeMapData(gLoaded);
  }
}

// The ceiling for a load with caches: reading the same files with nothing else done.
void BM_RawReadSameFiles(benchmark::State& state) {
  DataFolder();
  LoaderThreadMain(TestLoadRequest(), gLoaded);  // make sure the caches exist
  FreeMapData(gLoaded);
  std::vector<char> buffer(1 << 20);
  for (auto _ : state) {
    size_t total = 0;
    for (const char* name : {"nodes8.hex", "areoid8.hex", "topo8.hex", "mars8.hex", "terra8.hex", "sea8.hex",
                             "clouds8.hex", "sun.hex", "starsbr.hex", "starsdim.hex"}) {
      FILE* file = std::fopen((DataFolder() / name).string().c_str(), "rb");
      size_t got;
      while ((got = std::fread(buffer.data(), 1, buffer.size(), file)) > 0) total += got;
      std::fclose(file);
    }
    benchmark::DoNotOptimize(total);
  }
}

BENCHMARK(BM_RawReadSameFiles)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadWithCaches)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadDerivingCaches)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
