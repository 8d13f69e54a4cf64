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

// What every row of one pass reads: the map, the view, its pyramid and horizon, and the light box.
struct RegionPass {
  const MapData* map;
  const BuildView* view;
  const LayerSpec* layer;
  RegionMode mode;
  uint32_t ppd;
  Pyramid pyramid;
  LightBox* light;     // widened by every sample seen when collectBox is set
  bool collectBox;
  bool poleInCap;      // the cap inside the horizon spills over a pole
  float lo, hi;        // rows below lo or above hi lie wholly inside that cap
  float cosCamera;     // cosine of the camera's latitude
  float rhoC, zC;      // the camera's distance from the polar axis and its height above the equator
  float horizonChord;  // squared distance from the camera to the horizon circle on the inner sphere
  double trigScale;    // sine and cosine table entries per degree of longitude
};

// The runs one row wrote into its degree's entry.
struct RowRuns {
  uint32_t values;   // longitude values written
  uint32_t visible;  // samples seen
};

// Side planes of the view pyramid. In eye space, looking along -z, their inward normals are
// (0, -2u, -2ut), (0, 2u, -2ut), (2t, 0, -2tu), (-2t, 0, -2tu); the rotation, the transpose of
// the view matrix's rotation, carries them into the planet frame.
Pyramid ViewPyramid(const BuildView& view, const LayerSpec& layer) {
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
  return pyramid;
}

// Angle at the centre, in degrees, from the point below the camera to the farthest point of the
// outer sphere that shows over the inner sphere's horizon; not finite when there is none.
float HorizonAngle(float d, float inner, float outer) {
  const float h1 = SqrtF(d * d - inner * inner);
  const float h2 = SqrtF(outer * outer - inner * inner);
  const float c = std::clamp((outer * outer + d * d - (h1 + h2) * (h1 + h2)) / (2.0f * outer * d), -1.0f, 1.0f);
  return std::acos(c) * kRadToDeg;
}

// The cap of latitudes within theta of the camera: whether it spills over a pole, the rows wholly
// inside it (pass.lo, pass.hi), and the first and last whole-degree rows it reaches.
void FindCapRows(RegionPass& pass, float theta, uint32_t& first, uint32_t& end) {
  float latMax = pass.view->latitude + theta;
  float latMin = pass.view->latitude - theta;
  pass.poleInCap = latMax > 90.0f || latMin < -90.0f;
  pass.lo = latMin < -90.0f ? -180.0f - latMin : -90.0f;
  pass.hi = latMax > 90.0f ? 180.0f - latMax : 90.0f;
  latMin = std::clamp(latMin, -90.0f, 90.0f);
  latMax = std::clamp(latMax, -90.0f, 90.0f);

  const uint32_t ppd = pass.ppd;
  const int64_t lastRow = pass.map->lastRow;
  first = static_cast<uint32_t>(std::clamp<int64_t>(DegreeRow(latMin, ppd), 0, lastRow));
  end = static_cast<uint32_t>(std::clamp<int64_t>(DegreeRow(latMax, ppd) + ppd, 0, lastRow));
}

// Light space looks along -z at the planet from the camera's distance: the box starts inverted
// and wide enough in depth for any distance the camera keeps.
void StartLightBox(LightBox& light, float outer) {
  light.minX = outer;
  light.maxX = -outer;
  light.minY = outer;
  light.maxY = -outer;
  light.minZ = 20.0f * outer;
  light.maxZ = -20.0f * outer;
}

// Cosine of the half-width in longitude, seen from the polar axis, of a row's stretch inside the
// horizon; outside -1..1 when the row lies wholly inside or wholly outside the horizon.
float HalfWidthCosine(const RegionPass& pass, float rhoR, float w) {
  return (pass.rhoC * pass.rhoC + rhoR * rhoR - w) / (2.0f * rhoR * pass.rhoC);
}

