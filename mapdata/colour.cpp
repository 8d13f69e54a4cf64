// HSV conversions and the byte blend of the map data derivations.
#include "mapdata/colour.h"

#include "math/vector_math.h"

Hsv RgbToHsv(float r, float g, float b) {
  float max = r > g ? r : g;
  if (b > max) max = b;
  float min = r < g ? r : g;
  if (b < min) min = b;
  Hsv out{0.0f, 0.0f, max};
  out.s = IsNonZero(max) ? (max - min) / max : 0.0f;
  if (!IsNonZero(out.s)) return out;
  const float d = max - min;
  if (max == r) {
    out.h = 60.0f * (g - b) / d;
    if (g < b) out.h += 360.0f;
  } else if (max == g) {
    out.h = 120.0f + 60.0f * (b - r) / d;
  } else {
    out.h = 240.0f + 60.0f * (r - g) / d;
  }
  return out;
}

Rgb HsvToRgb(float h, float s, float v) {
  if (!IsNonZero(s)) return {v, v, v};
  const float p = IsNonZero(v) ? v * (1.0f - s) : 0.0f;
  const float d = v - p;
  if (h < 0.0f) return {0.0f, 0.0f, 0.0f};
  if (h < 60.0f) return {v, p + d * h / 60.0f, p};
  if (h < 120.0f) return {p + d * (120.0f - h) / 60.0f, v, p};
  if (h < 180.0f) return {p, v, p + d * (h - 120.0f) / 60.0f};
  if (h < 240.0f) return {p, p + d * (240.0f - h) / 60.0f, v};
  if (h < 300.0f) return {p + d * (h - 240.0f) / 60.0f, p, v};
  if (h <= 360.0f) return {v, p, p + d * (360.0f - h) / 60.0f};
  return {0.0f, 0.0f, 0.0f};
}

Colour BlendRgb(Colour a, Colour b, float t) {
  const float u = 1.0f - t;
  return Colour{static_cast<uint8_t>(a.r * t + b.r * u), static_cast<uint8_t>(a.g * t + b.g * u),
                static_cast<uint8_t>(a.b * t + b.b * u), 0};
}
