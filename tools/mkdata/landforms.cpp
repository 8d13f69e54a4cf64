// The landform tables and the profile shapes.
#include "tools/mkdata/landforms.h"

#include <algorithm>
#include <cmath>

namespace {

// Craters from this diameter up have flat floors and central peaks; from the second on, peak
// rings and worn floors instead of a single peak.
constexpr double kComplexCraterKm = 15.0, kPeakRingCraterKm = 150.0;

}  // namespace

const std::vector<Landform>& NamedLandforms() {
  // Heights are metres above the areoid, as MOLA measures them. Radii are half the widths across.
  static const std::vector<Landform> table = {
      {"Olympus Mons", LandformKind::Shield, 18.65, 226.2, 300.0, 21900.0, 6000.0, 40.0, 2800.0},
      {"Ascraeus Mons", LandformKind::Shield, 11.9, 255.9, 230.0, 18200.0, 0.0, 28.0, 2500.0},
      {"Pavonis Mons", LandformKind::Shield, 1.5, 247.0, 190.0, 15000.0, 0.0, 25.0, 2000.0},
      {"Arsia Mons", LandformKind::Shield, -8.3, 239.1, 220.0, 17800.0, 0.0, 55.0, 1400.0},
      {"Alba Mons", LandformKind::Shield, 40.5, 250.4, 900.0, 6800.0, 0.0, 30.0, 400.0},
      {"Elysium Mons", LandformKind::Shield, 25.0, 147.2, 140.0, 12600.0, 0.0, 7.0, 300.0},
      {"Hecates Tholus", LandformKind::Shield, 32.1, 150.2, 90.0, 4800.0, 0.0, 6.0, 300.0},
      {"Albor Tholus", LandformKind::Shield, 18.8, 150.4, 80.0, 4500.0, 0.0, 15.0, 1000.0},
      {"Hellas Planitia", LandformKind::Basin, -42.4, 70.5, 1150.0, -7200.0, 1400.0, 0.0, 0.0},
      {"Argyre Planitia", LandformKind::Basin, -49.7, 316.0, 900.0, -4000.0, 1500.0, 0.0, 0.0},
      {"Isidis Planitia", LandformKind::Basin, 12.9, 87.0, 750.0, -3900.0, 800.0, 0.0, 0.0},
      {"Utopia Planitia", LandformKind::Basin, 49.7, 118.0, 1650.0, -4700.0, 0.0, 0.0, 0.0},
      {"Planum Boreum", LandformKind::Cap, 90.0, 0.0, 600.0, 2800.0, 0.0, 0.0, 0.0},
      {"Planum Australe", LandformKind::Cap, -86.5, 330.0, 650.0, 3000.0, 0.0, 0.0, 0.0},
  };
  return table;
}

const std::vector<std::vector<TroughPoint>>& CanyonsAndChannels() {
  static const std::vector<std::vector<TroughPoint>> troughs = {
      // Ius, Melas and Coprates Chasmata to Eos Chasma and the chaos regions beyond.
      {{-7.0, 260.5, 12.0, 4000.0, 0.0},
       {-7.2, 270.0, 25.0, 5500.0, 0.0},
       {-8.0, 277.0, 30.0, 6500.0, 0.0},
       {-9.8, 283.5, 75.0, 6000.0, 0.0},
       {-11.5, 290.0, 60.0, 6500.0, 0.0},
       {-13.0, 296.0, 35.0, 7000.0, 0.0},
       {-13.9, 300.8, 35.0, 6800.0, 0.0},
       {-14.3, 306.0, 40.0, 6200.0, 0.1},
       {-14.8, 312.0, 65.0, 5500.0, 0.3},
       {-15.0, 317.0, 120.0, 4500.0, 0.8},
       {-15.0, 322.0, 130.0, 4000.0, 1.0},
       {-12.0, 327.0, 90.0, 3500.0, 1.0}},
      // Ophir and Candor Chasmata, north of Melas.
      {{-4.0, 283.0, 30.0, 6000.0, 0.0}, {-6.5, 289.0, 45.0, 6500.0, 0.0}, {-8.5, 292.0, 25.0, 5500.0, 0.0}},
      // Hebes Chasma, closed on every side.
      {{-0.8, 279.5, 20.0, 5000.0, 0.0}, {-1.2, 287.0, 25.0, 5000.0, 0.0}},
      // Ganges Chasma into the chaos of Hydraotes and Aurorae.
      {{-6.5, 307.5, 30.0, 5000.0, 0.2}, {-8.0, 313.0, 40.0, 4800.0, 0.5}, {-9.5, 318.5, 60.0, 4000.0, 1.0}},
      // Kasei Valles: from Echus Chasma north along the edge of Tharsis, then east into Chryse.
      {{0.5, 280.5, 25.0, 2500.0, 0.0},
       {8.0, 283.0, 35.0, 2800.0, 0.0},
       {17.0, 285.5, 60.0, 2500.0, 0.0},
       {23.0, 291.0, 70.0, 2200.0, 0.0},
       {25.5, 300.0, 60.0, 2000.0, 0.0},
       {24.0, 308.0, 45.0, 1400.0, 0.0},
       {21.5, 313.0, 35.0, 800.0, 0.0}},
      // Ares Vallis: out of Iani Chaos north-west into Chryse.
      {{-2.5, 342.0, 80.0, 2500.0, 1.0},
       {2.0, 340.5, 40.0, 1800.0, 0.3},
       {7.0, 338.0, 25.0, 1500.0, 0.0},
       {12.0, 335.0, 20.0, 1200.0, 0.0},
       {17.5, 329.5, 25.0, 800.0, 0.0}},
      // Ma'adim Vallis, cut through the highlands, ending in Gusev.
      {{-28.5, 182.5, 8.0, 1500.0, 0.0}, {-23.0, 182.0, 10.0, 2000.0, 0.0}, {-18.5, 179.0, 11.0, 2000.0, 0.0},
       {-15.8, 176.8, 10.0, 1200.0, 0.0}},
  };
  return troughs;
}