// The longitudes a to b, in 0..360, of row r that show over the horizon; b lies before a when the
// range wraps over 0 degrees. False when none of the row shows.
bool RowRange(const RegionPass& pass, const NodeRow& row, uint32_t r, float& a, float& b) {
  const float inner = pass.layer->inner;
  const float longitude = pass.view->longitude;
  const float rowLatitude = static_cast<float>(r) * pass.map->rowSpacing - 90.0f;
  const float rhoR = inner * row.cosLat;
  const float zR = inner * row.sinLat;
  // Squared horizontal distance from the polar axis through the camera to the horizon points
  // at this row's height.
  const float w = pass.horizonChord - (pass.zC - zR) * (pass.zC - zR);
  if (w <= 0.0f) return false;

  a = longitude - 180.0f;
  b = longitude + 180.0f;
  const bool cosinesUsable = std::fabs(row.cosLat) > kZeroTolerance && std::fabs(pass.cosCamera) > kZeroTolerance;
  if (!pass.poleInCap) {
    if (!cosinesUsable) return false;
    const float g = HalfWidthCosine(pass, rhoR, w);
    if (!(g >= -1.0f && g <= 1.0f)) return false;
    const float halfWidth = std::acos(g) * kRadToDeg;
    a = longitude - halfWidth;
    b = longitude + halfWidth;
  } else if (rowLatitude >= pass.lo && rowLatitude <= pass.hi && cosinesUsable) {
    const float g = HalfWidthCosine(pass, rhoR, w);
    if (g > 1.0f) return false;
    if (g >= -1.0f) {
      const float halfWidth = std::acos(g) * kRadToDeg;
      a = longitude - halfWidth;
      b = longitude + halfWidth;
    }
  }

  if (b < 360.0f && a < 0.0f) a += 360.0f;
  if (b >= 360.0f) b -= 360.0f;
  return true;
}

// Whether node k of the row, at the surface or at the shell's height, lies inside the view
// pyramid; a node seen widens the light box when the pass collects one.
bool NodeSeen(const RegionPass& pass, const NodeRow& row, int64_t k, double nodeLongitude) {
  const float relief = pass.view->relief;
  const float radius = pass.mode == RegionMode::Surface
                           ? row.topo[k] * relief + row.areoid[k] + kReferenceRadius
                           : row.areoid[k] + kReferenceRadius + pass.layer->height * relief;
  const uint32_t trig = std::min(static_cast<uint32_t>(nodeLongitude * pass.trigScale), 720 * pass.ppd);
  const float ring = radius * row.cosLat;
  const Vec3 p{ring * pass.map->sinTable[trig], radius * row.sinLat, ring * pass.map->cosTable[trig]};
  const bool seen = InsidePyramid(pass.pyramid, p);
  if (seen && pass.collectBox) Widen(*pass.light, p);
  return seen;
}

// Tests one node per ppd of the row within a to b and writes the runs seen into the entry.
RowRuns SampleRow(const RegionPass& pass, const NodeRow& row, float a, float b, VisibleEntry& entry) {
  const uint32_t ppd = pass.ppd;
  const uint32_t n = row.count;
  const double spacing = row.lonStep;
  const int64_t ia = std::min<int64_t>(DegreeNode(a, spacing, ppd), n);
  const int64_t ib = std::min<int64_t>(DegreeNode(b, spacing, ppd) + ppd, n);

  // The range wraps over 0 degrees when its end lies before its start (or on it: the whole
  // circle); then every sample of the row is looked at, and those between the range's end and
  // its start count as out of sight without a test.
  const bool wraps = !(b - a > 0.5 * spacing);
  const int64_t from = wraps ? 0 : ia;
  const int64_t to = wraps ? n : ib;
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
      seen = NodeSeen(pass, row, k, nodeLongitude);
    }
    if (seen != wasVisible) entry.runs[values++] = longitude;
    visible += seen;
    wasVisible = seen;
    lastLongitude = longitude;
    // At 359 values a last run may still need its end: the list never exceeds 360.
    if (values >= kMaxRunValues - 1) break;
  }
  if (wasVisible) entry.runs[values++] = lastLongitude;
  return RowRuns{values, visible};
}

