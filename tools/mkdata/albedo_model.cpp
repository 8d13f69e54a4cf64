// The albedo features are noisy ellipses over a mottled base: bright dust raises the base, dark
// maria then take their share of it away. Node colours come from a ramp running from the grey
// brown of the maria to the butterscotch of the dust, then ice and layered deposits at the poles.
#include "tools/mkdata/albedo_model.h"

#include <algorithm>
#include <cmath>

#include "tools/mkdata/noise.h"
#include "tools/mkdata/parallel.h"

namespace {

// The albedo's drivers are sampled every quarter degree (15 km); nodes interpolate them and add
// the finer coast noise and mottling themselves.
constexpr uint32_t kAlbedoSamplesPerDegree = 4;

struct AlbedoFeature {
  const char* name;
  double latDeg, lonDeg;   // centre, degrees north and east
  double eastKm, northKm;  // semi-axes before the tilt
  double tiltDeg;          // counter-clockwise turn of the east axis towards north
  double strength;         // below 0 a dark region (share of the albedo taken away), above 0 bright dust
};

// Mars' classic albedo regions, as the telescopic and orbital maps show them.
constexpr AlbedoFeature kFeatures[] = {
    // Dark: the equatorial band from Meridiani to Syrtis, and the southern maria.
    {"Syrtis Major", 11.0, 69.0, 380.0, 820.0, -8.0, -0.9},
    {"Syrtis Major, southern end", -1.0, 66.0, 700.0, 450.0, 0.0, -0.85},
    {"Nilosyrtis", 30.0, 71.0, 220.0, 420.0, 0.0, -0.45},
    {"Sinus Sabaeus", -8.0, 27.0, 1450.0, 360.0, 6.0, -0.85},
    {"Sinus Meridiani", -2.5, 2.0, 480.0, 260.0, 0.0, -0.75},
    {"Margaritifer Sinus", -10.0, 335.0, 350.0, 520.0, 20.0, -0.7},
    {"Oxia Palus", 8.0, 342.0, 260.0, 260.0, 0.0, -0.5},
    {"Mare Erythraeum", -25.0, 327.0, 1250.0, 700.0, 8.0, -0.75},
    {"Aurorae Sinus", -14.0, 310.0, 360.0, 300.0, 0.0, -0.6},
    {"Mare Acidalium", 47.0, 330.0, 560.0, 1050.0, -15.0, -0.8},
    {"Niliacus Lacus", 30.0, 330.0, 320.0, 260.0, 0.0, -0.6},
    {"Mare Tyrrhenum", -16.0, 105.0, 1050.0, 560.0, -10.0, -0.8},
    {"Iapygia", -20.0, 75.0, 360.0, 300.0, 0.0, -0.5},
    {"Mare Cimmerium", -24.0, 152.0, 1450.0, 520.0, -5.0, -0.8},
    {"Mare Sirenum", -31.0, 198.0, 1250.0, 460.0, 5.0, -0.8},
    {"Mare Hadriacum", -38.0, 92.0, 420.0, 300.0, 0.0, -0.45},
    {"Hellespontus", -45.0, 45.0, 260.0, 620.0, 0.0, -0.5},
    {"Pandorae Fretum", -25.0, 20.0, 920.0, 190.0, 0.0, -0.45},
    {"Aeolis", -2.0, 140.0, 520.0, 300.0, 0.0, -0.35},
    {"Solis Lacus", -26.0, 272.0, 310.0, 220.0, 0.0, -0.7},
    {"Phoenicis Lacus", -12.0, 250.0, 260.0, 200.0, 0.0, -0.4},
    {"Tithonius Lacus and Coprates", -9.0, 290.0, 950.0, 160.0, -12.0, -0.5},
    {"Sabaeus to Tyrrhenum", -9.0, 88.0, 460.0, 260.0, -10.0, -0.55},
    {"Tyrrhenum to Cimmerium", -20.0, 127.0, 320.0, 260.0, 0.0, -0.45},
    {"Cimmerium to Sirenum", -28.0, 177.0, 430.0, 300.0, 0.0, -0.6},
    {"Mare Serpentis", -28.0, 342.0, 520.0, 260.0, 20.0, -0.55},
    {"Mare Australe, Atlantic side", -62.0, 30.0, 1500.0, 420.0, 0.0, -0.4},
    {"Mare Chronium", -60.0, 160.0, 1450.0, 420.0, 0.0, -0.45},
    {"Mare Australe, Pacific side", -62.0, 280.0, 1450.0, 420.0, 0.0, -0.4},
    // Dark: the north, Utopia's collar and the plains around the polar cap.
    {"Utopia", 48.0, 110.0, 1050.0, 520.0, 0.0, -0.55},
    {"Casius", 40.0, 95.0, 420.0, 320.0, 0.0, -0.6},
    {"Nepenthes", 15.0, 110.0, 620.0, 200.0, 10.0, -0.45},
    {"Cerberus", 10.0, 165.0, 520.0, 200.0, 0.0, -0.55},
    {"Trivium Charontis", 20.0, 160.0, 320.0, 200.0, 0.0, -0.4},
    {"Propontis", 45.0, 180.0, 520.0, 300.0, 0.0, -0.4},
    {"Mare Boreum, Atlantic side", 65.0, 10.0, 1250.0, 360.0, 0.0, -0.35},
    {"Mare Boreum, Pacific side", 67.0, 280.0, 1250.0, 360.0, 0.0, -0.35},
    // Bright dust.
    {"Tharsis", 8.0, 250.0, 1800.0, 1500.0, 0.0, 0.9},
    {"Arabia Terra", 22.0, 25.0, 1500.0, 900.0, 0.0, 0.7},
    {"Elysium", 22.0, 148.0, 900.0, 700.0, 0.0, 0.8},
    {"Amazonis", 12.0, 200.0, 1000.0, 900.0, 0.0, 0.85},
    {"Arcadia", 45.0, 205.0, 900.0, 500.0, 0.0, 0.5},
    {"Tempe", 40.0, 285.0, 600.0, 500.0, 0.0, 0.55},
    {"Hellas floor", -42.0, 70.0, 900.0, 800.0, 0.0, 0.85},
    {"Argyre floor", -50.0, 316.0, 560.0, 460.0, 0.0, 0.7},
    {"Isidis", 13.0, 88.0, 450.0, 400.0, 0.0, 0.45},
    {"Chryse", 22.0, 318.0, 600.0, 500.0, 0.0, 0.35},
    {"Memnonia", -15.0, 210.0, 700.0, 400.0, 0.0, 0.45},
    {"Daedalia", -22.0, 235.0, 600.0, 450.0, 0.0, 0.5},
    {"Thaumasia", -35.0, 275.0, 700.0, 500.0, 0.0, 0.4},
    {"Libya", 0.0, 90.0, 400.0, 300.0, 0.0, 0.3},
    {"Deucalionis Regio", -15.0, 15.0, 700.0, 150.0, 0.0, 0.3},
};

// The dark dune collar around the northern cap (Olympia Undae), widest from 120 to 240 E.
constexpr double kCollarLatDeg = 78.5, kCollarHalfWidthDeg = 2.8, kCollarDarkness = 0.7;
constexpr double kCollarCentreLonDeg = 180.0, kCollarSpreadDeg = 60.0;

// Base albedo, its swings over thousands of km and its mottling over hundreds; the southern
// highlands are a little darker than the dusty north.
constexpr double kBaseAlbedo = 0.64, kBaseSwing = 0.22, kBaseMottle = 0.1, kSouthernDarkening = 0.12;
// Feature outlines: the point is moved by up to about 500 km before the ellipse test, and noise
// of kCoastRoughness is added to the influence before the threshold, so no outline is a clean
// oval; inside, darkness and brightness vary by a share of kPatchiness.
constexpr double kWarpRad = 0.15, kCoastRoughness = 0.35, kPatchiness = 0.3;
// Thresholds on the influence: a dark region is fully dark (kDarkest of the albedo taken away)
// from kDarkHigh on, a bright one fully bright from kBrightHigh on.
constexpr double kDarkLow = 0.2, kDarkHigh = 0.45, kDarkest = 0.8;
constexpr double kBrightLow = 0.15, kBrightHigh = 0.65, kBrightest = 0.88;

// Coast noise below the grid's resolution, from about its spacing down.
constexpr double kFineCoastWavelengthKm = 15.0, kFineCoastAmplitude = 0.04;
// Node detail: mottling from 40 km down to twice the node spacing, and what the relief adds.
constexpr double kMottleWavelengthKm = 40.0, kMottleContrast = 0.08;
constexpr double kRoughnessContrast = 0.04;
constexpr double kCraterFloorDarkening = 0.2;   // dark sand gathers on crater floors
constexpr double kCraterRimBrightening = 0.1;   // fresh rock and ejecta on rims
constexpr double kCanyonFloorDarkening = 0.1;   // dark sand on canyon floors
constexpr double kCanyonWallBrightening = 0.07; // bare layered rock on canyon walls
constexpr double kHeightContrast = 0.03, kHeightScaleM = 4000.0;

struct RampStop {
  double albedo, r, g, b;
};
// From the grey brown of the maria to the butterscotch of the dust.
constexpr RampStop kRamp[] = {
    {0.00, 74, 56, 45}, {0.25, 110, 76, 55}, {0.50, 155, 99, 63}, {0.75, 193, 128, 80}, {1.00, 220, 163, 110},
};

constexpr double kIce[3] = {242, 240, 234};
constexpr double kLayeredDeposits[3] = {200, 174, 150};
constexpr double kExposedLayers[3] = {150, 118, 96};   // trough walls cut into the layered deposits
constexpr double kFrost[3] = {196, 180, 168};         // high latitudes under thin frost and haze
constexpr double kSummitDust[3] = {214, 176, 142};    // the shield summits above most of the air
constexpr double kFrostStartDeg = 58.0, kFrostFullDeg = 78.0, kFrostShare = 0.25;
constexpr double kSummitStartM = 7000.0, kSummitFullM = 18000.0, kSummitShare = 0.3;
// The residual ice caps: the northern fills most of Planum Boreum, the southern is a smaller
// carbon-dioxide cap off the pole towards 315 E.
constexpr double kNorthIceShare = 0.78;  // of the plateau's radius
constexpr double kSouthIceLatDeg = -87.0, kSouthIceLonDeg = 315.0, kSouthIceRadiusKm = 240.0;

enum Stream : uint32_t {
  kBase = 21, kWarpX, kWarpY, kWarpZ, kEdge, kMottle, kIceEdge, kPatches, kMottleBase, kSand, kFineCoast
};
uint32_t StreamSeed(uint32_t seed, Stream stream) { return seed * 0x2C1B3C6Du + stream * 0x297A2D39u; }

struct PreparedFeature {
  const AlbedoFeature* feature;
  Vec3d centre, east, north;
  double reachCos;
};

std::vector<PreparedFeature> PrepareFeatures() {
  std::vector<PreparedFeature> prepared;
  for (const AlbedoFeature& f : kFeatures) {
    const double lat = f.latDeg * kDegree, lon = f.lonDeg * kDegree;
    PreparedFeature p{&f, UnitVectorAt(f.latDeg, f.lonDeg), {std::cos(lon), 0.0, -std::sin(lon)},
                      {-std::sin(lat) * std::sin(lon), std::cos(lat), -std::sin(lat) * std::cos(lon)}, 0.0};
    // Beyond 2.2 semi-axes the influence is below 1 %.
    const double reachKm = 2.2 * std::max(f.eastKm, f.northKm);
    p.reachCos = std::cos(std::min(kPi, reachKm / kSurfaceRadiusKm));
    prepared.push_back(p);
  }
  return prepared;
}

double AngleBetweenDeg(double a, double b) {
  const double d = std::fmod(std::fabs(a - b), 360.0);
  return std::min(d, 360.0 - d);
}

// The broad part of the albedo, smooth over hundreds of km: each feature's influence falls off
// like a Gaussian of its (warped) ellipse; the strongest dark and bright influences and the base.
struct Influence {
  double dark, bright, base;
};

Influence EvaluateInfluence(uint32_t seed, const std::vector<PreparedFeature>& features, double latDeg, double lonDeg) {
  const Vec3d p = UnitVectorAt(latDeg, lonDeg);
  Vec3d q = {p.x + kWarpRad * SphereFbm(StreamSeed(seed, kWarpX), p, 1400.0, 4, 0.55),
             p.y + kWarpRad * SphereFbm(StreamSeed(seed, kWarpY), p, 1400.0, 4, 0.55),
             p.z + kWarpRad * SphereFbm(StreamSeed(seed, kWarpZ), p, 1400.0, 4, 0.55)};
  const double length = Length(q);
  q = {q.x / length, q.y / length, q.z / length};
  Influence influence{0.0, 0.0, 0.0};
  for (const PreparedFeature& prepared : features) {
    if (Dot(q, prepared.centre) < prepared.reachCos) continue;
    const AlbedoFeature& f = *prepared.feature;
    const Vec3d d = {q.x - prepared.centre.x, q.y - prepared.centre.y, q.z - prepared.centre.z};
    const double e = Dot(d, prepared.east) * kSurfaceRadiusKm, n = Dot(d, prepared.north) * kSurfaceRadiusKm;
    const double c = std::cos(f.tiltDeg * kDegree), s = std::sin(f.tiltDeg * kDegree);
    const double u = (e * c + n * s) / f.eastKm, v = (-e * s + n * c) / f.northKm;
    const double share = std::fabs(f.strength) * std::exp(-(u * u + v * v));
    double& strongest = f.strength < 0.0 ? influence.dark : influence.bright;
    strongest = std::max(strongest, share);
  }
  const double collar = std::exp(-std::pow((latDeg - kCollarLatDeg) / kCollarHalfWidthDeg, 2.0)) *
                        (0.45 + 0.55 * std::exp(-std::pow(AngleBetweenDeg(lonDeg, kCollarCentreLonDeg) / kCollarSpreadDeg, 2.0)));
  influence.dark = std::max(influence.dark, kCollarDarkness * collar);
  influence.base = kBaseAlbedo + kBaseSwing * SphereFbm(StreamSeed(seed, kBase), p, 1500.0, 4, 0.55) -
                   kSouthernDarkening * Smoothstep(-5.0, -30.0, latDeg);
  return influence;
}

// What the albedo is made from at a place: the dark and bright influences with the coast noise
// added (thresholded per node, so coasts stay crisp at every level), the base and the patchiness.
struct Drivers {
  double dark, bright, base, patches;
};

Drivers EvaluateDrivers(uint32_t seed, const Influence& influence, double latDeg, double lonDeg) {
  const Vec3d p = UnitVectorAt(latDeg, lonDeg);
  const double coast = kCoastRoughness * SphereFbm(StreamSeed(seed, kEdge), p, 700.0, 6, 0.6);
  return {influence.dark + coast, influence.bright - coast,
          influence.base + kBaseMottle * SphereFbm(StreamSeed(seed, kMottleBase), p, 400.0, 3, 0.6),
          kPatchiness * SphereFbm(StreamSeed(seed, kPatches), p, 350.0, 5, 0.7)};
}

// coast: finer coast noise, added to the dark driver and taken from the bright one.
double AlbedoFromDrivers(const Drivers& d, double coast) {
  const double dark = kDarkest * Smoothstep(kDarkLow, kDarkHigh, d.dark + coast) * (1.0 + d.patches);
  const double bright = Smoothstep(kBrightLow, kBrightHigh, d.bright - coast) * (1.0 - d.patches);
  const double albedo = (d.base + (kBrightest - d.base) * std::clamp(bright, 0.0, 1.0)) * (1.0 - std::clamp(dark, 0.0, 0.95));
  return std::clamp(albedo, 0.0, 1.0);
}

// Bilinear sample of a grid of samplesPerDegree with column 0 at longitude 0, row 0 at the south pole.
double SampleGrid(const std::vector<float>& grid, uint32_t samplesPerDegree, double latDeg, double lonDeg) {
  const uint32_t columns = 360 * samplesPerDegree, rows = 180 * samplesPerDegree + 1;
  const double x = WrapLongitude(lonDeg) * samplesPerDegree;
  const double y = std::clamp((latDeg + 90.0) * samplesPerDegree, 0.0, rows - 1.0);
  const uint32_t x0 = std::min(static_cast<uint32_t>(x), columns - 1), y0 = static_cast<uint32_t>(y);
  const uint32_t x1 = x0 + 1 == columns ? 0 : x0 + 1, y1 = std::min(y0 + 1, rows - 1);
  const double fx = x - x0, fy = y - y0;
  const size_t w = columns;
  return Lerp(Lerp(grid[y0 * w + x0], grid[y0 * w + x1], fx), Lerp(grid[y1 * w + x0], grid[y1 * w + x1], fx), fy);
}

void Ramp(double albedo, double* rgb) {
  const size_t last = std::size(kRamp) - 1;
  for (size_t k = 0; k < last; ++k)
    if (albedo <= kRamp[k + 1].albedo || k + 1 == last) {
      const double t = std::clamp((albedo - kRamp[k].albedo) / (kRamp[k + 1].albedo - kRamp[k].albedo), 0.0, 1.0);
      rgb[0] = Lerp(kRamp[k].r, kRamp[k + 1].r, t);
      rgb[1] = Lerp(kRamp[k].g, kRamp[k + 1].g, t);
      rgb[2] = Lerp(kRamp[k].b, kRamp[k + 1].b, t);
      return;
    }
}

void Blend(double* rgb, const double* towards, double share) {
  for (int k = 0; k < 3; ++k) rgb[k] = Lerp(rgb[k], towards[k], std::clamp(share, 0.0, 1.0));
}

// Octaves from kMottleWavelengthKm down to twice the node spacing, in about [-1, 1]. Scaled by
// the whole series' amplitude, not by the octaves present, so finer nodes gain texture instead
// of sharing out the same amount.
double Mottle(uint32_t seed, const Vec3d& p, double nodeSpacingKm) {
  constexpr double kGain = 0.6, kSeriesAmplitude = 1.0 / (1.0 - kGain);
  double sum = 0.0, amplitude = 1.0;
  uint32_t octave = 0;
  for (double wavelength = kMottleWavelengthKm; wavelength >= 2.0 * nodeSpacingKm; wavelength *= 0.5, ++octave) {
    const double f = kSurfaceRadiusKm / wavelength;
    sum += amplitude * GradientNoise(StreamSeed(seed, kMottle) + octave, p.x * f - 0.29, p.y * f + 0.47, p.z * f + 0.11);
    amplitude *= kGain;
  }
  return std::clamp(2.0 * sum / kSeriesAmplitude, -1.0, 1.0);
}

uint8_t Channel(double value) { return static_cast<uint8_t>(std::clamp(std::lround(value), 0L, 255L)); }

Drivers SampleDrivers(const AlbedoModel& model, double latDeg, double lonDeg) {
  return {SampleGrid(model.dark, kAlbedoSamplesPerDegree, latDeg, lonDeg),
          SampleGrid(model.bright, kAlbedoSamplesPerDegree, latDeg, lonDeg),
          SampleGrid(model.base, kAlbedoSamplesPerDegree, latDeg, lonDeg),
          SampleGrid(model.patches, kAlbedoSamplesPerDegree, latDeg, lonDeg)};
}

// Coast noise finer than the grid, from about its spacing down to twice the node spacing; its
// octaves keep their share of the amplitude, so coasts stay ragged up close.
double FineCoast(uint32_t seed, const Vec3d& p, double nodeSpacingKm) {
  double sum = 0.0, amplitude = kFineCoastAmplitude;
  uint32_t octave = 0;
  for (double wavelength = kFineCoastWavelengthKm; wavelength >= 2.0 * nodeSpacingKm; wavelength *= 0.5, ++octave) {
    const double f = kSurfaceRadiusKm / wavelength;
    sum += amplitude * GradientNoise(StreamSeed(seed, kFineCoast) + octave, p.x * f + 0.21, p.y * f - 0.33, p.z * f + 0.57);
    amplitude *= 0.6;
  }
  return sum;
}

}  // namespace

