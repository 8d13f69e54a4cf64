// The visible-region pass and the thinning factor. The pass tests one node per ppd nodes of one row
// per degree against the view pyramid, inside a longitude range per row cut by the horizon, so a
// whole sphere costs about 41,000 samples at any map resolution.
#include "mesh/visible_region.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "mapdata/map_data.h"
#include "mapdata/map_formats.h"

namespace {

// What a row has done to the band so far.
enum class Band : uint8_t { NotFound, Open, Ended };

// Whole-degree row at or below a latitude: ppd * floor(floor((lat + 90) * ppd) / ppd).
int64_t DegreeRow(float latitude, uint32_t ppd) {
  const int64_t row = static_cast<int64_t>(std::floor((latitude + 90.0f) * static_cast<float>(ppd)));
  return row / ppd * ppd;
}

// ppd * floor(floor(longitude / spacing) / ppd), as a node index that may lie outside the row.
int64_t DegreeNode(float longitude, double spacing, uint32_t ppd) {
  const double node = std::floor(longitude / spacing);
  // Only angles in 0..360 come here; the clamp keeps a stray value from overflowing the integer.
  const int64_t clamped = static_cast<int64_t>(std::clamp(node, -1.0, 1.0e9));
  return clamped < 0 ? 0 : clamped / ppd * ppd;
}

struct Pyramid {
  Vec3 normals[4];  // inward side-plane normals in the planet frame
  Vec3 apex;        // the camera position
};

bool InsidePyramid(const Pyramid& pyramid, const Vec3& p) {
  const Vec3 d{p.x - pyramid.apex.x, p.y - pyramid.apex.y, p.z - pyramid.apex.z};
  for (const Vec3& n : pyramid.normals)
    if (d.x * n.x + d.y * n.y + d.z * n.z < 0.0f) return false;
  return true;
}

void Widen(LightBox& box, const Vec3& p) {
  Vec4 out;
  Mat4MulVec4(out, box.lightMatrix, Vec4{p.x, p.y, p.z, 1.0f});
  box.minX = std::min(box.minX, out.x);
  box.maxX = std::max(box.maxX, out.x);
  box.minY = std::min(box.minY, out.y);
  box.maxY = std::max(box.maxY, out.y);
  box.minZ = std::min(box.minZ, out.z);
  box.maxZ = std::max(box.maxZ, out.z);
}

}  // namespace

