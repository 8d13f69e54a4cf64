// The albedo features are noisy ellipses over a mottled base: bright dust raises the base, dark
// maria then take their share of it away. Node colours come from a ramp running from the grey
// brown of the maria to the butterscotch of the dust, then ice and layered deposits at the poles.
#include "tools/mkdata/albedo_model.h"

#include <algorithm>
#include <cmath>

#include "tools/mkdata/noise.h"
#include "tools/mkdata/parallel.h"

namespace {

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
    {"Syrtis Major", 11.0, 69.0, 330.0, 780.0, -8.0, -0.85},
    {"Syrtis Major, southern end", 0.0, 65.0, 620.0, 380.0, 0.0, -0.85},
    {"Nilosyrtis", 30.0, 71.0, 220.0, 420.0, 0.0, -0.45},
    {"Sinus Sabaeus", -8.0, 25.0, 1350.0, 300.0, 6.0, -0.8},
    {"Sinus Meridiani", -2.5, 2.0, 480.0, 260.0, 0.0, -0.75},
    {"Margaritifer Sinus", -10.0, 335.0, 350.0, 520.0, 20.0, -0.7},
    {"Oxia Palus", 8.0, 342.0, 260.0, 260.0, 0.0, -0.5},
    {"Mare Erythraeum", -25.0, 325.0, 1150.0, 620.0, 8.0, -0.7},
    {"Aurorae Sinus", -14.0, 310.0, 360.0, 300.0, 0.0, -0.6},
    {"Mare Acidalium", 47.0, 330.0, 560.0, 1050.0, -15.0, -0.8},
    {"Niliacus Lacus", 30.0, 330.0, 320.0, 260.0, 0.0, -0.6},
    {"Mare Tyrrhenum", -15.0, 105.0, 920.0, 460.0, -10.0, -0.72},
    {"Iapygia", -20.0, 75.0, 360.0, 300.0, 0.0, -0.5},
    {"Mare Cimmerium", -24.0, 150.0, 1350.0, 430.0, -5.0, -0.75},
    {"Mare Sirenum", -31.0, 198.0, 1150.0, 390.0, 5.0, -0.75},
    {"Mare Hadriacum", -38.0, 92.0, 420.0, 300.0, 0.0, -0.45},
    {"Hellespontus", -45.0, 45.0, 260.0, 620.0, 0.0, -0.5},
    {"Pandorae Fretum", -25.0, 20.0, 920.0, 190.0, 0.0, -0.45},
    {"Aeolis", -2.0, 140.0, 520.0, 300.0, 0.0, -0.35},
    {"Solis Lacus", -26.0, 272.0, 310.0, 220.0, 0.0, -0.7},
    {"Phoenicis Lacus", -12.0, 250.0, 260.0, 200.0, 0.0, -0.4},
    {"Tithonius Lacus and Coprates", -9.0, 290.0, 950.0, 160.0, -12.0, -0.5},
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

// Base albedo and its mottling over thousands of km.
constexpr double kBaseAlbedo = 0.5, kBaseSwing = 0.25;
// Feature outlines: the point is moved by up to about 140 km before the ellipse test, and the
// ellipse's edge is roughened, so no outline is a clean oval.
constexpr double kWarpRad = 0.04, kEdgeRoughness = 0.18;

// Node detail: mottling from 40 km down to twice the node spacing, and what the relief adds.
constexpr double kMottleWavelengthKm = 40.0, kMottleContrast = 0.07;
constexpr double kRoughnessContrast = 0.04;
constexpr double kCraterFloorDarkening = 0.16;  // dark sand gathers on crater floors
constexpr double kCraterRimBrightening = 0.08;  // fresh rock and ejecta on rims
constexpr double kCanyonFloorDarkening = 0.14;  // dark sand on canyon floors
constexpr double kWallBanding = 0.12, kWallLayerM = 400.0;  // layered canyon walls
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

enum Stream : uint32_t { kBase = 21, kWarpX, kWarpY, kWarpZ, kEdge, kMottle, kIceEdge };
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
    // Beyond 1.5 semi-axes plus the warp, a feature cannot reach.
    const double reachKm = 1.5 * std::max(f.eastKm, f.northKm) + kWarpRad * kSurfaceRadiusKm;
    p.reachCos = std::cos(std::min(kPi, reachKm / kSurfaceRadiusKm));
    prepared.push_back(p);
  }
  return prepared;
}

double AngleBetweenDeg(double a, double b) {
  const double d = std::fmod(std::fabs(a - b), 360.0);
  return std::min(d, 360.0 - d);
}

