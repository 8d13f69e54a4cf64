// The star files: stars in J2000 equatorial coordinates (synthesized by star_field.h, or a plain
// list of declination, right ascension in hours and visual magnitude that the user imports),
// turned into the planet frame of the data files, coloured, and split into the bright and the dim
// star file.
#pragma once

#include <string>
#include <vector>

#include "mapdata/map_formats.h"

// A colour index that shows as plain white (an early F star); stars listed without one get it.
constexpr double kWhiteColourIndex = 0.35;

struct CatalogueStar {
  double decDeg;     // declination, degrees
  double raHours;    // right ascension, hours
  double magnitude;  // visual magnitude
  double colourIndex = kWhiteColourIndex;  // B - V
};

// Mars' north pole in J2000 equatorial coordinates (IAU).
constexpr double kMarsPoleRaDeg = 317.681;
constexpr double kMarsPoleDecDeg = 52.887;
// Stars up to this magnitude go to the bright file (drawn as 2-pixel points), the rest to the dim one.
constexpr double kBrightStarLimit = 3.5;
// The faintest stars a data set's sky keeps from the real catalogue: what the eye sees on a dark night.
constexpr double kFaintestSkyStar = 6.5;

// Reads a star list: per line declination (degrees), right ascension (hours), visual magnitude and
// optionally the B - V colour index, separated by blanks, anything after them ignored; comment
// lines (#) and blank lines are skipped.
// False with a one-line message (naming the line) on a missing file or a line that is not a star.
bool ReadStarList(const std::string& path, std::vector<CatalogueStar>& stars, std::string& error);

struct PlanetSkyAngles {
  double elevationDeg;  // above Mars' equatorial plane, like a latitude
  double azimuthDeg;    // about Mars' polar axis, eastward like a longitude, in [0, 360)
};

// Equatorial J2000 coordinates in the planet frame: the polar axis is Mars' pole; azimuth 0 is
// the ascending node of Mars' equator on the Earth's equator (right ascension 317.681 + 90).
PlanetSkyAngles EquatorialToPlanet(double raDeg, double decDeg);

// Brightness (the largest of R, G, B, and alpha) falling with magnitude from full at Sirius, the
// faintest stars still visible; the hue from the colour index, from pale blue through white to
// pale orange.
Colour StarColour(double magnitude, double colourIndex);

// Star records for both files, in the order given.
void MakeStarRecords(const std::vector<CatalogueStar>& stars, std::vector<StarRecord>& bright,
                     std::vector<StarRecord>& dim);
