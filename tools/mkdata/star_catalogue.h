// The star files: the Yale Bright Star Catalogue as xplanet packages it (declination, right
// ascension in hours and visual magnitude per line, J2000), turned into the planet frame of the
// data files and split into the bright and the dim star file.
#pragma once

#include <string>
#include <vector>

#include "mapdata/map_formats.h"

struct CatalogueStar {
  double decDeg;     // declination, degrees
  double raHours;    // right ascension, hours
  double magnitude;  // visual magnitude
};

// Mars' north pole in J2000 equatorial coordinates (IAU).
constexpr double kMarsPoleRaDeg = 317.681;
constexpr double kMarsPoleDecDeg = 52.887;
// Stars up to this magnitude go to the bright file (drawn as 2-pixel points), the rest to the dim one.
constexpr double kBrightStarLimit = 3.5;

// Reads every star of the catalogue; comment lines (#) and blank lines are skipped. False with a
// one-line message (naming the line) on a missing file or a line that is not a star.
bool ReadStarCatalogue(const std::string& path, std::vector<CatalogueStar>& stars, std::string& error);

struct PlanetSkyAngles {
  double elevationDeg;  // above Mars' equatorial plane, like a latitude
  double azimuthDeg;    // about Mars' polar axis, eastward like a longitude, in [0, 360)
};

// Equatorial J2000 coordinates in the planet frame: the polar axis is Mars' pole; azimuth 0 is
// the ascending node of Mars' equator on the Earth's equator (right ascension 317.681 + 90).
PlanetSkyAngles EquatorialToPlanet(double raDeg, double decDeg);

// White, with R, G, B and alpha falling with magnitude; the faintest stars stay visible.
Colour StarColour(double magnitude);

// Star records for both files, in catalogue order.
void MakeStarRecords(const std::vector<CatalogueStar>& stars, std::vector<StarRecord>& bright,
                     std::vector<StarRecord>& dim);
