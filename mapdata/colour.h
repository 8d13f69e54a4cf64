// Colour conversions used by the terraform and sea derivations and by the GL set-up.
#pragma once

#include "mapdata/map_formats.h"

struct Hsv {
  float h;  // degrees, [0, 360)
  float s;  // [0, 1]
  float v;  // [0, 1]
};

struct Rgb {
  float r, g, b;  // [0, 1]
};

// Channels in [0, 1]; the hue is 0 for greys.
Hsv RgbToHsv(float r, float g, float b);
// A hue outside [0, 360] gives black.
Rgb HsvToRgb(float h, float s, float v);
// Per channel the integer part of a * t + b * (1 - t); the result's alpha is 0 (callers set it).
Colour BlendRgb(Colour a, Colour b, float t);