void MakeAlbedoModel(uint32_t seed, unsigned threads, AlbedoModel& model) {
  model = AlbedoModel{};
  model.seed = seed;
  const std::vector<PreparedFeature> features = PrepareFeatures();
  const uint32_t columns = 360 * kAlbedoSamplesPerDegree, rows = 180 * kAlbedoSamplesPerDegree + 1;
  for (std::vector<float>* grid : {&model.dark, &model.bright, &model.base, &model.patches})
    grid->assign(size_t{columns} * rows, 0.0f);
  ParallelFor(threads, rows, [&](uint32_t row) {
    const double latDeg = -90.0 + static_cast<double>(row) / kAlbedoSamplesPerDegree;
    for (uint32_t column = 0; column < columns; ++column) {
      const double lonDeg = static_cast<double>(column) / kAlbedoSamplesPerDegree;
      const Drivers d = EvaluateDrivers(seed, EvaluateInfluence(seed, features, latDeg, lonDeg), latDeg, lonDeg);
      const size_t at = size_t{row} * columns + column;
      model.dark[at] = static_cast<float>(d.dark);
      model.bright[at] = static_cast<float>(d.bright);
      model.base[at] = static_cast<float>(d.base);
      model.patches[at] = static_cast<float>(d.patches);
    }
  });
  for (const Landform& form : NamedLandforms())
    if (form.kind == LandformKind::Cap) (form.latDeg > 0.0 ? model.northCap : model.southCap) = form;
}

