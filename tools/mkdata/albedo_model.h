// The synthesized present-day colours: an albedo map of the builder's own making with Mars' classic
// dark regions (Syrtis Major, Sinus Sabaeus and Meridiani, the southern maria, Acidalium, Utopia's
// dark collar) and bright dusty ones (Tharsis, Arabia, Elysium, Amazonis, the Hellas and Argyre
// floors) at their real places, the polar ice and layered deposits, a rusty base colour that
// varies with height and latitude, and fine detail that follows the synthesized relief.
#pragma once

#include <cstdint>
#include <vector>

#include "mapdata/map_formats.h"
#include "tools/mkdata/relief_model.h"

// The broad albedo, sampled every quarter degree (its features are hundreds of km across; nodes
// interpolate it and add their own ragged coasts and fine detail).
struct AlbedoModel {
  uint32_t seed = 0;
  // What the albedo is made from, each a grid with column 0 at longitude 0, row 0 at the south
  // pole: the drivers of the dark and the bright regions (thresholded per node, after finer coast
  // noise, so coasts stay crisp on every level), the base albedo and the regions' patchiness.
  std::vector<float> dark, bright, base, patches;
  Landform northCap, southCap;     // the polar plateaus of the relief, for the ice and layers
};

// Built once on `threads` threads; the result depends on the seed alone.
void MakeAlbedoModel(uint32_t seed, unsigned threads, AlbedoModel& model);

// The broad albedo at a latitude and east longitude (0: the darkest maria, 1: the brightest dust),
// without the detail that AlbedoColour adds per node.
double BroadAlbedo(const AlbedoModel& model, double latDeg, double lonDeg);

// Present-day colour of a node at heightM above the areoid, alpha 255 (the renderer's alpha tests
// show a present-day fragment only above 0.9 of full scale). detail tells where the node lies
// among the landforms; detail finer than twice nodeSpacingKm is left out.
Colour AlbedoColour(const AlbedoModel& model, double latDeg, double lonDeg, double heightM,
                    const ReliefDetail& detail, double nodeSpacingKm);
