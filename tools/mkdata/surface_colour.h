// Present-day node colours from a colour map the user imports (--colour-map): bilinear samples,
// brightened and darkened by the relief's fine detail where the nodes are finer than the map,
// alpha 255 (the renderer's alpha tests show a present-day fragment only above 0.9 of full scale).
// Without one, albedo_model.h synthesizes the colours.
#pragma once

#include "mapdata/map_formats.h"
#include "tools/mkdata/source_image.h"

struct ColourMapSampler {
  const SourceImage* map = nullptr;  // RGB, equirectangular
  double north[3] = {}, south[3] = {};  // mean colours of the map's top and bottom pixel rows
};

ColourMapSampler MakeColourSampler(const SourceImage& map);

// fineDetail in [-1, 1] from the relief (0: the map's colour as it is). A pole node takes the mean
// of the map's edge row, since the map's whole edge row is that one point.
Colour SurfaceColour(const ColourMapSampler& sampler, double latDeg, double lonDeg, double fineDetail);