double EvaluateAlbedo(uint32_t seed, const std::vector<PreparedFeature>& features, double latDeg, double lonDeg) {
  const Vec3d p = UnitVectorAt(latDeg, lonDeg);
  Vec3d q = {p.x + kWarpRad * SphereFbm(StreamSeed(seed, kWarpX), p, 900.0, 3, 0.5),
             p.y + kWarpRad * SphereFbm(StreamSeed(seed, kWarpY), p, 900.0, 3, 0.5),
             p.z + kWarpRad * SphereFbm(StreamSeed(seed, kWarpZ), p, 900.0, 3, 0.5)};
  const double length = Length(q);
  q = {q.x / length, q.y / length, q.z / length};
  const double edge = kEdgeRoughness * SphereFbm(StreamSeed(seed, kEdge), p, 260.0, 3, 0.55);

  double dark = 0.0, bright = 0.0;
  for (const PreparedFeature& prepared : features) {
    if (Dot(q, prepared.centre) < prepared.reachCos) continue;
    const AlbedoFeature& f = *prepared.feature;
    const Vec3d d = {q.x - prepared.centre.x, q.y - prepared.centre.y, q.z - prepared.centre.z};
    const double e = Dot(d, prepared.east) * kSurfaceRadiusKm, n = Dot(d, prepared.north) * kSurfaceRadiusKm;
    const double c = std::cos(f.tiltDeg * kDegree), s = std::sin(f.tiltDeg * kDegree);
    const double u = (e * c + n * s) / f.eastKm, v = (-e * s + n * c) / f.northKm;
    const double cover = 1.0 - Smoothstep(0.55, 1.05, std::sqrt(u * u + v * v) + edge);
    if (f.strength < 0.0) dark = std::max(dark, -f.strength * cover);
    else bright = std::max(bright, f.strength * cover);
  }
  const double collar = std::exp(-std::pow((latDeg - kCollarLatDeg) / kCollarHalfWidthDeg, 2.0)) *
                        (0.45 + 0.55 * std::exp(-std::pow(AngleBetweenDeg(lonDeg, kCollarCentreLonDeg) / kCollarSpreadDeg, 2.0)));
  dark = std::max(dark, kCollarDarkness * collar);

  const double base = kBaseAlbedo + kBaseSwing * SphereFbm(StreamSeed(seed, kBase), p, 1500.0, 4, 0.55);
  const double albedo = (base + (0.95 - base) * bright) * (1.0 - dark);
  return std::clamp(albedo, 0.0, 1.0);
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

// Octaves from kMottleWavelengthKm down to twice the node spacing, in about [-1, 1].
double Mottle(uint32_t seed, const Vec3d& p, double nodeSpacingKm) {
  double sum = 0.0, norm = 0.0, amplitude = 1.0;
  uint32_t octave = 0;
  for (double wavelength = kMottleWavelengthKm; wavelength >= 2.0 * nodeSpacingKm; wavelength *= 0.5, ++octave) {
    const double f = kSurfaceRadiusKm / wavelength;
    sum += amplitude * GradientNoise(StreamSeed(seed, kMottle) + octave, p.x * f - 0.29, p.y * f + 0.47, p.z * f + 0.11);
    norm += amplitude;
    amplitude *= 0.6;
  }
  return norm > 0.0 ? std::clamp(2.0 * sum / norm, -1.0, 1.0) : 0.0;
}

uint8_t Channel(double value) { return static_cast<uint8_t>(std::clamp(std::lround(value), 0L, 255L)); }

}  // namespace

void MakeAlbedoModel(uint32_t seed, unsigned threads, AlbedoModel& model) {
  model = AlbedoModel{};
  model.seed = seed;
  model.columns = 360 * kAlbedoSamplesPerDegree;
  model.rows = 180 * kAlbedoSamplesPerDegree + 1;
  model.albedo.assign(size_t{model.columns} * model.rows, 0.0f);
  const std::vector<PreparedFeature> features = PrepareFeatures();
  ParallelFor(threads, model.rows, [&](uint32_t row) {
    const double latDeg = -90.0 + static_cast<double>(row) / kAlbedoSamplesPerDegree;
    for (uint32_t column = 0; column < model.columns; ++column)
      model.albedo[size_t{row} * model.columns + column] =
          static_cast<float>(EvaluateAlbedo(seed, features, latDeg, static_cast<double>(column) / kAlbedoSamplesPerDegree));
  });
  for (const Landform& form : NamedLandforms())
    if (form.kind == LandformKind::Cap) (form.latDeg > 0.0 ? model.northCap : model.southCap) = form;
}

double BroadAlbedo(const AlbedoModel& model, double latDeg, double lonDeg) {
  const double x = WrapLongitude(lonDeg) * kAlbedoSamplesPerDegree;
  const double y = std::clamp((latDeg + 90.0) * kAlbedoSamplesPerDegree, 0.0, model.rows - 1.0);
  const uint32_t x0 = std::min(static_cast<uint32_t>(x), model.columns - 1), y0 = static_cast<uint32_t>(y);
  const uint32_t x1 = x0 + 1 == model.columns ? 0 : x0 + 1, y1 = std::min(y0 + 1, model.rows - 1);
  const double fx = x - x0, fy = y - y0;
  const size_t w = model.columns;
  const std::vector<float>& a = model.albedo;
  return Lerp(Lerp(a[y0 * w + x0], a[y0 * w + x1], fx), Lerp(a[y1 * w + x0], a[y1 * w + x1], fx), fy);
}

Colour AlbedoColour(const AlbedoModel& model, double latDeg, double lonDeg, double heightM,
                    const ReliefDetail& detail, double nodeSpacingKm) {
  const Vec3d p = UnitVectorAt(latDeg, lonDeg);
  double albedo = BroadAlbedo(model, latDeg, lonDeg);
  albedo += kMottleContrast * Mottle(model.seed, p, nodeSpacingKm) + kRoughnessContrast * detail.fine;
  albedo += -kCraterFloorDarkening * detail.craterFloor + kCraterRimBrightening * detail.craterRim;
  albedo += -kCanyonFloorDarkening * detail.canyonFloor +
            kWallBanding * detail.canyonWall * std::sin(2.0 * kPi * heightM / kWallLayerM);
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
