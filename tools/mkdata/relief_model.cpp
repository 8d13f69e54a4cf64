// Composition of the synthesized relief, broadest first: broad terrain, shields, basins, named
// craters and polar deposits, the troughs, the crater population (or an imported map's shading),
// then roughness at every scale.
#include "tools/mkdata/relief_model.h"

#include <algorithm>
#include <cmath>

#include "tools/mkdata/noise.h"
#include "tools/mkdata/parallel.h"
#include "tools/mkdata/random_stream.h"

namespace {

constexpr uint32_t kBroadSamplesPerDegree = 4;

// The dichotomy boundary: about 30 N over Arabia Terra (10 E), about 6 S at Aeolis (190 E),
// crossing Tharsis, which covers it. Highlands +1 to +3 km, northern plains about -4.3 km.
constexpr double kBoundaryMeanDeg = 12.0, kBoundarySwingDeg = 18.0, kBoundaryPhaseDeg = 10.0;
constexpr double kBoundaryHalfWidthDeg = 5.0;
constexpr double kBoundaryWanderDeg = 14.0;  // how far noise moves the boundary, at most
constexpr double kHighlandM = 1700.0, kPlainsM = -4300.0;
// Swings of the broad levels over thousands of km (noise of amplitude about +-0.5 times these).
constexpr double kHighlandSwingM = 1800.0, kPlainsSwingM = 600.0;

// Broad rises, each a paraboloid merged into the terrain with a smooth maximum: the Tharsis rise
// (+5 to +8 km), its Syria-Solis-Thaumasia shoulder to the south-east, and the Elysium rise.
struct Rise {
  double latDeg, lonDeg;
  double peakM;
  double widthKm;  // distance at which the rise has fallen by dropM
  double dropM;
};
constexpr Rise kRises[] = {
    {-3.0, 253.0, 7500.0, 2200.0, 11000.0},
    {-20.0, 268.0, 5000.0, 1500.0, 9000.0},
    {24.8, 146.5, 1000.0, 800.0, 6000.0},
};
constexpr double kRiseBlendM = 1500.0;

// Noctis Labyrinthus: a maze of intersecting troughs on the crest of Tharsis, at the head of Valles
// Marineris. Made from the zero lines of a noise field.
constexpr double kNoctisLatDeg = -6.9, kNoctisLonDeg = 257.0, kNoctisRadiusKm = 420.0;
constexpr double kNoctisDepthM = 3500.0;
// Crater density, as a share of the highlands': the northern plains and Hellas-like basin floors
// were resurfaced long after the heavy bombardment, the Tharsis and Elysium lavas later still.
constexpr double kPlainsCraterShare = 0.22, kBasinFloorCraterShare = 0.3;
constexpr double kVolcanicRiseStartM = 3500.0, kVolcanicRiseFullM = 6500.0, kVolcanicCraterShare = 0.12;
// Craters narrower than this many node spacings are left out (they would only alias), and fade
// in up to twice that, so a level never shows a crater as a single sharp pit.
constexpr double kCraterFadeStartNodes = 1.0, kCraterFadeEndNodes = 2.0;
// Below this radius craters are simple bowls.
constexpr double kSimpleCraterRadiusKm = 3.5;
// Where the model shapes a landform itself (shields, and troughs from this depth on), only this
// share of the relief from the map's shading is kept.
constexpr double kCanyonDepthForMapRelief = 3000.0;
constexpr double kModelledMapReliefShare = 0.3;
constexpr double kPlainsMapReliefShare = 0.4;

// Roughness: a middle band (250 km down to 60 km), and octaves from 16 km down to twice the node
// spacing, each half the wavelength and 0.55 times the amplitude of the one before. Kept low: at
// ten times relief exaggeration metres of roughness become tens of metres of shading grain.
constexpr double kMiddleRoughnessM = 500.0;
constexpr double kFineWavelengthKm = 16.0, kFineAmplitudeM = 60.0, kFineGain = 0.55;

// Independent noise streams for the parts of the model, all from the one seed.
enum Stream : uint32_t { kBoundary = 1, kHighland, kPlains, kMiddle, kFine, kTroughWalls, kChaos, kNoctis };
uint32_t StreamSeed(uint32_t seed, Stream stream) { return seed * 0x9E3779B1u + stream * 0x85EBCA6Bu; }

double SmoothMax(double a, double b, double k) {
  const double h = std::clamp(0.5 + 0.5 * (a - b) / k, 0.0, 1.0);
  return Lerp(b, a, h) + k * h * (1.0 - h);
}

struct BroadTerrain {
  double heightM;
  double lowland;
};

BroadTerrain EvaluateBroadTerrain(uint32_t seed, double latDeg, double lonDeg) {
  const Vec3d p = UnitVectorAt(latDeg, lonDeg);
  const double boundary = kBoundaryMeanDeg + kBoundarySwingDeg * std::cos((lonDeg - kBoundaryPhaseDeg) * kDegree) +
                          kBoundaryWanderDeg * SphereFbm(StreamSeed(seed, kBoundary), p, 1800.0, 4, 0.55);
  const double lowland = Smoothstep(-kBoundaryHalfWidthDeg, kBoundaryHalfWidthDeg, latDeg - boundary);
  const double highland = kHighlandM + kHighlandSwingM * SphereFbm(StreamSeed(seed, kHighland), p, 3000.0, 3, 0.5);
  const double plains = kPlainsM + kPlainsSwingM * SphereFbm(StreamSeed(seed, kPlains), p, 2500.0, 3, 0.5);
  double h = Lerp(highland, plains, lowland);
  for (const Rise& rise : kRises) {
    const double d = SurfaceDistanceKm(p, UnitVectorAt(rise.latDeg, rise.lonDeg)) / rise.widthKm;
    h = SmoothMax(h, rise.peakM - rise.dropM * d * d, kRiseBlendM);
  }
  return {h, lowland};
}

BroadTerrain SampleBroadTerrain(const ReliefModel& model, double latDeg, double lonDeg) {
  const double x = WrapLongitude(lonDeg) * kBroadSamplesPerDegree;
  const double y = std::clamp((latDeg + 90.0) * kBroadSamplesPerDegree, 0.0, model.broadRows - 1.0);
  const uint32_t x0 = std::min(static_cast<uint32_t>(x), model.broadColumns - 1), y0 = static_cast<uint32_t>(y);
  const uint32_t x1 = x0 + 1 == model.broadColumns ? 0 : x0 + 1, y1 = std::min(y0 + 1, model.broadRows - 1);
  const double fx = x - x0, fy = y - y0;
  auto at = [&](const std::vector<float>& grid) {
    const size_t w = model.broadColumns;
    return Lerp(Lerp(grid[y0 * w + x0], grid[y0 * w + x1], fx), Lerp(grid[y1 * w + x0], grid[y1 * w + x1], fx), fy);
  };
  return {at(model.broadHeight), at(model.lowland)};
}

double MiddleRoughness(uint32_t seed, const Vec3d& p, double lowland) {
  // The old highlands are rougher than the young northern plains.
  return kMiddleRoughnessM * (1.0 - 0.7 * lowland) * SphereFbm(StreamSeed(seed, kMiddle), p, 250.0, 3, 0.5);
}

// Octaves from 16 km down to twice the node spacing (finer ones could not be sampled); detail
// receives their sum scaled into [-1, 1] by the whole series' amplitude, so that finer nodes get
// more of it, as they get more relief.
double FineRoughness(uint32_t seed, const Vec3d& p, double nodeSpacingKm, double& detail) {
  constexpr double kSeriesAmplitudeM = kFineAmplitudeM / (1.0 - kFineGain);
  double sum = 0.0, amplitude = kFineAmplitudeM;
  uint32_t octave = 0;
  for (double wavelength = kFineWavelengthKm; wavelength >= 2.0 * nodeSpacingKm; wavelength *= 0.5, ++octave) {
    const double f = kSurfaceRadiusKm / wavelength;
    sum += amplitude * GradientNoise(StreamSeed(seed, kFine) + octave, p.x * f + 0.37, p.y * f - 0.61, p.z * f + 0.13);
    amplitude *= kFineGain;
  }
  detail = std::clamp(sum / kSeriesAmplitudeM * 2.0, -1.0, 1.0);
  return sum;
}

// Depth of the deepest trough at p (0 or negative): flat floors, steep walls that wander a little,
// and in the chaos regions floors broken into knobs.
double TroughDepth(const ReliefModel& model, const Vec3d& p, ReliefDetail* detail) {
  double deepest = 0.0;
  for (const PreparedTroughSegment& s : model.troughs) {
    if (Dot(p, s.middle) < s.reachCos) continue;
    const double across = Dot(p, s.normal);
    const Vec3d q = {p.x - across * s.normal.x, p.y - across * s.normal.y, p.z - across * s.normal.z};
    double d, t;
    if (Dot(Cross(s.a, q), s.normal) >= 0.0 && Dot(Cross(q, s.b), s.normal) >= 0.0) {
      d = kSurfaceRadiusKm * std::asin(std::min(1.0, std::fabs(across)));
      t = std::atan2(Length(Cross(s.a, q)), Dot(s.a, q)) / s.arcRad;
    } else {
      const double da = SurfaceDistanceKm(p, s.a), db = SurfaceDistanceKm(p, s.b);
      d = std::min(da, db);
      t = da < db ? 0.0 : 1.0;
    }
    const double halfWidth = Lerp(s.from.halfWidthKm, s.to.halfWidthKm, t);
    const double depth = Lerp(s.from.depthM, s.to.depthM, t);
    const double chaos = Lerp(s.from.chaos, s.to.chaos, t);
    const double wall = 25.0 + 0.2 * halfWidth;
    if (d > halfWidth * 1.7 + wall) continue;
    const double wander = 0.35 * halfWidth * 2.0 * SphereFbm(StreamSeed(model.seed, kTroughWalls), p, 120.0, 2, 0.5);
    const double up = Smoothstep(halfWidth, halfWidth + wall, d + wander);  // 0 on the floor, 1 on the rim
    double delta = -depth * (1.0 - up);
    if (chaos > 0.0 && delta < 0.0) {
      const double knobs = SphereFbm(StreamSeed(model.seed, kChaos), p, 45.0, 2, 0.5);
      delta *= 1.0 - 0.8 * chaos * Smoothstep(-0.05, 0.25, knobs);
    }
    if (delta < deepest) {
      deepest = delta;
      if (detail) {
        detail->canyonFloor = 1.0 - Smoothstep(0.0, 0.3, up);
        detail->canyonWall = 4.0 * up * (1.0 - up);
      }
    }
  }
  return deepest;
}

double NoctisLabyrinthus(uint32_t seed, const Vec3d& p, ReliefDetail* detail) {
  static const Vec3d centre = UnitVectorAt(kNoctisLatDeg, kNoctisLonDeg);
  const double d = SurfaceDistanceKm(p, centre);
  if (d >= kNoctisRadiusKm) return 0.0;
  const double mask = 1.0 - Smoothstep(0.5 * kNoctisRadiusKm, kNoctisRadiusKm, d);
  const double n = std::fabs(SphereFbm(StreamSeed(seed, kNoctis), p, 260.0, 2, 0.5));
  const double up = Smoothstep(0.04, 0.09, n);
  if (detail && mask > 0.0) {
    detail->canyonFloor = std::max(detail->canyonFloor, mask * (1.0 - Smoothstep(0.0, 0.3, up)));
    detail->canyonWall = std::max(detail->canyonWall, mask * 4.0 * up * (1.0 - up));
  }
  return -kNoctisDepthM * mask * (1.0 - up);
}

// Height change of a crater at t = distance / radius, and where the point lies in it.
double CraterShape(double t, double radiusKm, double floorM, double rimM, double peakKm, double peakM,
                   double& floorShare, double& rimShare) {
  const double bowl = radiusKm < kSimpleCraterRadiusKm ? SimpleBowlWeight(t) : BowlWeight(t);
  double h = -floorM * bowl + rimM * RimProfile(t);
  floorShare = bowl;
  if (peakKm > 0.0) {
    const double peak = 1.0 - Smoothstep(0.0, 1.0, t * radiusKm / peakKm);
    h += peakM * peak;
    floorShare *= 1.0 - peak;
  }
  rimShare = Smoothstep(0.6, 0.95, t) * (1.0 - Smoothstep(1.0, kCraterReach, t));
  return h;
}

// The crater population's relief at p, fading in craters as they grow wider than the nodes.
double PopulationCraters(const CraterField& field, const Vec3d& p, double latDeg, double lonDeg,
                         double nodeSpacingKm, ReliefDetail* detail) {
  double h = 0.0;
  const CraterSpan span = CratersNear(field, latDeg, lonDeg);
  for (const uint32_t* k = span.begin; k != span.end; ++k) {
    const FieldCrater& c = field.craters[*k];
    if (Dot(p, c.centre) < c.reachCos) continue;
    const double scale = Smoothstep(kCraterFadeStartNodes, kCraterFadeEndNodes, c.radiusKm / nodeSpacingKm);
    if (scale <= 0.0) continue;
    double floorShare, rimShare;
    const double t = SurfaceDistanceKm(p, c.centre) / c.radiusKm;
    h += scale * CraterShape(t, c.radiusKm, c.floorM, c.rimM, c.peakKm, c.peakM, floorShare, rimShare);
    if (detail) {
      detail->craterFloor = std::max(detail->craterFloor, scale * floorShare);
      detail->craterRim = std::max(detail->craterRim, scale * rimShare);
    }
  }
  return h;
}

double CapProfile(const Landform& form, double t, double lonDeg) {
  if (t >= 1.0) return 0.0;
  return form.levelM * ((1.0 - Smoothstep(0.55, 1.0, t)) - 0.18 * PolarTroughShare(form, t, lonDeg));
}

double ReachKm(const Landform& form) {
  switch (form.kind) {
    case LandformKind::Shield: return form.radiusKm * (form.rimM > 0.0 ? 1.06 : 1.0);
    case LandformKind::Basin:
    case LandformKind::Crater: return form.radiusKm * kCraterReach;
    case LandformKind::Cap: return form.radiusKm;
  }
  return form.radiusKm;
}

// The share of the highland crater density at p: the population avoids the young surfaces.
double CraterDensity(const ReliefModel& model, const Vec3d& p) {
  const double latDeg = LatitudeOf(p), lonDeg = LongitudeOf(p);
  const BroadTerrain broad = SampleBroadTerrain(model, latDeg, lonDeg);
  double density = Lerp(1.0, kPlainsCraterShare, broad.lowland);
  density *= Lerp(1.0, kVolcanicCraterShare, Smoothstep(kVolcanicRiseStartM, kVolcanicRiseFullM, broad.heightM));
  for (const PreparedLandform& prepared : model.landforms) {
    if (Dot(p, prepared.centre) < prepared.reachCos) continue;
    const double t = SurfaceDistanceKm(p, prepared.centre) / prepared.form.radiusKm;
    switch (prepared.form.kind) {
      case LandformKind::Shield: density *= Smoothstep(0.8, 1.3, t); break;
      case LandformKind::Basin: density *= Lerp(1.0, kBasinFloorCraterShare, BowlWeight(t)); break;
      case LandformKind::Cap: density *= Smoothstep(0.9, 1.1, t); break;
      case LandformKind::Crater: break;
    }
  }
  if (TroughDepth(model, p, nullptr) + NoctisLabyrinthus(model.seed, p, nullptr) < -300.0) return 0.0;
  return density;
}

}  // namespace

