// The bright-star table and the drawing of the fainter stars.
#include "tools/mkdata/star_field.h"

#include <algorithm>
#include <cmath>

#include "tools/mkdata/random_stream.h"
#include "tools/mkdata/sphere_geometry.h"

namespace {

// Magnitudes are filled in steps of this size.
constexpr double kMagnitudeStep = 0.1;
// Crowding towards the galactic plane: density (1 + A e^(-|sin b| / kPlaneScale)) / (1 + A), with
// A rising from kPlaneBoostBright at magnitude 2 to kPlaneBoostFaint at 6.5; the faint stars are
// more distant and so lie more in the Milky Way's disc.
constexpr double kPlaneScale = 0.2;
constexpr double kPlaneBoostBright = 1.0, kPlaneBoostFaint = 3.2;
constexpr uint32_t kStarStreamSalt = 0x57A125u;

// Colour indices of naked-eye stars: hot main-sequence stars around 0, a few F and G stars, and
// the many K giants around 1.1 (weights, centres and spreads of a mixture).
struct ColourGroup {
  double share, centre, spread;
};
constexpr ColourGroup kColourGroups[] = {{0.42, 0.02, 0.17}, {0.16, 0.45, 0.14}, {0.42, 1.10, 0.22}};
constexpr double kBluestIndex = -0.33, kReddestIndex = 1.9;

Vec3d EquatorialDirection(double raDeg, double decDeg) {
  const double ra = raDeg * kDegree, dec = decDeg * kDegree;
  return {std::cos(dec) * std::cos(ra), std::cos(dec) * std::sin(ra), std::sin(dec)};
}

double DrawColourIndex(RandomStream& random) {
  double pick = random.Uniform();
  const double normal = random.Normal();
  for (const ColourGroup& group : kColourGroups) {
    if (pick < group.share) return std::clamp(group.centre + group.spread * normal, kBluestIndex, kReddestIndex);
    pick -= group.share;
  }
  return kWhiteColourIndex;
}

// A direction drawn with the crowding towards the galactic plane that stars of this magnitude show.
CatalogueStar DrawStar(RandomStream& random, double magnitude) {
  static const Vec3d galacticPole = EquatorialDirection(kGalacticPoleRaDeg, kGalacticPoleDecDeg);
  const double boost = Lerp(kPlaneBoostBright, kPlaneBoostFaint,
                            std::clamp((magnitude - kDrawnFromMagnitude) / (kFaintestStarMagnitude - kDrawnFromMagnitude), 0.0, 1.0));
  for (;;) {
    const Vec3d v = random.Direction();
    const double sinB = std::fabs(Dot(v, galacticPole));
    if (random.Uniform() * (1.0 + boost) >= 1.0 + boost * std::exp(-sinB / kPlaneScale)) continue;
    CatalogueStar star;
    star.decDeg = std::asin(std::clamp(v.z, -1.0, 1.0)) / kDegree;
    star.raHours = WrapLongitude(std::atan2(v.y, v.x) / kDegree) / 15.0;
    star.magnitude = magnitude;
    star.colourIndex = DrawColourIndex(random);
    return star;
  }
}

}  // namespace

