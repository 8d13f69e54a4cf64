// The landform tables, the marker file reader and the profile shapes.
#include "tools/mkdata/landforms.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>

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

const std::vector<std::vector<TroughPoint>>& VallesMarinerisTroughs() {
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
  };
  return troughs;
}

std::vector<Landform> CratersFromMarkers(const std::vector<Marker>& markers) {
  // Rim diameters (km) of the large craters xplanet names; depth and rim scale gently with size.
  struct KnownCrater {
    const char* name;
    double diameterKm;
  };
  static const KnownCrater known[] = {
      {"Schiaparelli", 461.0}, {"Huygens", 467.0},   {"Cassini", 415.0},    {"Tikhonravov", 386.0},
      {"Antoniadi", 394.0},    {"Schroeter", 292.0}, {"Herschel", 298.0},   {"Koval'sky", 309.0},
      {"Copernicus", 294.0},   {"Newton", 298.0},
  };
  std::vector<Landform> craters;
  for (const Marker& marker : markers)
    for (const KnownCrater& crater : known)
      if (marker.name == crater.name) {
        const double depth = 1200.0 + 2.0 * crater.diameterKm;
        craters.push_back(Landform{marker.name, LandformKind::Crater, marker.latDeg, marker.lonDeg,
                                   crater.diameterKm / 2.0, depth, 0.3 * depth, 0.0, 0.0});
      }
  return craters;
}

bool ReadMarkers(const std::string& path, bool westLongitudes, std::vector<Marker>& markers, std::string& error) {
  FILE* file = std::fopen(path.c_str(), "r");
  if (!file) {
    error = "cannot open the marker file " + path + ": " + std::strerror(errno);
    return false;
  }
  markers.clear();
  char line[512];
  for (unsigned number = 1; std::fgets(line, sizeof line, file); ++number) {
    const char* p = line + std::strspn(line, " \t\r\n");
    if (*p == '\0' || *p == '#') continue;
    Marker marker;
    int used = 0;
    // xplanet separates the two numbers with blanks, once with a comma.
    if (std::sscanf(p, "%lf%*[ \t,]%lf%n", &marker.latDeg, &marker.lonDeg, &used) != 2 ||
        !(std::fabs(marker.latDeg) <= 90.0) || !(std::fabs(marker.lonDeg) <= 360.0)) {
      error = path + " line " + std::to_string(number) + " is not a marker (latitude, longitude, \"name\")";
      std::fclose(file);
      return false;
    }
    const char* open = std::strchr(p + used, '"');
    const char* close = open ? std::strchr(open + 1, '"') : nullptr;
    if (close) marker.name.assign(open + 1, close);
    marker.lonDeg = WrapLongitude(westLongitudes ? -marker.lonDeg : marker.lonDeg);
    markers.push_back(marker);
  }
  std::fclose(file);
  return true;
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

double RimProfile(double t) {
  if (t < 1.0) return Smoothstep(0.7, 1.0, t);
  const double outside = (t - 1.0) / 0.5;
  return outside >= 1.0 ? 0.0 : (1.0 - outside) * (1.0 - outside);
}
