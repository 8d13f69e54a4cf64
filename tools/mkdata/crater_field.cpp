// Drawing the crater population and binning it.
#include "tools/mkdata/crater_field.h"

#include <algorithm>
#include <cmath>

#include "tools/mkdata/landforms.h"
#include "tools/mkdata/random_stream.h"

namespace {

constexpr uint32_t kCraterStreamSalt = 0xC4A7E45u;
constexpr uint32_t kBinRows = 180;

uint32_t ColumnsOfRow(uint32_t row) {
  // Columns one degree wide where the row is widest (its edge nearer the equator).
  const double southDeg = -90.0 + row, northDeg = southDeg + 1.0;
  const double widest = std::cos(std::min(std::fabs(southDeg), std::fabs(northDeg)) * kDegree);
  return std::max(1u, static_cast<uint32_t>(std::floor(360.0 * widest)));
}

uint32_t ColumnOf(uint32_t columns, double lonDeg) {
  return std::min(columns - 1, static_cast<uint32_t>(WrapLongitude(lonDeg) / 360.0 * columns));
}

uint32_t RowOf(double latDeg) {
  return std::min(kBinRows - 1, static_cast<uint32_t>(std::max(0.0, std::floor(latDeg + 90.0))));
}

// Calls visit(bin) for every bin the crater's reach may touch.
template <typename Visit>
void ForEachBin(const CraterField& field, const FieldCrater& crater, Visit visit) {
  const double latDeg = LatitudeOf(crater.centre), lonDeg = LongitudeOf(crater.centre);
  const double reachDeg = kCraterReach * crater.radiusKm / kKmPerDegree;
  const uint32_t firstRow = RowOf(latDeg - reachDeg), lastRow = RowOf(latDeg + reachDeg);
  const double poleward = std::min(90.0, std::fabs(latDeg) + reachDeg);
  for (uint32_t row = firstRow; row <= lastRow; ++row) {
    const uint32_t columns = field.rowColumns[row];
    // Half the longitude span the reach covers at the crater's most poleward latitude.
    const double cosLat = std::cos(poleward * kDegree);
    const double halfSpanDeg = cosLat > 1e-6 ? reachDeg / cosLat : 360.0;
    if (halfSpanDeg >= 180.0) {
      for (uint32_t c = 0; c < columns; ++c) visit(field.rowFirstBin[row] + c);
      continue;
    }
    const uint32_t first = ColumnOf(columns, lonDeg - halfSpanDeg), last = ColumnOf(columns, lonDeg + halfSpanDeg);
    for (uint32_t c = first;; c = (c + 1) % columns) {
      visit(field.rowFirstBin[row] + c);
      if (c == last) break;
    }
  }
}

}  // namespace

CraterField MakeCraterField(uint32_t seed, const std::function<double(const Vec3d&)>& density) {
  CraterField field;
  RandomStream random(uint64_t{seed} * 0x100000001ull + kCraterStreamSalt);
  const double smallestShare = (kSmallestCraterKm / kLargestCraterKm) * (kSmallestCraterKm / kLargestCraterKm);
  const uint32_t candidates =
      static_cast<uint32_t>(kCratersAbove5Km * (5.0 / kSmallestCraterKm) * (5.0 / kSmallestCraterKm) * (1.0 - smallestShare));
  for (uint32_t k = 0; k < candidates; ++k) {
    // Every candidate takes the same four numbers, so one rejection never shifts the others.
    const Vec3d centre = random.Direction();
    // (smallest / D)^2 is uniform for the cumulative law N(>= D) ~ D^-2.
    const double sizeDraw = random.Uniform(smallestShare, 1.0);
    const double freshDraw = random.Uniform();
    const double keepDraw = random.Uniform();
    if (keepDraw >= density(centre)) continue;
    const double diameterKm = kSmallestCraterKm / std::sqrt(sizeDraw);
    // Most craters of the old terrains are worn and partly filled; a few are fresh.
    const double freshness = 0.3 + 0.7 * std::pow(freshDraw, 1.5);
    const Landform shape = CraterLandform("", 0.0, 0.0, diameterKm, freshness);
    FieldCrater crater{centre, shape.radiusKm, shape.levelM, shape.rimM, shape.peakKm, shape.peakM, 0.0};
    crater.reachCos = std::cos(kCraterReach * crater.radiusKm / kSurfaceRadiusKm);
    field.craters.push_back(crater);
  }

  field.rowColumns.resize(kBinRows);
  field.rowFirstBin.resize(kBinRows);
  uint32_t bins = 0;
  for (uint32_t row = 0; row < kBinRows; ++row) {
    field.rowColumns[row] = ColumnsOfRow(row);
    field.rowFirstBin[row] = bins;
    bins += field.rowColumns[row];
  }
  // Two passes: count the entries of each bin, then fill them.
  std::vector<uint32_t> counts(bins + 1, 0);
  for (const FieldCrater& crater : field.craters) ForEachBin(field, crater, [&](uint32_t bin) { ++counts[bin]; });
  field.binStart.assign(bins + 1, 0);
  for (uint32_t b = 0; b < bins; ++b) field.binStart[b + 1] = field.binStart[b] + counts[b];
  field.binCraters.resize(field.binStart[bins]);
  std::vector<uint32_t> filled(field.binStart.begin(), field.binStart.end() - 1);
  for (uint32_t k = 0; k < field.craters.size(); ++k)
    ForEachBin(field, field.craters[k], [&](uint32_t bin) { field.binCraters[filled[bin]++] = k; });
  return field;
}

CraterSpan CratersNear(const CraterField& field, double latDeg, double lonDeg) {
  if (field.binStart.empty()) return {nullptr, nullptr};
  const uint32_t row = RowOf(latDeg);
  const uint32_t bin = field.rowFirstBin[row] + ColumnOf(field.rowColumns[row], lonDeg);
  const uint32_t* data = field.binCraters.data();
  return {data + field.binStart[bin], data + field.binStart[bin + 1]};
}