void MakeReliefModel(uint32_t seed, const SourceImage& colourMap, unsigned threads, ReliefModel& model) {
  model = ReliefModel{};
  model.seed = seed;
  model.mapRelief = MakeMapRelief(colourMap, threads);

  model.broadColumns = 360 * kBroadSamplesPerDegree;
  model.broadRows = 180 * kBroadSamplesPerDegree + 1;
  model.broadHeight.assign(size_t{model.broadColumns} * model.broadRows, 0.0f);
  model.lowland.assign(model.broadHeight.size(), 0.0f);
  ParallelFor(threads, model.broadRows, [&](uint32_t row) {
    const double latDeg = -90.0 + static_cast<double>(row) / kBroadSamplesPerDegree;
    for (uint32_t column = 0; column < model.broadColumns; ++column) {
      const BroadTerrain terrain = EvaluateBroadTerrain(seed, latDeg, static_cast<double>(column) / kBroadSamplesPerDegree);
      model.broadHeight[size_t{row} * model.broadColumns + column] = static_cast<float>(terrain.heightM);
      model.lowland[size_t{row} * model.broadColumns + column] = static_cast<float>(terrain.lowland);
    }
  });

  std::vector<Landform> forms = NamedLandforms();
  forms.insert(forms.end(), NamedCraters().begin(), NamedCraters().end());
  for (const Landform& form : forms) {
    PreparedLandform prepared{form, UnitVectorAt(form.latDeg, form.lonDeg), 0.0, 0.0, 0.0};
    prepared.reachCos = std::cos(ReachKm(form) / kSurfaceRadiusKm);
    if (form.kind == LandformKind::Shield) {
      // The summit lands on its named height over whatever else lies at the centre.
      const BroadTerrain under = SampleBroadTerrain(model, form.latDeg, form.lonDeg);
      const double base = under.heightM + MiddleRoughness(seed, prepared.centre, under.lowland) +
                          kModelledMapReliefShare * SampleMapRelief(model.mapRelief, form.latDeg, form.lonDeg);
      // The summit is the caldera's rim: solve amplitude * profile(rim) = rise, the escarpment's
      // share depending on the amplitude (a few steps of fixed-point iteration converge).
      const double rise = form.levelM - base, rimT = form.calderaKm / form.radiusKm;
      prepared.amplitudeM = rise;
      for (int step = 0; step < 8 && rise > 0.0; ++step) {
        prepared.escarpment = form.rimM / prepared.amplitudeM;
        prepared.amplitudeM = rise / ShieldProfile(rimT, prepared.escarpment);
      }
      prepared.escarpment = prepared.amplitudeM > 0.0 ? form.rimM / prepared.amplitudeM : 0.0;
    }
    model.landforms.push_back(prepared);
  }

  for (const std::vector<TroughPoint>& line : CanyonsAndChannels())
    for (size_t k = 0; k + 1 < line.size(); ++k) {
      PreparedTroughSegment s;
      s.from = line[k];
      s.to = line[k + 1];
      s.a = UnitVectorAt(s.from.latDeg, s.from.lonDeg);
      s.b = UnitVectorAt(s.to.latDeg, s.to.lonDeg);
      const Vec3d n = Cross(s.a, s.b);
      const double length = Length(n);
      s.normal = {n.x / length, n.y / length, n.z / length};
      s.arcRad = std::atan2(length, Dot(s.a, s.b));
      const Vec3d m = {s.a.x + s.b.x, s.a.y + s.b.y, s.a.z + s.b.z};
      const double mLength = Length(m);
      s.middle = {m.x / mLength, m.y / mLength, m.z / mLength};
      const double widest = std::max(s.from.halfWidthKm, s.to.halfWidthKm);
      s.reachCos = std::cos(s.arcRad / 2.0 + (widest * 1.7 + 25.0 + 0.2 * widest) / kSurfaceRadiusKm);
      model.troughs.push_back(s);
    }

  if (model.mapRelief.heights.empty())
    model.craters = MakeCraterField(seed, [&](const Vec3d& p) { return CraterDensity(model, p); });
}

