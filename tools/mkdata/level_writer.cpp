// The streaming level writer: blocks of whole rows of about a quarter million nodes, each block's
// rows spread over the threads, then appended to the three per-node files in order.
#include "tools/mkdata/level_writer.h"

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/atomic_file.h"
#include "platform/platform.h"
#include "tools/mkdata/areoid_model.h"
#include "tools/mkdata/node_grid.h"
#include "tools/mkdata/parallel.h"
#include "tools/mkdata/progress.h"

// The data files are little-endian; the tables' bytes are written as they lie in memory.
static_assert(std::endian::native == std::endian::little, "the data builder runs on little-endian machines");

namespace {

constexpr uint64_t kBlockNodes = uint64_t{1} << 18;

int16_t ToHeight(double metres, uint32_t& clipped) {
  const long value = std::lround(metres);
  if (value < INT16_MIN || value > INT16_MAX) ++clipped;
  return static_cast<int16_t>(std::clamp<long>(value, INT16_MIN, INT16_MAX));
}

void Widen(LevelExtremes& e, const int16_t* areoid, const int16_t* topo, uint64_t count) {
  for (uint64_t k = 0; k < count; ++k) {
    const int64_t a = areoid[k], t = topo[k];
    e.minTopo = std::min<int32_t>(e.minTopo, topo[k]);
    e.maxTopo = std::max<int32_t>(e.maxTopo, topo[k]);
    e.minAreoid = std::min<int32_t>(e.minAreoid, areoid[k]);
    e.maxAreoid = std::max<int32_t>(e.maxAreoid, areoid[k]);
    const int64_t s1 = a + t, s10 = a + 10 * t;
    e.minSurface1 = std::min(e.minSurface1, s1);
    e.maxSurface1 = std::max(e.maxSurface1, s1);
    e.minSurface10 = std::min(e.minSurface10, s10);
    e.maxSurface10 = std::max(e.maxSurface10, s10);
    if (s1 < -kSurfaceBandPerFactorM || s1 > kSurfaceBandPerFactorM) ++e.outsideAt1;
    if (s10 < -10 * kSurfaceBandPerFactorM || s10 > 10 * kSurfaceBandPerFactorM) ++e.outsideAt10;
  }
  e.nodes += count;
}

bool RemoveStaleCache(const std::string& folder, const char* stem, uint32_t ppd, std::string& error) {
  char name[32];
  LevelFileName(name, sizeof name, stem, ppd);
  const std::string path = folder + "/" + name;
  if (!PlatformRemoveFile(path.c_str()) && errno != ENOENT) {
    error = "cannot delete the outdated cache " + path + ": " + std::strerror(errno);
    return false;
  }
  return true;
}

}  // namespace

double FitUnderMeshTop(double topo, double areoid) {
  const double band = static_cast<double>(kSurfaceBandPerFactorM);
  // Linear in F, so the tightest of the factors is 1 or 10.
  const double ceiling = std::min(band - areoid, band - areoid / 10.0);
  const double knee = 0.75 * ceiling;
  if (topo <= knee || ceiling <= 0.0) return topo;
  const double room = ceiling - knee;
  return knee + room * (1.0 - std::exp(-(topo - knee) / room));
}

uint32_t MakeNodeRow(const LevelSources& sources, uint32_t ppd, uint32_t row, uint32_t count, int16_t* areoid,
                     int16_t* topo, Colour* mars) {
  const double latDeg = NodeRowLatitude(ppd, row);
  const double spacingKm = NodeSpacingKm(ppd);
  uint32_t clipped = 0;
  for (uint32_t j = 0; j < count; ++j) {
    const double lonDeg = NodeLongitude(count, j);
    ReliefDetail detail;
    double height;
    if (sources.realRelief) {
      height = RealReliefHeight(*sources.realRelief, latDeg, lonDeg, spacingKm, &detail.fine);
      // Synthesized colours still take their crater and canyon detail from the synthesized relief.
      if (!sources.colourMap) detail = ReliefFineDetail(*sources.relief, latDeg, lonDeg, spacingKm);
    } else {
      height = ReliefHeight(*sources.relief, latDeg, lonDeg, spacingKm, &detail);
    }
    const double areoidHeight = sources.molaAreoid ? SampleMolaGrid(*sources.molaAreoid, latDeg, lonDeg)
                                                   : ModelAreoidHeight(UnitVectorAt(latDeg, lonDeg));
    topo[j] = ToHeight(FitUnderMeshTop(height, areoidHeight), clipped);
    areoid[j] = ToHeight(areoidHeight, clipped);
    mars[j] = sources.colourMap ? SurfaceColour(*sources.colourMap, latDeg, lonDeg, detail.fine)
                                : AlbedoColour(*sources.albedo, latDeg, lonDeg, height, detail, spacingKm);
  }
  return clipped;
}