// Runs that touch both ends of the row are one run across the seam: stretched to exactly 0 and
// 360 so that the builder closes the row.
void JoinAtSeam(VisibleEntry& entry, uint32_t values, uint32_t ppd, double spacing) {
  const float degreeSpan = static_cast<float>(ppd * spacing);
  if (entry.runs[0] < degreeSpan && entry.runs[values - 1] > 360.0f - 1.5f * degreeSpan) {
    entry.runs[0] = 0.0f;
    entry.runs[values - 1] = 360.0f;
  }
}

// The band opens again at degree e: the empty degrees below get its runs, so the builder never
// meets an empty degree inside the band. Returns the samples so copied.
uint32_t FillBandGap(VisibleEntry* table, uint32_t e, uint32_t values) {
  const VisibleEntry& entry = table[e];
  uint32_t copied = 0;
  for (int64_t below = static_cast<int64_t>(e) - 1; below >= 0 && table[below].valueCount == 0; --below) {
    std::memcpy(&table[below], &entry, sizeof(uint32_t) * (2 + values));
    copied += entry.sampleCount;
  }
  return copied;
}

// Every whole-degree row from first to end: its runs into the table, and the band of rows with
// runs into firstRow and lastRow. Returns the visible sample count, copies included.
uint32_t SampleRows(const RegionPass& pass, uint32_t first, uint32_t end, VisibleEntry* table, uint32_t& firstRow,
                    uint32_t& lastRow) {
  const uint32_t ppd = pass.ppd;
  uint32_t total = 0;
  Band band = Band::NotFound;
  for (uint32_t r = first; r <= end; r += ppd) {
    const uint32_t e = r / ppd;
    const NodeRow& row = pass.map->rows[r];
    float a = 0.0f, b = 0.0f;
    if (!RowRange(pass, row, r, a, b)) continue;

    VisibleEntry& entry = table[e];
    const RowRuns runs = SampleRow(pass, row, a, b, entry);
    if (runs.values > 0) {
      entry.sampleCount = runs.visible;
      entry.valueCount = runs.values;
      JoinAtSeam(entry, runs.values, ppd, row.lonStep);
      if (band == Band::NotFound) {
        firstRow = r;
      } else if (band == Band::Ended) {
        total += FillBandGap(table, e, runs.values);
      }
      band = Band::Open;
    } else if (band == Band::Open) {
      lastRow = r - ppd;
      band = Band::Ended;
    }
    total += runs.visible;
  }
  if (band == Band::Open) lastRow = end;
  return total;
}

}  // namespace

uint32_t FindVisibleRegion(uint32_t& firstRow, uint32_t& lastRow, VisibleEntry* table, const MapData& map,
                           const BuildView& view, const LayerSpec& layer, RegionMode mode, LightBox* light) {
  const uint32_t ppd = map.ppd;
  firstRow = 0;
  lastRow = 0;
  std::memset(table, 0, sizeof(VisibleEntry) * kVisibleEntries);

  const float d = view.distance, inner = layer.inner, outer = layer.outer;
  // The horizon needs the camera outside the inner sphere (the camera control keeps it there) and a
  // layer no thinner than nothing; anything else would turn every row below into NaN.
  if (!(d > inner) || !(outer >= inner) || ppd == 0 || map.rows == nullptr) return 0;

  RegionPass pass{};
  pass.map = &map;
  pass.view = &view;
  pass.layer = &layer;
  pass.mode = mode;
  pass.ppd = ppd;
  pass.pyramid = ViewPyramid(view, layer);
  const float theta = HorizonAngle(d, inner, outer);
  if (!std::isfinite(theta)) return 0;

  uint32_t first = 0, end = 0;
  FindCapRows(pass, theta, first, end);
  pass.light = light;
  pass.collectBox = mode == RegionMode::Surface && light != nullptr && light->reset;
  if (pass.collectBox) StartLightBox(*light, outer);

  pass.cosCamera = CosF(view.latitude * kDegToRad);
  pass.rhoC = d * pass.cosCamera;
  pass.zC = d * SinF(view.latitude * kDegToRad);
  pass.horizonChord = inner * inner + d * d - 2.0f * inner * d * CosF(theta * kDegToRad);
  pass.trigScale = 2.0 * ppd;
  return SampleRows(pass, first, end, table, firstRow, lastRow);
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
