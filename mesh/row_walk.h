// The walk the three builders share: find the visible band, choose the thinning factor, generate
// the vertices of each row's visible runs and stitch every row to the one south of it. Each builder
// supplies its vertex rule; the walk is a template so that the rule inlines into the row loop.
#pragma once

#include <algorithm>
#include <cmath>
#include <utility>

#include "mapdata/map_data.h"
#include "mesh/builders.h"

// floor(value) as a node index; runs hold only angles in 0..360.
inline uint32_t FloorNode(float value) { return value > 0.0f ? static_cast<uint32_t>(value) : 0; }

// vertex(buffer, v, row, r, j, longitude, trig) writes vertex v of the current row from node j of
// row r, whose longitude is `longitude` degrees and whose sine and cosine are at `trig` in the
// map's tables. A row whose strip might not fit under the sink's limit ends the walk: the mesh is
// then the band's southern part, whole rows only, and sink.full is set.
template <StitchVariant V, typename VertexRule>
uint32_t WalkRows(const BuildWork& work, const BuildView& view, const LayerSpec& layer, RegionMode mode,
                  ThinningRule rule, TriangleSink& sink, VertexRule&& vertex) {
  const MapData& map = *work.map;
  uint32_t first = 0, last = 0;
  const uint32_t total = FindVisibleRegion(first, last, work.table, map, view, layer, mode, work.light);
  const uint32_t k =
      ThinningFactor(total, layer.limit, work.ppd, work.density, rule) * std::max<uint32_t>(layer.extraThinning, 1);

  const RowBuffer* previousBuffer = &work.rows[0];
  const RowBuffer* currentBuffer = &work.rows[1];
  RowVertices previous{previousBuffer->positions, previousBuffer->longitudes, previousBuffer->colours,
                       previousBuffer->texCoords, 0, 360.0f * static_cast<float>(k)};

  auto buildRow = [&](uint32_t r) {
    const NodeRow& row = map.rows[r];
    const uint32_t n = row.count;
    // Near the poles a row of fewer than 2k nodes is thinned less, keeping at least two vertices.
    uint32_t kr = k;
    while (2 * kr > n && kr >= 2) kr /= 2;
    const float indexStep = static_cast<float>(row.lonStep * kr);
    const float rowSpacing = static_cast<float>(row.lonStep * k);
    const VisibleEntry& entry = work.table[r / work.ppd];
    const double trigScale = 2.0 * work.ppd;
    const uint32_t trigLast = 720 * work.ppd;
    const RowBuffer& buffer = *currentBuffer;
    uint32_t count = 0;
    if (entry.valueCount > 0) {
      uint32_t run = 0;
      float start = entry.runs[0], end = entry.runs[1];
      uint32_t j = kr * FloorNode(start / indexStep);
      while (j < n) {
        // The node's longitude in double, as the trig tables are indexed: floor(2 ppd lambda).
        const double exact = j * row.lonStep;
        const float longitude = static_cast<float>(exact);
        if (longitude < start) {
          j += kr;
        } else if (longitude > end) {
          run += 2;
          if (run >= entry.valueCount) break;
          start = entry.runs[run];
          end = entry.runs[run + 1];
          j = kr * FloorNode(start / indexStep);
        } else {
          if (count == work.rowCapacity) break;
          const uint32_t trig = std::min(static_cast<uint32_t>(exact * trigScale), trigLast);
          vertex(buffer, count, row, r, j, longitude, trig);
          ++count;
          j += kr;
        }
      }
    }
    const RowVertices current{buffer.positions, buffer.longitudes, buffer.colours, buffer.texCoords, count, rowSpacing};
    if (count > 0 && previous.count > 0 && (count > 1 || previous.count > 1)) {
      if (uint64_t{sink.count} + previous.count + count > sink.limit) {
        sink.full = true;
        return;
      }
      StitchRows(V, previous, current, sink);
    }
    std::swap(previousBuffer, currentBuffer);
    previous = current;
  };

  // Rows run south to north, so the previous row always lies south of the current one.
  for (uint32_t r = k * (first / k); r < last && !sink.full; r += k) buildRow(r);
  if (last == map.lastRow && last != 0 && !sink.full) buildRow(last);
  return sink.count;
}