namespace {

// Takes a level whose files were only partly replaced out of the folder by removing its node file,
// and says so at the end of the failure's line.
void WithdrawLevel(const std::string& nodeFile, std::string& error) {
  error += PlatformRemoveFile(nodeFile.c_str()) || PlatformPathKind(nodeFile.c_str()) == PathKind::Missing
               ? "; the level's other files were already replaced, so its node file was removed"
               : "; the level's other files were already replaced, and its node file could not be removed";
}

}  // namespace

bool WriteLevel(const std::string& folder, uint32_t ppd, const LevelSources& sources, LayerPreview* preview,
                LevelExtremes& extremes, std::string& error) {
  const std::vector<uint32_t> counts = NodeRowCounts(ppd);
  uint64_t total = 0;
  for (uint32_t count : counts) total += count;

  const char* stems[4] = {"areoid", "topo", "mars", "nodes"};
  // Every return before the last commit leaves through AtomicFile's destructor, which removes the
  // files not yet moved into place.
  AtomicFile files[4];
  for (int k = 0; k < 4; ++k) {
    char name[32];
    LevelFileName(name, sizeof name, stems[k], ppd);
    if (!BeginAtomicFile(folder + "/" + name, AtomicWrite::Durable, files[k], error)) return false;
  }

  Progress progress = StartProgress("level " + std::to_string(ppd), sources.progressLines);
  std::vector<int16_t> areoid, topo;
  std::vector<Colour> mars;
  std::vector<uint64_t> rowStart;
  extremes = LevelExtremes{};
  uint64_t done = 0;
  for (uint32_t first = 0; first < counts.size();) {
    // A block of whole rows with about kBlockNodes nodes (at least one row).
    uint32_t end = first;
    rowStart.clear();
    uint64_t nodes = 0;
    while (end < counts.size() && (end == first || nodes + counts[end] <= kBlockNodes)) {
      rowStart.push_back(nodes);
      nodes += counts[end++];
    }
    areoid.resize(nodes);
    topo.resize(nodes);
    mars.resize(nodes);
    std::vector<uint32_t> clipped(end - first, 0);
    ParallelFor(sources.threads, end - first, [&](uint32_t k) {
      const uint64_t at = rowStart[k];
      clipped[k] = MakeNodeRow(sources, ppd, first + k, counts[first + k], &areoid[at], &topo[at], &mars[at]);
    });
    for (uint32_t c : clipped) extremes.clipped += c;
    Widen(extremes, areoid.data(), topo.data(), nodes);
    if (preview)
      for (uint32_t k = 0; k < end - first; ++k)
        AddNodeRowToPreview(*preview, first + k, counts[first + k], &topo[rowStart[k]], &mars[rowStart[k]]);
    if (!AppendAtomicFile(files[0], areoid.data(), nodes * sizeof(int16_t), error) ||
        !AppendAtomicFile(files[1], topo.data(), nodes * sizeof(int16_t), error) ||
        !AppendAtomicFile(files[2], mars.data(), nodes * sizeof(Colour), error))
      return false;
    done += nodes;
    ShowProgress(progress, done, total);
    first = end;
  }
  EndProgress(progress);

  if (!AppendAtomicFile(files[3], counts.data(), counts.size() * sizeof(uint32_t), error)) return false;
  for (AtomicFile& file : files)
    if (!FinishAtomicFile(file, error)) return false;
  if (!RemoveStaleCache(folder, "terra", ppd, error) || !RemoveStaleCache(folder, "sea", ppd, error))
    return false;
  // The node file last: the level scan lists a level by its node file, so a level shows up only
  // when its other files are in place.
  for (int k = 0; k < 4; ++k) {
    if (CommitAtomicFile(files[k], error)) continue;
    // Some files of the level are new and the rest old: with the old node file the program would
    // load the mixture as one level, so the node file goes and the level is no longer listed.
    if (k > 0) WithdrawLevel(files[3].path, error);
    return false;
  }
  return true;
}