double BroadAlbedo(const AlbedoModel& model, double latDeg, double lonDeg) {
  return AlbedoFromDrivers(SampleDrivers(model, latDeg, lonDeg), 0.0);
}

Colour AlbedoColour(const AlbedoModel& model, double latDeg, double lonDeg, double heightM,
                    const ReliefDetail& detail, double nodeSpacingKm) {
  const Vec3d p = UnitVectorAt(latDeg, lonDeg);
  double albedo = AlbedoFromDrivers(SampleDrivers(model, latDeg, lonDeg), FineCoast(model.seed, p, nodeSpacingKm));
  albedo += kMottleContrast * Mottle(model.seed, p, nodeSpacingKm) + kRoughnessContrast * detail.fine;
  // Dark sand fills the crater floors of some regions and not others.
  const double sand = detail.craterFloor > 0.0
                          ? Smoothstep(-0.25, 0.35, SphereFbm(StreamSeed(model.seed, kSand), p, 500.0, 2, 0.5))
                          : 0.0;
  albedo += -kCraterFloorDarkening * sand * detail.craterFloor + kCraterRimBrightening * detail.craterRim;
  albedo += -kCanyonFloorDarkening * detail.canyonFloor + kCanyonWallBrightening * detail.canyonWall;
  albedo += kHeightContrast * std::clamp(heightM / kHeightScaleM, -1.0, 1.0);
  double rgb[3];
  Ramp(std::clamp(albedo, 0.0, 1.0), rgb);

  Blend(rgb, kSummitDust, kSummitShare * Smoothstep(kSummitStartM, kSummitFullM, heightM));
  Blend(rgb, kFrost, kFrostShare * Smoothstep(kFrostStartDeg, kFrostFullDeg, std::fabs(latDeg)));

  // Polar layered deposits, the troughs cut into them, and the residual ice on top.
  const double iceEdge = 0.08 * SphereFbm(StreamSeed(model.seed, kIceEdge), p, 120.0, 3, 0.55);
  for (const Landform* cap : {&model.northCap, &model.southCap}) {
    if (cap->radiusKm <= 0.0 || latDeg * cap->latDeg <= 0.0) continue;
    const double t = SurfaceDistanceKm(p, UnitVectorAt(cap->latDeg, cap->lonDeg)) / cap->radiusKm;
    if (t >= 1.2) continue;
    const double layers = 1.0 - Smoothstep(0.88, 1.02, t + iceEdge);
    const double trough = PolarTroughShare(*cap, t, lonDeg);
    double ice;
    if (cap->latDeg > 0.0) {
      ice = 1.0 - Smoothstep(kNorthIceShare - 0.06, kNorthIceShare + 0.06, t + iceEdge);
    } else {
      const double d = SurfaceDistanceKm(p, UnitVectorAt(kSouthIceLatDeg, kSouthIceLonDeg)) / kSouthIceRadiusKm;
      ice = 1.0 - Smoothstep(0.8, 1.05, d + 2.0 * iceEdge);
    }
    Blend(rgb, kLayeredDeposits, layers);
    Blend(rgb, kExposedLayers, layers * trough);
    Blend(rgb, kIce, ice * (1.0 - 0.85 * trough));
  }
  return Colour{Channel(rgb[0]), Channel(rgb[1]), Channel(rgb[2]), 255};
}
