// make_pictures: draws the help picture, the preview picture, the icon and the overlay font's
// glyph bitmaps at build time with FreeType, and writes them for both builds: .bmp and .ico files
// for the Windows resource script, and embedded_pictures.cpp for the Linux program. The help
// picture and the font are drawn at each overlay scale (1x and 2x) from the fonts themselves.
//
// Usage: make_pictures BOLD_FONT REGULAR_FONT OUTPUT_FOLDER
#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "resources/help_layout.h"
#include "resources/pictures.h"
#include "resources/pixel_runs.h"

namespace {

[[noreturn]] void Fail(const std::string& message) {
  std::fprintf(stderr, "make_pictures: %s\n", message.c_str());
  std::exit(1);
}

// ---- Canvas: premultiplied RGBA in doubles, rows top first, composited with "over" ----------

struct Rgb {
  double r, g, b;
};

struct Canvas {
  int32_t width;
  int32_t height;
  std::vector<double> rgba;  // premultiplied, 4 per pixel
};

Canvas MakeCanvas(int32_t width, int32_t height) {
  return Canvas{width, height, std::vector<double>(size_t(width) * height * 4, 0.0)};
}

Rgb ToRgb(HelpColour c) { return Rgb{c.r / 255.0, c.g / 255.0, c.b / 255.0}; }

void Over(Canvas& canvas, int32_t x, int32_t y, Rgb colour, double alpha) {
  if (x < 0 || y < 0 || x >= canvas.width || y >= canvas.height || alpha <= 0.0) return;
  double* p = &canvas.rgba[(size_t(y) * canvas.width + x) * 4];
  const double keep = 1.0 - alpha;
  p[0] = colour.r * alpha + p[0] * keep;
  p[1] = colour.g * alpha + p[1] * keep;
  p[2] = colour.b * alpha + p[2] * keep;
  p[3] = alpha + p[3] * keep;
}

uint8_t ToByte(double v) { return uint8_t(std::lround(std::clamp(v, 0.0, 1.0) * 255.0)); }

// B, G, R, A bytes with straight (not premultiplied) colour, first row at the bottom; fully
// transparent pixels are stored as zeros.
std::vector<uint8_t> BgraBottomUp(const Canvas& canvas) {
  std::vector<uint8_t> out(size_t(canvas.width) * canvas.height * 4);
  for (int32_t y = 0; y < canvas.height; ++y) {
    for (int32_t x = 0; x < canvas.width; ++x) {
      const double* p = &canvas.rgba[(size_t(y) * canvas.width + x) * 4];
      uint8_t* q = &out[(size_t(canvas.height - 1 - y) * canvas.width + x) * 4];
      const uint8_t alpha = ToByte(p[3]);
      if (alpha == 0) {
        q[0] = q[1] = q[2] = q[3] = 0;
        continue;
      }
      q[0] = ToByte(p[2] / p[3]);
      q[1] = ToByte(p[1] / p[3]);
      q[2] = ToByte(p[0] / p[3]);
      q[3] = alpha;
    }
  }
  return out;
}

// ---- Text --------------------------------------------------------------------------------------

FT_Library gFreeType = nullptr;

FT_Face OpenFont(const std::string& path) {
  FT_Face face = nullptr;
  if (FT_New_Face(gFreeType, path.c_str(), 0, &face) != 0) Fail("cannot open font '" + path + "'");
  return face;
}

void SetSize(FT_Face face, int32_t pixels) {
  if (FT_Set_Pixel_Sizes(face, 0, FT_UInt(pixels)) != 0) Fail("font cannot be set to " + std::to_string(pixels) + " pixels");
}

FT_GlyphSlot LoadGlyph(FT_Face face, uint32_t code, FT_Int32 flags) {
  if (FT_Load_Char(face, code, flags) != 0) Fail("font has no usable glyph for character " + std::to_string(code));
  return face->glyph;
}

int32_t TextWidth(FT_Face face, const char* text) {
  int32_t width = 0;
  for (const char* c = text; *c; ++c) width += int32_t(LoadGlyph(face, uint8_t(*c), FT_LOAD_DEFAULT)->advance.x >> 6);
  return width;
}

// Anti-aliased text with its pen starting at (x, baseline); glyph coverage composited over what
// is there, so the text itself is opaque and only its edges blend.
void DrawText(Canvas& canvas, FT_Face face, int32_t x, int32_t baseline, const char* text, Rgb colour) {
  for (const char* c = text; *c; ++c) {
    const FT_GlyphSlot glyph = LoadGlyph(face, uint8_t(*c), FT_LOAD_RENDER);
    const FT_Bitmap& bitmap = glyph->bitmap;
    if (bitmap.pixel_mode != FT_PIXEL_MODE_GRAY) Fail("font renders no grey-level bitmaps");
    for (uint32_t row = 0; row < bitmap.rows; ++row)
      for (uint32_t col = 0; col < bitmap.width; ++col)
        Over(canvas, x + glyph->bitmap_left + int32_t(col), baseline - glyph->bitmap_top + int32_t(row), colour,
             bitmap.buffer[row * bitmap.pitch + col] / 255.0);
    x += int32_t(glyph->advance.x >> 6);
  }
}

// ---- The help picture --------------------------------------------------------------------------

// Coverage of a pixel by a rectangle with rounded corners: the signed distance from the pixel
// centre to the outline, turned into a one-pixel soft edge (straight edges on whole pixels stay
// crisp).
double RoundedRectCoverage(double px, double py, double left, double top, double right, double bottom, double radius) {
  const double cx = (left + right) / 2, cy = (top + bottom) / 2;
  const double qx = std::fabs(px - cx) - ((right - left) / 2 - radius);
  const double qy = std::fabs(py - cy) - ((bottom - top) / 2 - radius);
  const double outside = std::hypot(std::max(qx, 0.0), std::max(qy, 0.0));
  const double distance = outside + std::min(std::max(qx, qy), 0.0) - radius;
  return std::clamp(0.5 - distance, 0.0, 1.0);
}

// The help picture at an overlay scale: every length of the layout (picture, margin, frame,
// corners, text sizes, baselines, columns) times the scale's factor, the text drawn by FreeType
// at that size rather than the 1x pixels enlarged.
Canvas DrawHelpPicture(FT_Face bold, FT_Face regular, OverlayScale scale) {
  const int32_t f = kOverlayScaleFactor[scale];
  const int32_t width = HelpWidthAt(scale), height = HelpHeightAt(scale);
  Canvas canvas = MakeCanvas(width, height);
  const Rgb panel = ToRgb(kHelpPanelColour);
  const double panelAlpha = kHelpPanelAlpha / 255.0;
  const double outer = kHelpMargin * f, inner = (kHelpMargin + kHelpFrameWidth) * f;
  const double outerRadius = kHelpCornerRadius * f, innerRadius = (kHelpCornerRadius - kHelpFrameWidth) * f;
  for (int32_t y = 0; y < height; ++y) {
    for (int32_t x = 0; x < width; ++x) {
      const double px = x + 0.5, py = y + 0.5;
      const double frame = RoundedRectCoverage(px, py, outer, outer, width - outer, height - outer, outerRadius);
      const double inside = RoundedRectCoverage(px, py, inner, inner, width - inner, height - inner, innerRadius);
      Over(canvas, x, y, panel, (frame - inside) + inside * panelAlpha);
    }
  }

  const Rgb white = ToRgb(kHelpWhite), yellow = ToRgb(kHelpYellow);
  SetSize(bold, kHelpTitleSize * f);
  DrawText(canvas, bold, (width - TextWidth(bold, kHelpTitle)) / 2, kHelpTitleBaseline * f, kHelpTitle, white);
  SetSize(bold, kHelpTextSize * f);
  SetSize(regular, kHelpTextSize * f);
  for (int32_t column = 0; column < kHelpColumnCount; ++column)
    DrawText(canvas, bold, kHelpColumnX[column] * f, kHelpHeadingBaseline * f, kHelpHeadings[column], white);
  for (int32_t row = 0; row < kHelpRowCount; ++row)
    for (int32_t column = 0; column < kHelpColumnCount; ++column)
      DrawText(canvas, regular, kHelpColumnX[column] * f, HelpRowBaseline(row) * f, kHelpRows[row].cells[column],
               column == kHelpActionColumn ? white : yellow);
  return canvas;
}

// ---- The globe of the preview picture and the icon ---------------------------------------------

struct Vec {
  double x, y, z;
};
Vec operator*(Vec v, double s) { return {v.x * s, v.y * s, v.z * s}; }
Vec operator+(Vec a, Vec b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
double Dot(Vec a, Vec b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
Vec Normalized(Vec v) { return v * (1.0 / std::sqrt(Dot(v, v))); }
Rgb Mix(Rgb a, Rgb b, double t) { return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t}; }
double SmoothStep(double edge0, double edge1, double v) {
  const double t = std::clamp((v - edge0) / (edge1 - edge0), 0.0, 1.0);
  return t * t * (3 - 2 * t);
}

// Value noise on a lattice, hashed so the pictures are the same on every build.
double LatticeValue(int32_t x, int32_t y, int32_t z) {
  uint32_t h = uint32_t(x) * 0x8da6b343u ^ uint32_t(y) * 0xd8163841u ^ uint32_t(z) * 0xcb1ab31fu;
  h ^= h >> 15;
  h *= 0x2c1b3c6du;
  h ^= h >> 12;
  h *= 0x297a2d39u;
  h ^= h >> 15;
  return (h & 0xffffff) / double(0x1000000);
}

double ValueNoise(Vec p) {
  const double fx = std::floor(p.x), fy = std::floor(p.y), fz = std::floor(p.z);
  const int32_t ix = int32_t(fx), iy = int32_t(fy), iz = int32_t(fz);
  const double tx = SmoothStep(0, 1, p.x - fx), ty = SmoothStep(0, 1, p.y - fy), tz = SmoothStep(0, 1, p.z - fz);
  double corner[2][2];
  for (int32_t dy = 0; dy < 2; ++dy)
    for (int32_t dz = 0; dz < 2; ++dz)
      corner[dy][dz] = LatticeValue(ix, iy + dy, iz + dz) +
                       (LatticeValue(ix + 1, iy + dy, iz + dz) - LatticeValue(ix, iy + dy, iz + dz)) * tx;
  const double near = corner[0][0] + (corner[1][0] - corner[0][0]) * ty;
  const double far = corner[0][1] + (corner[1][1] - corner[0][1]) * ty;
  return near + (far - near) * tz;
}

double Fractal(Vec p, int32_t octaves) {
  double sum = 0, amplitude = 1, total = 0;
  for (int32_t i = 0; i < octaves; ++i) {
    sum += ValueNoise(p) * amplitude;
    total += amplitude;
    amplitude *= 0.5;
    p = p * 2.03 + Vec{17.1, 3.7, 9.2};
  }
  return sum / total;
}

// Colour of the terraformed planet at a point of its unit sphere (planet frame, y to the north):
// rust and ochre land, a sea in the low ground, polar ice and a cloud layer.
Rgb SurfaceColour(Vec n, double* seaShine) {
  const double height = Fractal(n * 1.9 + Vec{4.0, 1.0, 7.0}, 6);
  const double seaLevel = 0.47;
  Rgb colour;
  *seaShine = 0;
  if (height < seaLevel) {
    const double depth = SmoothStep(0.0, 0.09, seaLevel - height);
    colour = Mix(Rgb{0.13, 0.40, 0.62}, Rgb{0.03, 0.12, 0.36}, depth);
    *seaShine = 1;
  } else {
    const double rise = SmoothStep(0.0, 0.22, height - seaLevel);
    const double grain = Fractal(n * 9.0, 3);
    colour = Mix(Rgb{0.55, 0.27, 0.14}, Rgb{0.82, 0.55, 0.35}, rise);
    colour = Mix(colour, Rgb{0.42, 0.20, 0.11}, SmoothStep(0.45, 0.75, grain) * 0.5);
  }
  const double latitude = std::asin(std::clamp(n.y, -1.0, 1.0)) * 57.29577951308232;
  const double ice = SmoothStep(70.0, 74.0, std::fabs(latitude) + (Fractal(n * 6.0, 3) - 0.5) * 14.0);
  colour = Mix(colour, Rgb{0.94, 0.95, 0.97}, ice);
  const double cloud = SmoothStep(0.52, 0.70, Fractal(n * 3.1 + Vec{11.0, 5.0, 2.0}, 6)) * 0.92;
  *seaShine *= (1 - cloud) * (1 - ice);
  return Mix(colour, Rgb{1.0, 1.0, 1.0}, cloud);
}

// The lit globe, sun from the upper left, with a thin blue rim of atmosphere; 4 x 4 samples a
// pixel. Over a black or transparent canvas.
void DrawGlobe(Canvas& canvas, double centreX, double centreY, double radius) {
  constexpr int32_t kSamples = 4;
  const Vec sun = Normalized(Vec{-0.55, 0.5, 0.68});
  const Vec halfway = Normalized(sun + Vec{0, 0, 1});
  const double tilt = 0.42, spin = 1.1;  // radians: show the north pole and a sea-rich side
  const double haloWidth = radius * 0.07 + 0.6;
  const Rgb haze{0.45, 0.66, 1.0};
  for (int32_t y = 0; y < canvas.height; ++y) {
    for (int32_t x = 0; x < canvas.width; ++x) {
      double r = 0, g = 0, b = 0, a = 0;
      for (int32_t sy = 0; sy < kSamples; ++sy) {
        for (int32_t sx = 0; sx < kSamples; ++sx) {
          const double u = (x + (sx + 0.5) / kSamples - centreX) / radius;
          const double v = (centreY - (y + (sy + 0.5) / kSamples)) / radius;
          const double d2 = u * u + v * v;
          if (d2 >= 1.0) {
            // Atmosphere beyond the limb, fading outwards and brighter on the day side.
            const double d = std::sqrt(d2);
            const double fade = 1.0 - (d - 1.0) * radius / haloWidth;
            if (fade <= 0) continue;
            const double day = std::clamp(0.25 + Dot(Vec{u / d, v / d, 0}, sun), 0.0, 1.0);
            const double glow = fade * fade * day * 0.8;
            r += haze.r * glow, g += haze.g * glow, b += haze.b * glow, a += glow;
            continue;
          }
          const Vec view{u, v, std::sqrt(1.0 - d2)};
          // Into the planet frame: tilt the north pole towards the viewer, then turn the globe.
          const Vec tilted{view.x, view.y * std::cos(tilt) + view.z * std::sin(tilt), -view.y * std::sin(tilt) + view.z * std::cos(tilt)};
          const Vec planet{tilted.x * std::cos(spin) + tilted.z * std::sin(spin), tilted.y,
                           -tilted.x * std::sin(spin) + tilted.z * std::cos(spin)};
          double seaShine = 0;
          Rgb colour = SurfaceColour(planet, &seaShine);
          const double diffuse = std::max(0.0, Dot(view, sun));
          const double light = 0.05 + 0.95 * std::pow(diffuse, 0.8);
          const double shine = seaShine * 0.45 * std::pow(std::max(0.0, Dot(view, halfway)), 30.0);
          const double rim = std::pow(1.0 - view.z, 3.0) * 0.45 * std::clamp(diffuse + 0.3, 0.0, 1.0);
          colour = Mix(Rgb{colour.r * light + shine, colour.g * light + shine, colour.b * light + shine}, haze, rim);
          r += colour.r, g += colour.g, b += colour.b, a += 1;
        }
      }
      const double n = kSamples * kSamples;
      a /= n;
      if (a <= 0) continue;
      // The samples are premultiplied already; Over wants the straight colour.
      Over(canvas, x, y, Rgb{std::min(r / n / a, 1.0), std::min(g / n / a, 1.0), std::min(b / n / a, 1.0)},
           std::min(a, 1.0));
    }
  }
}

void FillBlack(Canvas& canvas) {
  for (size_t i = 0; i < canvas.rgba.size(); i += 4) canvas.rgba[i + 3] = 1.0;
}

// A few faint stars, placed by the same hash as the terrain.
void DrawStars(Canvas& canvas) {
  for (int32_t i = 0; i < 14; ++i) {
    const int32_t x = int32_t(LatticeValue(i, 1, 2) * canvas.width);
    const int32_t y = int32_t(LatticeValue(i, 3, 4) * canvas.height * 0.8);
    Over(canvas, x, y, Rgb{0.8, 0.85, 1.0}, 0.25 + 0.5 * LatticeValue(i, 5, 6));
  }
}

Canvas DrawPreviewPicture(FT_Face bold) {
  Canvas canvas = MakeCanvas(kPreviewSize, kPreviewSize);
  FillBlack(canvas);
  DrawStars(canvas);
  DrawGlobe(canvas, kPreviewSize / 2.0, 41.0, 33.0);
  constexpr const char* kName = "Redsphere";
  SetSize(bold, 14);
  DrawText(canvas, bold, (kPreviewSize - TextWidth(bold, kName)) / 2, 92, kName, Rgb{1.0, 0.62, 0.42});
  return canvas;
}

Canvas DrawIconPicture(int32_t size) {
  Canvas canvas = MakeCanvas(size, size);
  DrawGlobe(canvas, size / 2.0, size / 2.0, size * 0.45);
  return canvas;
}

// ---- The overlay font --------------------------------------------------------------------------

struct Font {
  std::vector<FontGlyph> glyphs;
  std::vector<uint8_t> bits;
};

// One-bit glyphs, as wglUseFontBitmapsW makes them on Windows, at the scale's font height in
// pixels per em.
Font MakeOverlayFont(FT_Face bold, OverlayScale scale) {
  SetSize(bold, FontHeightAt(scale));
  Font font;
  for (int32_t code = 0; code < kFontGlyphCount; ++code) {
    FontGlyph glyph{0, 0, 0, 0, 0, uint32_t(font.bits.size())};
    const uint32_t character = CharacterOfCode(code);
    if (character != 0) {
      const FT_GlyphSlot slot = LoadGlyph(bold, character, FT_LOAD_RENDER | FT_LOAD_TARGET_MONO);
      const FT_Bitmap& bitmap = slot->bitmap;
      if (bitmap.pixel_mode != FT_PIXEL_MODE_MONO) Fail("font renders no one-bit bitmaps");
      if (bitmap.width > 255 || bitmap.rows > 255 || slot->bitmap_left < -128 || slot->bitmap_left > 127 ||
          slot->bitmap_top < -128 || slot->bitmap_top > 127 || (slot->advance.x >> 6) > 255)
        Fail("glyph of character " + std::to_string(character) + " is too large");
      glyph.width = uint8_t(bitmap.width);
      glyph.height = uint8_t(bitmap.rows);
      glyph.left = int8_t(slot->bitmap_left);
      glyph.top = int8_t(slot->bitmap_top);
      glyph.advance = uint8_t(slot->advance.x >> 6);
      const uint32_t rowBytes = (bitmap.width + 7) / 8;
      // FreeType's rows run top down; glBitmap's bottom up.
      for (int32_t row = int32_t(bitmap.rows) - 1; row >= 0; --row)
        for (uint32_t i = 0; i < rowBytes; ++i) font.bits.push_back(bitmap.buffer[row * bitmap.pitch + int32_t(i)]);
    }
    font.glyphs.push_back(glyph);
  }
  return font;
}

// ---- Output files ------------------------------------------------------------------------------

struct Output {
  std::string path;
  std::FILE* file;
};

Output Create(const std::string& folder, const char* name) {
  Output out{folder + "/" + name, nullptr};
  out.file = std::fopen(out.path.c_str(), "wb");
  if (!out.file) Fail("cannot write '" + out.path + "'");
  return out;
}

void Write(Output& out, const void* data, size_t size) {
  if (size && std::fwrite(data, 1, size, out.file) != size) Fail("cannot write '" + out.path + "'");
}

void Close(Output& out) {
  if (std::fclose(out.file) != 0) Fail("cannot write '" + out.path + "'");
}

void Put16(std::vector<uint8_t>& v, uint32_t value) {
  v.push_back(uint8_t(value));
  v.push_back(uint8_t(value >> 8));
}
void Put32(std::vector<uint8_t>& v, uint32_t value) {
  Put16(v, value & 0xffff);
  Put16(v, value >> 16);
}

// BITMAPINFOHEADER for a bottom-up BI_RGB bitmap of the given pixel height.
void PutInfoHeader(std::vector<uint8_t>& v, int32_t width, int32_t height, uint32_t bitsPerPixel, uint32_t imageBytes) {
  Put32(v, 40);
  Put32(v, uint32_t(width));
  Put32(v, uint32_t(height));
  Put16(v, 1);
  Put16(v, bitsPerPixel);
  Put32(v, 0);  // BI_RGB
  Put32(v, imageBytes);
  Put32(v, 2835);  // 72 dots per inch
  Put32(v, 2835);
  Put32(v, 0);
  Put32(v, 0);
}

// pixels: B, G, R, A rows in the order they are to be stored (the file's first row is the
// bitmap's bottom row). 24-bit files drop alpha; rows are padded to whole 32-bit words.
void WriteBmp(const std::string& folder, const char* name, const std::vector<uint8_t>& pixels, int32_t width,
              int32_t height, uint32_t bitsPerPixel) {
  const uint32_t pixelBytes = bitsPerPixel / 8;
  std::vector<uint8_t> data;
  for (int32_t y = 0; y < height; ++y) {
    for (int32_t x = 0; x < width; ++x) {
      const auto pixel = pixels.begin() + (ptrdiff_t(y) * width + x) * 4;
      data.insert(data.end(), pixel, pixel + pixelBytes);
    }
    while (data.size() % 4) data.push_back(0);
  }
  std::vector<uint8_t> head;
  head.push_back('B');
  head.push_back('M');
  Put32(head, uint32_t(14 + 40 + data.size()));
  Put32(head, 0);
  Put32(head, 14 + 40);
  PutInfoHeader(head, width, height, bitsPerPixel, uint32_t(data.size()));
  Output out = Create(folder, name);
  Write(out, head.data(), head.size());
  Write(out, data.data(), data.size());
  Close(out);
}

// An icon file of 32-bit images with alpha, each with the one-bit mask older Windows versions use.
void WriteIco(const std::string& folder, const char* name, const std::vector<int32_t>& sizes) {
  std::vector<std::vector<uint8_t>> images;
  for (int32_t size : sizes) {
    const std::vector<uint8_t> pixels = BgraBottomUp(DrawIconPicture(size));
    const uint32_t maskRow = uint32_t((size + 31) / 32 * 4);
    std::vector<uint8_t> image;
    PutInfoHeader(image, size, size * 2, 32, uint32_t(pixels.size() + maskRow * size));
    image.insert(image.end(), pixels.begin(), pixels.end());
    for (int32_t y = 0; y < size; ++y) {
      std::vector<uint8_t> row(maskRow, 0);
      for (int32_t x = 0; x < size; ++x)
        if (pixels[(size_t(y) * size + x) * 4 + 3] == 0) row[x / 8] |= uint8_t(0x80 >> (x % 8));
      image.insert(image.end(), row.begin(), row.end());
    }
    images.push_back(image);
  }
  std::vector<uint8_t> head;
  Put16(head, 0);
  Put16(head, 1);  // icon
  Put16(head, uint32_t(sizes.size()));
  uint32_t offset = uint32_t(6 + 16 * sizes.size());
  for (size_t i = 0; i < sizes.size(); ++i) {
    head.push_back(uint8_t(sizes[i]));
    head.push_back(uint8_t(sizes[i]));
    head.push_back(0);  // no palette
    head.push_back(0);
    Put16(head, 1);
    Put16(head, 32);
    Put32(head, uint32_t(images[i].size()));
    Put32(head, offset);
    offset += uint32_t(images[i].size());
  }
  Output out = Create(folder, name);
  Write(out, head.data(), head.size());
  for (const std::vector<uint8_t>& image : images) Write(out, image.data(), image.size());
  Close(out);
}

void WriteByteArray(Output& out, const char* declaration, const std::vector<uint8_t>& bytes) {
  std::string text = std::string(declaration) + " = {";
  for (size_t i = 0; i < bytes.size(); ++i) {
    if (i % 32 == 0) text += "\n";
    text += std::to_string(bytes[i]);
    text += ',';
  }
  text += "\n};\n\n";
  Write(out, text.data(), text.size());
}

// The pixel runs of resources/pixel_runs.h: a repeat for two or more equal pixels, pixels as they
// are in between. Unpacked again here, so a fault in either half stops the build.
std::vector<uint8_t> PackPixelRuns(const std::vector<uint8_t>& pixels) {
  const size_t count = pixels.size() / kRunPixelBytes;
  const auto same = [&](size_t a, size_t b) {
    return std::equal(&pixels[a * kRunPixelBytes], &pixels[(a + 1) * kRunPixelBytes], &pixels[b * kRunPixelBytes]);
  };
  std::vector<uint8_t> runs;
  size_t i = 0;
  while (i < count) {
    size_t repeat = 1;
    while (i + repeat < count && repeat < size_t{kRunLongestRepeat} && same(i, i + repeat)) ++repeat;
    if (repeat >= 2) {
      runs.push_back(uint8_t(repeat + kRunRepeatHeadBase));
      runs.insert(runs.end(), &pixels[i * kRunPixelBytes], &pixels[(i + 1) * kRunPixelBytes]);
      i += repeat;
      continue;
    }
    size_t literal = 1;
    while (i + literal < count && literal < size_t{kRunLongestLiteral} &&
           !(i + literal + 1 < count && same(i + literal, i + literal + 1)))
      ++literal;
    runs.push_back(uint8_t(literal - 1));
    runs.insert(runs.end(), &pixels[i * kRunPixelBytes], &pixels[(i + literal) * kRunPixelBytes]);
    i += literal;
  }
  std::vector<uint8_t> check(pixels.size());
  if (!UnpackPixelRuns(runs.data(), runs.size(), check.data(), check.size()) || check != pixels)
    Fail("the help picture's pixel runs do not unpack to the picture");
  return runs;
}

void WriteEmbeddedPictures(const std::string& folder, const std::vector<uint8_t> (&help)[kOverlayScaleCount],
                           const std::vector<uint8_t>& preview, const std::vector<uint8_t>& icon,
                           const Font (&fonts)[kOverlayScaleCount]) {
  Output out = Create(folder, "embedded_pictures.cpp");
  const std::string head =
      "// The help and preview pictures, the icon and the overlay font at each overlay scale, generated\n"
      "// at build time by resources/tools/make_pictures; the Linux build's copy of what Windows keeps\n"
      "// as resources.\n"
      "#include \"resources/pictures.h\"\n\n"
      "namespace {\n\n";
  Write(out, head.data(), head.size());
  std::string runTable = "}  // namespace\n\nconst uint8_t* const kHelpRuns[kOverlayScaleCount] = {";
  std::string runBytes = "const size_t kHelpRunBytes[kOverlayScaleCount] = {";
  std::string bitTable = "const uint8_t* const kFontBits[kOverlayScaleCount] = {";
  for (int32_t scale = 0; scale < kOverlayScaleCount; ++scale) {
    const std::string suffix = std::to_string(kOverlayScaleFactor[scale]) + "x";
    const std::vector<uint8_t> runs = PackPixelRuns(help[scale]);
    WriteByteArray(out, ("const uint8_t kHelpRuns" + suffix + "[" + std::to_string(runs.size()) + "]").c_str(), runs);
    // One spare byte keeps the array non-empty whatever the font holds.
    std::vector<uint8_t> bits = fonts[scale].bits;
    bits.push_back(0);
    WriteByteArray(out, ("const uint8_t kFontBits" + suffix + "[" + std::to_string(bits.size()) + "]").c_str(), bits);
    runTable += "kHelpRuns" + suffix + ", ";
    runBytes += std::to_string(runs.size()) + ", ";
    bitTable += "kFontBits" + suffix + ", ";
  }
  const std::string tables = runTable + "};\n" + runBytes + "};\n" + bitTable + "};\n\n";
  Write(out, tables.data(), tables.size());
  WriteByteArray(out, "const uint8_t kPreviewPixels[size_t{kPreviewSize} * kPreviewSize * 4]", preview);
  WriteByteArray(out, "const uint8_t kIconPixels[size_t{kIconSize} * kIconSize * 4]", icon);
  std::string glyphs = "const FontGlyph kFontGlyphs[kOverlayScaleCount][kFontGlyphCount] = {\n";
  for (const Font& font : fonts) {
    glyphs += "  {\n";
    for (const FontGlyph& g : font.glyphs)
      glyphs += "    {" + std::to_string(g.width) + ", " + std::to_string(g.height) + ", " + std::to_string(g.left) +
                ", " + std::to_string(g.top) + ", " + std::to_string(g.advance) + ", " + std::to_string(g.offset) +
                "},\n";
    glyphs += "  },\n";
  }
  glyphs += "};\n";
  Write(out, glyphs.data(), glyphs.size());
  Close(out);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) Fail("usage: make_pictures BOLD_FONT REGULAR_FONT OUTPUT_FOLDER");
  if (FT_Init_FreeType(&gFreeType) != 0) Fail("FreeType cannot start");
  const FT_Face bold = OpenFont(argv[1]);
  const FT_Face regular = OpenFont(argv[2]);
  const std::string folder = argv[3];

  // NOTE: Windows hands the help bitmap to the program top row first (GetBitmapBits on the
  // device-dependent bitmap LoadBitmapW makes), while glDrawPixels wants the bottom row first. So
  // the picture is stored upside down in help.bmp and help2x.bmp: the first stored row, the
  // bitmap's bottom row, is the picture's top row, and GetBitmapBits then yields exactly the
  // embedded bytes.
  constexpr const char* kHelpFiles[kOverlayScaleCount] = {"help.bmp", "help2x.bmp"};
  std::vector<uint8_t> help[kOverlayScaleCount];
  Font fonts[kOverlayScaleCount];
  for (int32_t index = 0; index < kOverlayScaleCount; ++index) {
    const OverlayScale scale = OverlayScale(index);
    const int32_t width = HelpWidthAt(scale), height = HelpHeightAt(scale);
    help[scale] = BgraBottomUp(DrawHelpPicture(bold, regular, scale));
    std::vector<uint8_t> flipped(help[scale].size());
    const size_t row = size_t(width) * 4;
    for (int32_t y = 0; y < height; ++y)
      std::copy_n(help[scale].begin() + ptrdiff_t((height - 1 - y) * row), row, flipped.begin() + ptrdiff_t(y * row));
    WriteBmp(folder, kHelpFiles[scale], flipped, width, height, 32);
    fonts[scale] = MakeOverlayFont(bold, scale);
  }

  const std::vector<uint8_t> preview = BgraBottomUp(DrawPreviewPicture(bold));
  WriteBmp(folder, "preview.bmp", preview, kPreviewSize, kPreviewSize, 24);
  // From the smallest list view to the largest Explorer tile (256 is stored as 0 in the directory).
  WriteIco(folder, "redsphere.ico", {16, 24, 32, 48, kIconSize, 128, 256});

  WriteEmbeddedPictures(folder, help, preview, BgraBottomUp(DrawIconPicture(kIconSize)), fonts);
  FT_Done_Face(bold);
  FT_Done_Face(regular);
  FT_Done_FreeType(gFreeType);
  return 0;
}
