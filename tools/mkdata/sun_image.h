// The sun picture (sun.hex): a 64 x 64 RGBA disc of the builder's own making, limb-darkened, in a
// soft glow whose alpha falls to 0 at the picture's edge. The sky pass draws it on a square about
// two degrees across its diagonal, blended by alpha.
#pragma once

#include <vector>

#include "mapdata/map_formats.h"

std::vector<Colour> MakeSunImage();
