// The synthesized star field: the brightest real stars from the builder's own table, so that the
// constellations a person knows are in the sky, and several thousand fainter ones drawn from the
// seed down to magnitude 6.5, with the real growth of star counts with magnitude, crowding
// towards the Milky Way and a plausible spread of colours.
#pragma once

#include <cstdint>
#include <vector>

#include "tools/mkdata/star_catalogue.h"

struct NamedStar {
  const char* name;
  double raHours, decDeg;  // J2000
  double magnitude;        // visual
  double colourIndex;      // B - V
};

// The bright stars the table holds, in order of magnitude (Sirius first): every star to about
// magnitude 2.1 and the remaining stars of the familiar constellation figures.
const std::vector<NamedStar>& BrightStars();

constexpr double kFaintestStarMagnitude = 6.5;
// Below this magnitude the table alone gives the stars; from it on the drawn ones fill each
// tenth of a magnitude up to the count law.
constexpr double kDrawnFromMagnitude = 2.0;
// The galactic north pole in J2000 equatorial coordinates (IAU).
constexpr double kGalacticPoleRaDeg = 192.85948, kGalacticPoleDecDeg = 27.12825;

// Whole-sky count of stars at or brighter than a magnitude: log10 N = 0.5 m + 0.68, which gives
// the naked-eye counts (about 150 to magnitude 3, 1,500 to 5, 8,500 to 6.5).
double StarsBrighterThan(double magnitude);

// The table and the drawn stars together, brightest first.
std::vector<CatalogueStar> SynthesizeStars(uint32_t seed);

// Galactic latitude (degrees) of an equatorial direction.
double GalacticLatitudeDeg(double raDeg, double decDeg);