ReliefDetail ReliefFineDetail(const ReliefModel& model, double latDeg, double lonDeg, double nodeSpacingKm) {
  ReliefDetail detail;
  FineRoughness(model.seed, UnitVectorAt(latDeg, lonDeg), nodeSpacingKm, detail.fine);
  detail.lowland = SampleBroadTerrain(model, latDeg, lonDeg).lowland;
  return detail;
}

double ReliefHeight(const ReliefModel& model, double latDeg, double lonDeg, double nodeSpacingKm, ReliefDetail* detail) {
  const Vec3d p = UnitVectorAt(latDeg, lonDeg);
  const BroadTerrain broad = SampleBroadTerrain(model, latDeg, lonDeg);
  if (detail) {
    *detail = ReliefDetail{};
    detail->lowland = broad.lowland;
  }
  double h = broad.heightM;
  double shieldShare = 0.0;  // how much of p lies on a modelled shield (0 to 1)
  for (const PreparedLandform& prepared : model.landforms) {
    if (Dot(p, prepared.centre) < prepared.reachCos) continue;
    const Landform& form = prepared.form;
    const double d = SurfaceDistanceKm(p, prepared.centre), t = d / form.radiusKm;
    switch (form.kind) {
      case LandformKind::Shield: {
        // Inside the caldera the flank stops rising: a floor sunk below the rim.
        const double rimT = form.calderaKm / form.radiusKm;
        const double profile = ShieldProfile(std::max(t, rimT), prepared.escarpment);
        h += prepared.amplitudeM * profile;
        shieldShare = std::max(shieldShare, std::min(1.0, 4.0 * profile));
        if (d < form.calderaKm) h -= form.calderaDepthM * (1.0 - Smoothstep(0.75 * form.calderaKm, form.calderaKm, d));
        break;
      }
      case LandformKind::Basin: {
        // The floor is a height of its own (slightly dished), whatever the terrain around it.
        const double floor = form.levelM - 300.0 * std::max(0.0, 1.0 - t * t);
        h = Lerp(h, floor, BowlWeight(t)) + form.rimM * RimProfile(t);
        break;
      }
      case LandformKind::Crater: {
        double floorShare, rimShare;
        h += CraterShape(t, form.radiusKm, form.levelM, form.rimM, form.peakKm, form.peakM, floorShare, rimShare);
        if (detail) {
          detail->craterFloor = std::max(detail->craterFloor, floorShare);
          detail->craterRim = std::max(detail->craterRim, rimShare);
        }
        break;
      }
      case LandformKind::Cap: h += CapProfile(form, t, lonDeg); break;
    }
  }
  const double trough = TroughDepth(model, p, detail) + NoctisLabyrinthus(model.seed, p, detail);
  h += trough;
  h += MiddleRoughness(model.seed, p, broad.lowland);
  h += PopulationCraters(model.craters, p, latDeg, lonDeg, nodeSpacingKm, detail);
  // The map shades the canyon walls and the shields that the model already shapes; most of that
  // relief would shape them twice.
  // The northern plains are smooth; the patterns the map shows there are mostly albedo (dust and
  // dark sand), not relief.
  if (!model.mapRelief.heights.empty()) {
    const double modelled = std::max(shieldShare, std::min(1.0, -trough / kCanyonDepthForMapRelief));
    h += Lerp(1.0, kModelledMapReliefShare, modelled) * Lerp(1.0, kPlainsMapReliefShare, broad.lowland) *
         SampleMapRelief(model.mapRelief, latDeg, lonDeg);
  }
  double fine = 0.0;
  h += FineRoughness(model.seed, p, nodeSpacingKm, fine);
  if (detail) detail->fine = fine;
  return h;
}