Landform CraterLandform(const char* name, double latDeg, double lonDeg, double diameterKm, double freshness) {
  // Rim-to-floor depth of fresh Martian craters: about a fifth of the diameter for simple bowls,
  // 0.36 D^0.49 km for complex craters (the two laws cross near 3 km). A quarter of it is the
  // raised rim, the rest lies below the surroundings.
  const double rimToFloorM = 1000.0 * std::min(0.2 * diameterKm, 0.36 * std::pow(diameterKm, 0.49)) * freshness;
  Landform crater{name, LandformKind::Crater, latDeg, lonDeg, diameterKm / 2.0, 0.75 * rimToFloorM,
                  0.25 * rimToFloorM, 0.0, 0.0};
  // Central peaks from about 15 km up; the largest craters have rings and worn floors instead.
  if (diameterKm >= kComplexCraterKm && diameterKm < kPeakRingCraterKm) {
    crater.peakKm = 0.12 * crater.radiusKm;
    crater.peakM = 0.3 * rimToFloorM;
  }
  return crater;
}

const std::vector<Landform>& NamedCraters() {
  struct Entry {
    const char* name;
    double latDeg, lonDeg, diameterKm;
    double freshness;  // the old highland craters are worn and filled to less than half their depth
  };
  static const Entry entries[] = {
      {"Huygens", -14.0, 55.6, 467.0, 0.4},      {"Schiaparelli", -2.7, 16.7, 461.0, 0.35},
      {"Greeley", -37.1, 3.1, 445.0, 0.35},      {"Cassini", 23.8, 32.1, 415.0, 0.4},
      {"Antoniadi", 21.5, 60.8, 394.0, 0.35},    {"Tikhonravov", 13.5, 35.9, 386.0, 0.3},
      {"Kovalsky", -30.2, 218.6, 309.0, 0.4},    {"Herschel", -14.5, 130.1, 304.0, 0.45},
      {"Newton", -40.5, 201.9, 298.0, 0.5},      {"Copernicus", -49.2, 190.8, 294.0, 0.45},
      {"Schroeter", -1.9, 56.4, 292.0, 0.4},     {"Flaugergues", -16.8, 19.2, 245.0, 0.4},
      {"Lyot", 50.8, 29.3, 236.0, 0.75},         {"Secchi", -58.3, 102.1, 234.0, 0.45},
      {"Kepler", -47.1, 141.0, 233.0, 0.45},     {"Galle", -50.6, 329.1, 230.0, 0.55},
      {"Kaiser", -46.2, 19.1, 207.0, 0.55},      {"Lowell", -52.3, 278.8, 203.0, 0.6},
      {"Dawes", -9.2, 38.0, 180.0, 0.5},         {"Molesworth", -27.8, 149.2, 175.0, 0.45},
      {"Wallace", -52.8, 110.8, 173.0, 0.5},     {"Henry", 10.9, 23.3, 171.0, 0.5},
      {"Mariner", -34.6, 195.9, 170.0, 0.5},     {"Proctor", -48.0, 30.4, 168.0, 0.5},
      {"Gusev", -14.5, 175.4, 166.0, 0.45},      {"Denning", -17.7, 33.6, 165.0, 0.5},
      {"Terby", -27.6, 73.9, 164.0, 0.5},        {"Ptolemaeus", -46.2, 202.4, 164.0, 0.5},
      {"Gale", -5.4, 137.8, 154.0, 0.9},         {"Holden", -26.0, 325.9, 154.0, 0.65},
      {"Arago", 10.2, 29.9, 152.0, 0.5},         {"Bakhuysen", -23.0, 15.8, 150.0, 0.6},
      {"Hale", -35.7, 323.6, 150.0, 0.75},       {"Trouvelot", 16.2, 346.9, 149.0, 0.5},
      {"Le Verrier", -38.0, 17.0, 140.0, 0.55},  {"Hooke", -45.0, 315.6, 138.0, 0.55},
      {"Moreux", 41.8, 44.4, 138.0, 0.6},        {"Lomonosov", 64.9, 350.9, 131.0, 0.6},
      {"Madler", -11.0, 2.7, 125.0, 0.5},        {"Columbus", -29.8, 193.9, 119.0, 0.6},
      {"Milankovic", 54.7, 213.3, 118.0, 0.7},   {"Boeddicker", -15.0, 162.4, 109.0, 0.6},
      {"Rabe", -43.6, 34.8, 108.0, 0.6},         {"Mie", 48.5, 139.6, 104.0, 0.7},
      {"Pettit", 12.2, 186.1, 95.0, 0.75},       {"Korolev", 73.0, 164.5, 81.0, 0.9},
      {"Eberswalde", -24.0, 326.5, 65.0, 0.6},   {"Stokes", 55.6, 171.1, 64.0, 0.9},
      {"Mojave", 7.5, 327.0, 58.0, 1.0},         {"Jezero", 18.4, 77.5, 49.0, 0.8},
      {"Tooting", 23.2, 207.8, 29.0, 1.0},       {"Endeavour", -2.3, 354.8, 22.0, 0.6},
  };
  static const std::vector<Landform> table = [] {
    std::vector<Landform> craters;
    for (const Entry& e : entries) {
      Landform crater = CraterLandform(e.name, e.latDeg, e.lonDeg, e.diameterKm, e.freshness);
      // Gale's floor holds Aeolis Mons, a mound of layered sediment some 5 km above the floor
      // and nearly half the crater's width.
      if (crater.name == "Gale") {
        crater.peakKm = 0.45 * crater.radiusKm;
        crater.peakM = 4500.0;
      }
      craters.push_back(crater);
    }
    return craters;
  }();
  return table;
}