uint32_t FindVisibleRegion(uint32_t& firstRow, uint32_t& lastRow, VisibleEntry* table, uint32_t ppd,
                           const BuildView& view, const LayerSpec& layer, RegionMode mode, LightBox* light) {
  const MapData& map = gMapData;
  firstRow = 0;
  lastRow = 0;
  std::memset(table, 0, sizeof(VisibleEntry) * kVisibleEntries);

  const float d = view.distance, inner = layer.inner, outer = layer.outer;
  // The horizon needs the camera outside the inner sphere (the camera control keeps it there) and a
  // layer no thinner than nothing; anything else would turn every row below into NaN.
  if (!(d > inner) || !(outer >= inner) || ppd == 0 || map.rows == nullptr) return 0;

  // Side planes of the view pyramid. In eye space, looking along -z, their inward normals are
  // (0, -2u, -2ut), (0, 2u, -2ut), (2t, 0, -2tu), (-2t, 0, -2tu); the rotation, the transpose of
  // the view matrix's rotation, carries them into the planet frame.
  const float t = TanF(layer.viewAngle * 0.017453292f * 0.5f);
  const float u = view.aspect * t;
  const Vec3 eyeNormals[4] = {
      {0.0f, -2.0f * u, -2.0f * u * t},
      {0.0f, 2.0f * u, -2.0f * u * t},
      {2.0f * t, 0.0f, -2.0f * t * u},
      {-2.0f * t, 0.0f, -2.0f * t * u},
  };
  Pyramid pyramid;
  for (int i = 0; i < 4; ++i) Mat3MulVec3(pyramid.normals[i], view.rotation, eyeNormals[i]);
  pyramid.apex = view.position;

  // Angle at the centre from the point below the camera to the farthest point of the outer sphere
  // that shows over the inner sphere's horizon.
  const float h1 = SqrtF(d * d - inner * inner);
  const float h2 = SqrtF(outer * outer - inner * inner);
  const float c = std::clamp((outer * outer + d * d - (h1 + h2) * (h1 + h2)) / (2.0f * outer * d), -1.0f, 1.0f);
  const float theta = std::acos(c) * kRadToDeg;
  if (!std::isfinite(theta)) return 0;

  float latMax = view.latitude + theta;
  float latMin = view.latitude - theta;
  const bool poleInCap = latMax > 90.0f || latMin < -90.0f;
  // Rows beyond lo or hi lie wholly inside the cap that spills over a pole.
  const float lo = latMin < -90.0f ? -180.0f - latMin : -90.0f;
  const float hi = latMax > 90.0f ? 180.0f - latMax : 90.0f;
  latMin = std::clamp(latMin, -90.0f, 90.0f);
  latMax = std::clamp(latMax, -90.0f, 90.0f);

  const uint32_t first = static_cast<uint32_t>(std::clamp<int64_t>(DegreeRow(latMin, ppd), 0, map.lastRow));
  const uint32_t end = static_cast<uint32_t>(std::clamp<int64_t>(DegreeRow(latMax, ppd) + ppd, 0, map.lastRow));

  const bool collectBox = mode == RegionMode::Surface && light != nullptr && light->reset;
  if (collectBox) {
    // Light space looks along -z at the planet from the camera's distance: the box starts inverted
    // and wide enough in depth for any distance the camera keeps.
    light->minX = outer;
    light->maxX = -outer;
    light->minY = outer;
    light->maxY = -outer;
    light->minZ = 20.0f * outer;
    light->maxZ = -20.0f * outer;
  }

  const float cosCamera = CosF(view.latitude * kDegToRad);
  const float rhoC = d * cosCamera;
  const float zC = d * SinF(view.latitude * kDegToRad);
  // Squared distance from the camera to the horizon circle's points on the inner sphere.
  const float horizonChord = inner * inner + d * d - 2.0f * inner * d * CosF(theta * kDegToRad);
  const float relief = view.relief;

  uint32_t total = 0;
  Band band = Band::NotFound;
  for (uint32_t r = first; r <= end; r += ppd) {
    const uint32_t e = r / ppd;
    const NodeRow& row = map.rows[r];
    const float rowLatitude = static_cast<float>(r) * map.rowSpacing - 90.0f;
    const float rhoR = inner * row.cosLat;
    const float zR = inner * row.sinLat;
    // Squared horizontal distance from the polar axis through the camera to the horizon points
    // at this row's height.
    const float w = horizonChord - (zC - zR) * (zC - zR);
    if (w <= 0.0f) continue;

    float a = view.longitude - 180.0f;
    float b = view.longitude + 180.0f;
    const bool cosinesUsable = std::fabs(row.cosLat) > kZeroTolerance && std::fabs(cosCamera) > kZeroTolerance;
    if (!poleInCap) {
      if (!cosinesUsable) continue;
      const float g = (rhoC * rhoC + rhoR * rhoR - w) / (2.0f * rhoR * rhoC);
      if (!(g >= -1.0f && g <= 1.0f)) continue;
      const float halfWidth = std::acos(g) * kRadToDeg;
      a = view.longitude - halfWidth;
      b = view.longitude + halfWidth;
    } else if (rowLatitude >= lo && rowLatitude <= hi && cosinesUsable) {
      const float g = (rhoC * rhoC + rhoR * rhoR - w) / (2.0f * rhoR * rhoC);
      if (g > 1.0f) continue;
      if (g >= -1.0f) {
        const float halfWidth = std::acos(g) * kRadToDeg;
        a = view.longitude - halfWidth;
        b = view.longitude + halfWidth;
      }
    }

    if (b < 360.0f && a < 0.0f) a += 360.0f;
    if (b >= 360.0f) b -= 360.0f;
    const uint32_t n = row.count;
    const double spacing = row.lonStep;
    const int64_t ia = std::min<int64_t>(DegreeNode(a, spacing, ppd), n);
    const int64_t ib = std::min<int64_t>(DegreeNode(b, spacing, ppd) + ppd, n);

    VisibleEntry& entry = table[e];
    // The range wraps over 0 degrees when its end lies before its start (or on it: the whole
    // circle); then every sample of the row is looked at, and those between the range's end and
    // its start count as out of sight without a test.
    const bool wraps = !(b - a > 0.5 * spacing);
    const int64_t from = wraps ? 0 : ia;
    const int64_t to = wraps ? n : ib;
    const double trigScale = 2.0 * ppd;
    uint32_t values = 0, visible = 0;
    bool wasVisible = false;
    float lastLongitude = 0.0f;
    for (int64_t k = from; k < to; k += ppd) {
      const double nodeLongitude = k * spacing;
      const float longitude = static_cast<float>(nodeLongitude);
      bool seen = false;
      if (wraps && k >= ib && k < ia) {
        // Out of sight: only the first of these samples can end a run, so the rest are skipped
        // (ia is a whole number of ppd, the next sample is ia itself).
        if (!wasVisible) k = ia - ppd;
      } else {
        const float radius = mode == RegionMode::Surface
                                 ? row.topo[k] * relief + row.areoid[k] + kReferenceRadius
                                 : row.areoid[k] + kReferenceRadius + layer.height * relief;
        const uint32_t trig = std::min(static_cast<uint32_t>(nodeLongitude * trigScale), 720 * ppd);
        const float ring = radius * row.cosLat;
        const Vec3 p{ring * map.sinTable[trig], radius * row.sinLat, ring * map.cosTable[trig]};
        seen = InsidePyramid(pyramid, p);
        if (seen && collectBox) Widen(*light, p);
      }
      if (seen != wasVisible) entry.runs[values++] = longitude;
      visible += seen;
      wasVisible = seen;
      lastLongitude = longitude;
      // At 359 values a last run may still need its end: the list never exceeds 360.
      if (values >= kMaxRunValues - 1) break;
    }
    if (wasVisible) entry.runs[values++] = lastLongitude;

    if (values > 0) {
      entry.sampleCount = visible;
      entry.valueCount = values;
      // Runs that touch both ends of the row are one run across the seam: stretched to exactly
      // 0 and 360 so that the builder closes the row.
      const float degreeSpan = static_cast<float>(ppd * spacing);
      if (entry.runs[0] < degreeSpan && entry.runs[values - 1] > 360.0f - 1.5f * degreeSpan) {
        entry.runs[0] = 0.0f;
        entry.runs[values - 1] = 360.0f;
      }
      if (band == Band::NotFound) {
        firstRow = r;
      } else if (band == Band::Ended) {
        // The band opens again: the empty degrees below get this degree's runs, so the builder
        // never meets an empty degree inside the band.
        for (int64_t below = static_cast<int64_t>(e) - 1; below >= 0 && table[below].valueCount == 0; --below) {
          std::memcpy(&table[below], &entry, sizeof(uint32_t) * (2 + values));
          total += entry.sampleCount;
        }
      }
      band = Band::Open;
    } else if (band == Band::Open) {
      lastRow = r - ppd;
      band = Band::Ended;
    }
    total += visible;
  }
  if (band == Band::Open) lastRow = end;
  return total;
}

uint32_t ThinningFactor(uint32_t total, uint32_t limit, uint32_t ppd, uint32_t density, ThinningRule rule) {
  // total / density is the visible share of the sphere, 1 for all of it.
  const double share = static_cast<double>(total) * 31.41592653589793 / std::max<uint32_t>(density, 1) /
                       std::max<uint32_t>(limit, 1);
  const float root = SqrtF(static_cast<float>(share));
  double k0;
  if (rule == ThinningRule::Surface)
    k0 = std::floor(1.1 * root * 57.29577951308232 * ppd + 1.0);
  else
    k0 = std::floor(1.1f * root * 57.29578f * static_cast<float>(ppd) + 1.0f);
  // Rows never hold more than 360 * ppd nodes: thinning further changes nothing.
  const uint32_t k = static_cast<uint32_t>(std::clamp(k0, 1.0, 360.0 * std::max<uint32_t>(ppd, 1)));
  if (rule == ThinningRule::Atmosphere) return k;
  uint32_t power = 1;
  while (power < k) power <<= 1;
  return power;
}