const std::vector<NamedStar>& BrightStars() {
  // J2000 positions, visual magnitudes and B - V colour indices (variable stars at their usual
  // brightness, close pairs as one point).
  static const std::vector<NamedStar> table = [] {
    std::vector<NamedStar> stars = {
        {"Sirius", 6.7525, -16.716, -1.46, 0.00},        {"Canopus", 6.3992, -52.696, -0.74, 0.15},
        {"Rigil Kentaurus", 14.6601, -60.834, -0.27, 0.71}, {"Arcturus", 14.2610, 19.182, -0.05, 1.23},
        {"Vega", 18.6156, 38.784, 0.03, 0.00},           {"Capella", 5.2782, 45.998, 0.08, 0.80},
        {"Rigel", 5.2423, -8.202, 0.13, -0.03},          {"Procyon", 7.6550, 5.225, 0.34, 0.42},
        {"Achernar", 1.6286, -57.237, 0.46, -0.16},      {"Betelgeuse", 5.9195, 7.407, 0.50, 1.85},
        {"Hadar", 14.0637, -60.373, 0.61, -0.23},        {"Altair", 19.8464, 8.868, 0.76, 0.22},
        {"Acrux", 12.4433, -63.099, 0.76, -0.24},        {"Aldebaran", 4.5987, 16.509, 0.86, 1.54},
        {"Antares", 16.4901, -26.432, 0.96, 1.83},       {"Spica", 13.4199, -11.161, 0.97, -0.23},
        {"Pollux", 7.7553, 28.026, 1.14, 1.00},          {"Fomalhaut", 22.9608, -29.622, 1.16, 0.09},
        {"Deneb", 20.6905, 45.280, 1.25, 0.09},          {"Mimosa", 12.7954, -59.689, 1.25, -0.23},
        {"Regulus", 10.1395, 11.967, 1.35, -0.11},       {"Adhara", 6.9771, -28.972, 1.50, -0.21},
        {"Castor", 7.5767, 31.888, 1.58, 0.03},          {"Shaula", 17.5601, -37.104, 1.62, -0.22},
        {"Gacrux", 12.5194, -57.113, 1.64, 1.59},        {"Bellatrix", 5.4189, 6.350, 1.64, -0.22},
        {"Elnath", 5.4382, 28.608, 1.65, -0.13},         {"Miaplacidus", 9.2200, -69.717, 1.68, 0.07},
        {"Alnilam", 5.6036, -1.202, 1.69, -0.18},        {"Regor", 8.1589, -47.337, 1.72, -0.22},
        {"Alnair", 22.1372, -46.961, 1.74, -0.13},       {"Alnitak", 5.6793, -1.943, 1.77, -0.21},
        {"Alioth", 12.9005, 55.960, 1.77, -0.02},        {"Dubhe", 11.0621, 61.751, 1.79, 1.07},
        {"Mirfak", 3.4054, 49.861, 1.79, 0.48},          {"Wezen", 7.1399, -26.393, 1.84, 0.68},
        {"Kaus Australis", 18.4029, -34.385, 1.85, -0.03}, {"Sargas", 17.6220, -42.998, 1.86, 0.40},
        {"Avior", 8.3752, -59.510, 1.86, 1.28},          {"Alkaid", 13.7923, 49.313, 1.86, -0.19},
        {"Menkalinan", 5.9921, 44.948, 1.90, 0.03},      {"Atria", 16.8111, -69.028, 1.91, 1.44},
        {"Alhena", 6.6285, 16.399, 1.92, 0.00},          {"Peacock", 20.4275, -56.735, 1.94, -0.20},
        {"Alsephina", 8.7451, -54.708, 1.96, 0.04},      {"Mirzam", 6.3783, -17.956, 1.98, -0.23},
        {"Alphard", 9.4598, -8.659, 1.98, 1.44},         {"Polaris", 2.5303, 89.264, 1.98, 0.60},
        {"Hamal", 2.1196, 23.463, 2.00, 1.15},           {"Algieba", 10.3329, 19.841, 2.01, 1.13},
        {"Diphda", 0.7265, -17.987, 2.04, 1.02},         {"Nunki", 18.9211, -26.297, 2.05, -0.13},
        {"Mirach", 1.1622, 35.621, 2.05, 1.58},          {"Menkent", 14.1114, -36.370, 2.06, 1.01},
        {"Alpheratz", 0.1398, 29.091, 2.06, -0.11},      {"Tiaki", 22.7111, -46.885, 2.07, 1.60},
        {"Rasalhague", 17.5822, 12.560, 2.07, 0.15},     {"Kochab", 14.8451, 74.156, 2.08, 1.47},
        {"Saiph", 5.7959, -9.670, 2.09, -0.17},          {"Algol", 3.1361, 40.956, 2.09, -0.05},
        {"Denebola", 11.8177, 14.572, 2.14, 0.09},       {"Muhlifain", 12.6919, -48.960, 2.20, -0.01},
        {"Naos", 8.0597, -40.003, 2.21, -0.27},          {"Aspidiske", 9.2848, -59.275, 2.21, 0.18},
        {"Suhail", 9.1333, -43.433, 2.21, 1.66},         {"Alphecca", 15.5781, 26.715, 2.22, -0.02},
        {"Mizar", 13.3988, 54.925, 2.23, 0.02},          {"Sadr", 20.3705, 40.257, 2.23, 0.67},
        {"Eltanin", 17.9434, 51.489, 2.23, 1.52},        {"Mintaka", 5.5334, -0.299, 2.23, -0.22},
        {"Schedar", 0.6751, 56.537, 2.24, 1.17},         {"Almach", 2.0650, 42.330, 2.26, 1.37},
        {"Caph", 0.1530, 59.150, 2.28, 0.34},            {"Larawag", 16.8361, -34.293, 2.29, 1.15},
        {"Dschubba", 16.0056, -22.622, 2.29, -0.12},     {"Epsilon Centauri", 13.6648, -53.466, 2.30, -0.22},
        {"Alpha Lupi", 14.6988, -47.388, 2.30, -0.15},   {"Eta Centauri", 14.5918, -42.158, 2.35, -0.19},
        {"Merak", 11.0307, 56.383, 2.37, -0.02},         {"Izar", 14.7498, 27.074, 2.37, 0.97},
        {"Enif", 21.7364, 9.875, 2.39, 1.53},            {"Girtab", 17.7081, -39.030, 2.39, -0.17},
        {"Ankaa", 0.4381, -42.306, 2.40, 1.09},          {"Scheat", 23.0629, 28.083, 2.42, 1.67},
        {"Sabik", 17.1730, -15.725, 2.43, 0.06},         {"Phecda", 11.8972, 53.695, 2.44, 0.04},
        {"Aludra", 7.4016, -29.303, 2.45, -0.08},        {"Alderamin", 21.3096, 62.586, 2.45, 0.26},
        {"Navi", 0.9451, 60.717, 2.47, -0.15},           {"Markeb", 9.3686, -55.011, 2.47, -0.14},
        {"Markab", 23.0794, 15.205, 2.48, -0.04},        {"Aljanah", 20.7702, 33.970, 2.48, 1.03},
        {"Menkar", 3.0380, 4.090, 2.54, 1.64},           {"Zosma", 11.2351, 20.524, 2.56, 0.12},
        {"Arneb", 5.5455, -17.822, 2.58, 0.21},          {"Gienah", 12.2634, -17.542, 2.58, -0.11},
        {"Ascella", 19.0435, -29.880, 2.60, 0.08},       {"Acrab", 16.0906, -19.806, 2.62, -0.07},
        {"Unukalhai", 15.7378, 6.426, 2.63, 1.17},       {"Sheratan", 1.9107, 20.808, 2.64, 0.13},
        {"Ruchbah", 1.4303, 60.235, 2.68, 0.13},         {"Lesath", 17.5127, -37.296, 2.69, -0.22},
        {"Tarazed", 19.7710, 10.613, 2.72, 1.52},        {"Zubenelgenubi", 14.8480, -16.042, 2.75, 0.15},
        {"Kornephoros", 16.5037, 21.490, 2.78, 0.94},    {"Imai", 12.2524, -58.749, 2.79, -0.23},
        {"Cursa", 5.1308, -5.086, 2.79, 0.13},           {"Algenib", 0.2206, 15.184, 2.83, -0.23},
        {"Alcyone", 3.7914, 24.105, 2.87, -0.09},        {"Algorab", 12.4977, -16.516, 2.95, -0.05},
        {"Albireo", 19.5120, 27.960, 3.08, 1.13},        {"Megrez", 12.2571, 57.033, 3.31, 0.08},
        {"Segin", 1.9066, 63.670, 3.37, -0.15},
    };
    std::stable_sort(stars.begin(), stars.end(),
                     [](const NamedStar& a, const NamedStar& b) { return a.magnitude < b.magnitude; });
    return stars;
  }();
  return table;
}