double ShieldProfile(double t, double escarpment) {
  if (t >= 1.0 + (escarpment > 0.0 ? 0.06 : 0.0)) return 0.0;
  if (escarpment > 0.0) {
    if (t >= 1.0) return escarpment * (1.0 - Smoothstep(1.0, 1.06, t));
    return escarpment + (1.0 - escarpment) * (1.0 - std::pow(t, 1.3));
  }
  // Concave flanks that steepen towards the summit, as the Tharsis shields have.
  const double u = 1.0 - t;
  return u * u * (1.0 + 0.8 * t);
}

double BowlWeight(double t) { return 1.0 - Smoothstep(0.5, 1.0, t); }

double SimpleBowlWeight(double t) { return t >= 1.0 ? 0.0 : 1.0 - t * t; }

double RimProfile(double t) {
  if (t < 1.0) return Smoothstep(0.7, 1.0, t);
  const double outside = (t - 1.0) / 0.5;
  return outside >= 1.0 ? 0.0 : (1.0 - outside) * (1.0 - outside);
}

double PolarTroughShare(const Landform& cap, double t, double lonDeg) {
  if (t >= 1.0) return 0.0;
  const double turn = (cap.latDeg > 0.0 ? 1.0 : -1.0) * 14.0 * t;
  return Smoothstep(0.8, 0.95, std::cos(3.0 * lonDeg * kDegree + turn)) * Smoothstep(0.15, 0.3, t) *
         (1.0 - Smoothstep(0.75, 0.95, t));
}