double StarsBrighterThan(double magnitude) { return std::pow(10.0, 0.5 * magnitude + 0.68); }

double GalacticLatitudeDeg(double raDeg, double decDeg) {
  static const Vec3d galacticPole = EquatorialDirection(kGalacticPoleRaDeg, kGalacticPoleDecDeg);
  return std::asin(std::clamp(Dot(EquatorialDirection(raDeg, decDeg), galacticPole), -1.0, 1.0)) / kDegree;
}

std::vector<CatalogueStar> SynthesizeStars(uint32_t seed) {
  std::vector<CatalogueStar> stars;
  for (const NamedStar& named : BrightStars())
    stars.push_back(CatalogueStar{named.decDeg, named.raHours, named.magnitude, named.colourIndex});
  const size_t tableStars = stars.size();
  RandomStream random(uint64_t{seed} * 0x9E3779B97F4A7C15ull + kStarStreamSalt);
  size_t tableAtOrBelow = 0;  // table stars up to the current step's upper edge
  size_t drawn = 0;
  const int steps = static_cast<int>(std::lround((kFaintestStarMagnitude - kDrawnFromMagnitude) / kMagnitudeStep));
  for (int step = 0; step < steps; ++step) {
    const double low = kDrawnFromMagnitude + step * kMagnitudeStep, high = low + kMagnitudeStep;
    while (tableAtOrBelow < tableStars && stars[tableAtOrBelow].magnitude < high) ++tableAtOrBelow;
    // Fill up to the count law; where the table already holds more, draw none.
    const double wanted = std::round(StarsBrighterThan(high)) - static_cast<double>(tableAtOrBelow + drawn);
    for (int k = 0; k < wanted; ++k) {
      stars.push_back(DrawStar(random, random.Uniform(low, high)));
      ++drawn;
    }
  }
  std::stable_sort(stars.begin(), stars.end(),
                   [](const CatalogueStar& a, const CatalogueStar& b) { return a.magnitude < b.magnitude; });
  return stars;
}
