// The overlays on Mesa: where "Loading..." and the help picture land on both raster-position
// paths at 1x and 2x, in the whole window and in a part of it that shows one monitor; the clipped
// help in a small window; shadowed text and its measure; the state every overlay leaves behind;
// and the generated help pictures' bytes against their layout. Writes PNG files of the pictures
// for a person to look at.
#include "gl/overlays.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iterator>
#include <string>
#include <vector>

#include "gl/gl_caps.h"
#include "resources/help_layout.h"
#include "resources/pictures.h"
#include "tests/gl/gl_harness.h"

namespace {

constexpr int kWidth = 1024;
constexpr int kHeight = 768;
constexpr uint8_t kBackground[3] = {90, 40, 110};
constexpr uint8_t kLoadingColour[3] = {200, 100, 50};

struct Bgra {
  uint8_t b, g, r, a;
};
bool operator==(Bgra p, Bgra q) { return p.b == q.b && p.g == q.g && p.r == q.r && p.a == q.a; }

constexpr OverlayArea kWholeWindow{0, 0, kWidth, kHeight, 1.0f};

// A help picture pixel at a scale, x right and y down from the picture's top-left corner.
Bgra HelpPixel(OverlayScale scale, int x, int y) {
  const int width = HelpWidthAt(scale), height = HelpHeightAt(scale);
  const uint8_t* p = gOverlays.helpImages[scale] + (size_t(height - 1 - y) * width + x) * 4;
  return Bgra{p[0], p[1], p[2], p[3]};
}

// Window pixels (y up) that the scale's glyphs of `text` set with the pen starting at (penX, penY),
// as a mask of a window of width x height; *lowest gets the lowest set row.
std::vector<uint8_t> GlyphMask(OverlayScale scale, const char* text, int penX, int penY, int width, int height,
                               int* lowest = nullptr) {
  std::vector<uint8_t> lit(size_t(width) * height, 0);
  int pen = penX, bottom = height;
  for (const char* c = text; *c; ++c) {
    const FontGlyph& glyph = kFontGlyphs[scale][uint8_t(*c)];
    const int rowBytes = (glyph.width + 7) / 8;
    const int x0 = pen + glyph.left, y0 = penY + glyph.top - glyph.height;
    for (int row = 0; row < glyph.height; ++row)
      for (int col = 0; col < glyph.width; ++col)
        if (kFontBits[scale][glyph.offset + row * rowBytes + col / 8] & (0x80 >> (col % 8)))
          lit[size_t(y0 + row) * width + x0 + col] = 1;
    if (glyph.height) bottom = std::min(bottom, y0);
    pen += glyph.advance;
  }
  if (lowest) *lowest = bottom;
  return lit;
}

std::string PicturePath(const char* name) {
  const char* folder = std::getenv("REDSPHERE_PICTURES");
  if (!folder) return "";
  std::filesystem::create_directories(folder);
  return std::string(folder) + "/" + name;
}

// B, G, R, A bottom-up pictures as a PNG.
void WriteBgraPicture(const char* name, const uint8_t* pixels, int width, int height) {
  const std::string path = PicturePath(name);
  if (path.empty()) return;
  std::vector<uint8_t> rgba(pixels, pixels + size_t(width) * height * 4);
  for (size_t i = 0; i < rgba.size(); i += 4) std::swap(rgba[i], rgba[i + 2]);
  EXPECT_TRUE(WritePng(path, rgba, width, height)) << path;
}

// Text bands of the help picture at a scale: from above the ascenders to below the descenders of
// each text line (the title, the headings, then each row of the key table).
struct Band {
  int top, bottom;
};
std::vector<Band> HelpTextBands(OverlayScale scale) {
  const int f = kOverlayScaleFactor[scale];
  const auto band = [f](int baseline, int size) {
    return Band{(baseline - (size * 85 + 99) / 100) * f, (baseline + (size * 30 + 99) / 100) * f};
  };
  std::vector<Band> bands = {band(kHelpTitleBaseline, kHelpTitleSize), band(kHelpHeadingBaseline, kHelpTextSize)};
  for (int row = 0; row < kHelpRowCount; ++row) bands.push_back(band(HelpRowBaseline(row), kHelpTextSize));
  return bands;
}

const Bgra kHelpFrameBgra{kHelpPanelColour.b, kHelpPanelColour.g, kHelpPanelColour.r, 255};
const Bgra kHelpWhiteBgra{kHelpWhite.b, kHelpWhite.g, kHelpWhite.r, 255};
const Bgra kHelpYellowBgra{kHelpYellow.b, kHelpYellow.g, kHelpYellow.r, 255};

// The help picture's bytes at a scale: transparent margin, opaque frame with rounded outer
// corners, the panel at alpha 74 outside the text bands and opaque white or light-yellow text
// inside them; every length of the layout times the scale's factor.
void CheckHelpPictureFrame(OverlayScale scale) {
  const int f = kOverlayScaleFactor[scale];
  const int width = HelpWidthAt(scale), height = HelpHeightAt(scale);
  const Bgra panel{kHelpPanelColour.b, kHelpPanelColour.g, kHelpPanelColour.r, kHelpPanelAlpha};
  const int margin = kHelpMargin * f, inner = (kHelpMargin + kHelpFrameWidth) * f, radius = kHelpCornerRadius * f;
  const std::vector<Band> bands = HelpTextBands(scale);
  const auto inBand = [&](int y) {
    return std::any_of(bands.begin(), bands.end(), [y](Band b) { return y >= b.top && y <= b.bottom; });
  };

  int wrongMargin = 0, wrongFrame = 0, wrongPanel = 0, wrongText = 0;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const Bgra p = HelpPixel(scale, x, y);
      const int edge = std::min({x, y, width - 1 - x, height - 1 - y});
      const bool nearCorner = (x < inner + radius || x >= width - inner - radius) &&
                              (y < inner + radius || y >= height - inner - radius);
      if (edge < margin) {
        wrongMargin += p.a != 0;
      } else if (edge < inner) {
        wrongFrame += !nearCorner && !(p == kHelpFrameBgra);
      } else if (!nearCorner) {
        if (!inBand(y)) wrongPanel += !(p == panel);
        // Text is opaque in its own colour; only glyph edges blend with the panel.
        else wrongText += p.a < kHelpPanelAlpha || (p.a == 255 && !(p == kHelpWhiteBgra) && !(p == kHelpYellowBgra));
      }
    }
  }
  EXPECT_EQ(wrongMargin, 0);
  EXPECT_EQ(wrongFrame, 0);
  EXPECT_EQ(wrongPanel, 0);
  EXPECT_EQ(wrongText, 0);
  EXPECT_EQ(HelpPixel(scale, margin, margin).a, 0) << "rounded corner";
  EXPECT_EQ(HelpPixel(scale, width - 1 - margin, height - 1 - margin).a, 0) << "rounded corner";
  EXPECT_EQ(HelpPixel(scale, margin, margin + radius), kHelpFrameBgra);
}

// The help picture's text at a scale: a white title, white headings, and in the key table yellow
// keys and white actions exactly in the cells the table fills.
void CheckHelpPictureText(OverlayScale scale) {
  const int f = kOverlayScaleFactor[scale];
  const int width = HelpWidthAt(scale), inner = (kHelpMargin + kHelpFrameWidth) * f;
  const Bgra &white = kHelpWhiteBgra, &yellow = kHelpYellowBgra;
  const std::vector<Band> bands = HelpTextBands(scale);
  // Counts of fully opaque white and yellow pixels in a band between two columns.
  const auto count = [&](Band b, int left, int right, const Bgra& colour) {
    int n = 0;
    for (int y = b.top; y <= b.bottom; ++y)
      for (int x = left; x < right; ++x) n += HelpPixel(scale, x, y) == colour;
    return n;
  };
  const auto columnLeft = [f](int column) { return (kHelpColumnX[column] - 2) * f; };
  const auto columnRight = [&](int column) {
    return column + 1 < kHelpColumnCount ? (kHelpColumnX[column + 1] - 2) * f : width - inner;
  };
  const Band title = bands[0];
  EXPECT_GT(count(title, inner, width - inner, white), 100);
  EXPECT_EQ(count(title, inner, width - inner, yellow), 0);
  for (int column = 0; column < kHelpColumnCount; ++column) {
    EXPECT_GT(count(bands[1], columnLeft(column), columnRight(column), white), 20) << "heading " << column;
    EXPECT_EQ(count(bands[1], columnLeft(column), columnRight(column), yellow), 0) << "heading " << column;
  }
  // The key table's shape, top to bottom: which of Mod., Key, Mouse and Action each row fills.
  const char* const kFilled[] = {"-KMA", "CKMA", "-K-A", "-KMA", "CKMA", "-K-A", "-K-A", "-KMA",
                                 "-KMA", "-K-A", "-K-A", "-K-A", "-K-A", "-K-A", "-K-A"};
  ASSERT_EQ(kHelpRowCount, int(std::size(kFilled)));
  for (int row = 0; row < kHelpRowCount; ++row) {
    for (int column = 0; column < kHelpColumnCount; ++column) {
      SCOPED_TRACE(testing::Message() << "row " << row << " column " << column);
      ASSERT_EQ(kHelpRows[row].cells[column][0] != '\0', kFilled[row][column] != '-');
      const Band b = bands[2 + row];
      const int left = columnLeft(column), right = columnRight(column);
      const bool action = column == kHelpActionColumn;
      const bool filled = kHelpRows[row].cells[column][0] != '\0';
      int textPixels = 0;
      for (int y = b.top; y <= b.bottom; ++y)
        for (int x = left; x < right; ++x) textPixels += HelpPixel(scale, x, y).a > kHelpPanelAlpha;
      EXPECT_EQ(textPixels > 0, filled);
      EXPECT_EQ(count(b, left, right, action ? white : yellow) > 0, filled);
      EXPECT_EQ(count(b, left, right, action ? yellow : white), 0);
    }
  }
}

class OverlayTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string why;
    ASSERT_TRUE(GlHarnessStart(kWidth, kHeight, &why)) << why;
    saved = gGlCaps;
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR)) << "before";
    ASSERT_TRUE(CreateOverlayResources(nullptr, nullptr));
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR)) << "after";
    ASSERT_NE(gOverlays.helpImages[kOverlayScale1x], nullptr);
    ASSERT_NE(gOverlays.helpImages[kOverlayScale2x], nullptr);
  }
  void TearDown() override {
    FreeOverlayImages();
    EXPECT_EQ(gOverlays.helpImages[kOverlayScale1x], nullptr);
    EXPECT_EQ(gOverlays.helpImages[kOverlayScale2x], nullptr);
    for (const OverlayFont& font : gOverlays.fonts) glDeleteLists(font.listBase, kFontGlyphCount);
    gGlCaps = saved;
    std::string why;
    GlHarnessStart(kWidth, kHeight, &why);
  }

  // What a frame leaves behind before an overlay: the window cleared, the camera's matrices with
  // the projection current, lighting and depth testing on.
  static void SceneState(int width, int height) {
    glViewport(0, 0, width, height);
    glClearColor(kBackground[0] / 255.0f, kBackground[1] / 255.0f, kBackground[2] / 255.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(0.0f, 0.0f, -5.0f);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glFrustum(-1.0, 1.0, -0.75, 0.75, 1.0, 100.0);
    glEnable(GL_LIGHTING);
    glEnable(GL_DEPTH_TEST);
    glDepthMask(GL_TRUE);
  }

  // Window pixels that differ from what the scale's help picture blended over the background
  // gives, with the picture's lower-left corner at (left, bottom): inside the picture's box the
  // blend, outside it the background. Mesa's blend may round either way.
  static int HelpMismatches(const std::vector<uint8_t>& window, int width, int height, int left, int bottom,
                            OverlayScale scale = kOverlayScale1x) {
    const int helpWidth = HelpWidthAt(scale), helpHeight = HelpHeightAt(scale);
    int mismatches = 0;
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) {
        const uint8_t* got = &window[(size_t(y) * width + x) * 4];
        int expected[3] = {kBackground[0], kBackground[1], kBackground[2]};
        const int px = x - left, py = y - bottom;
        if (px >= 0 && py >= 0 && px < helpWidth && py < helpHeight) {
          const uint8_t* src = gOverlays.helpImages[scale] + (size_t(py) * helpWidth + px) * 4;
          const double a = src[3] / 255.0;
          const uint8_t rgb[3] = {src[2], src[1], src[0]};
          for (int c = 0; c < 3; ++c) expected[c] = int(std::lround(rgb[c] * a + kBackground[c] * (1.0 - a)));
        }
        for (int c = 0; c < 3; ++c) {
          if (std::abs(got[c] - expected[c]) > 1) {
            if (mismatches == 0)
              ADD_FAILURE() << "first mismatch at (" << x << ", " << y << ") channel " << c << ": " << int(got[c])
                            << " instead of " << expected[c];
            ++mismatches;
            break;
          }
        }
      }
    }
    return mismatches;
  }

  GlCaps saved{};
};

const uint8_t* Pixel(const std::vector<uint8_t>& window, int x, int y, int width = kWidth) {
  return &window[(size_t(y) * width + x) * 4];
}
bool IsColour(const uint8_t* p, const uint8_t* rgb) { return p[0] == rgb[0] && p[1] == rgb[1] && p[2] == rgb[2]; }

// The four overlays by number, for the tests that treat them alike.
constexpr int kOverlayCount = 5;
const char* const kOverlayNames[kOverlayCount] = {"loading", "help", "frame rate", "text", "caption"};
// Longer than any area here is wide: it must wrap.
constexpr char kCaptionFacts[] = "the largest canyon system known, 4000 km long and up to 7 km deep, east of the Tharsis bulge";
void DrawOverlay(int overlay, const OverlayArea& area) {
  switch (overlay) {
    case 0: DrawLoadingText(area); break;
    case 1: DrawHelpScreen(area); break;
    case 2: DrawFrameRate(area, 29.9); break;
    case 3: DrawOverlayText(area, 20, 30, "Tharsis Montes", OverlayColour{255, 255, 180}); break;
    default: DrawCaption(area, "Valles Marineris", kCaptionFacts, 1.0f); break;
  }
}

// Over the brightest ground the caption's panel darkens what lies behind the text; the title is
// drawn in its own colour; at half opacity panel and text are half blended; at 0 nothing shows.
TEST_F(OverlayTest, CaptionReadsOverBrightGroundAndFades) {
  static const uint8_t kWhite[3] = {255, 255, 255}, kTitle[3] = {255, 255, 180};
  const auto drawn = [](float opacity) {
    SceneState(kWidth, kHeight);
    glClearColor(1.0f, 1.0f, 1.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    DrawCaption(kWholeWindow, "Valles Marineris", kCaptionFacts, opacity);
    return GlReadPixels(0, 0, kWidth, kHeight);
  };
  const auto darkest = [](const std::vector<uint8_t>& window, int* titlePixels) {
    int least = 255;
    *titlePixels = 0;
    for (int y = 0; y < kHeight; ++y)
      for (int x = 0; x < kWidth; ++x) {
        const uint8_t* p = Pixel(window, x, y);
        least = std::min<int>(least, p[0]);
        *titlePixels += IsColour(p, kTitle);
      }
    return least;
  };
  int title = 0;
  const std::vector<uint8_t> full = drawn(1.0f);
  EXPECT_NEAR(darkest(full, &title), 255 * 0.45, 2.0) << "the panel behind the text";
  EXPECT_GT(title, 100) << "the title in its colour";
  EXPECT_TRUE(IsColour(Pixel(full, kWidth / 2, kHeight - 10), kWhite)) << "nothing above the caption";
  const std::vector<uint8_t> half = drawn(0.5f);
  EXPECT_NEAR(darkest(half, &title), 255 * (1.0 - 0.55 / 2), 2.0);
  EXPECT_EQ(title, 0) << "text blended at half opacity";
  const std::vector<uint8_t> none = drawn(0.0f);
  EXPECT_EQ(std::count(none.begin(), none.end(), uint8_t(255)), static_cast<long>(none.size()));
}

// Both raster-position paths put "Loading..." with its pen at (442, 370) in a 1024 x 768 window:
// the lit pixels are exactly the glyph bitmaps laid out from there, in the loading colour.
TEST_F(OverlayTest, LoadingTextStartsAt442By370OnBothPaths) {
  int lowest = kHeight;
  const std::vector<uint8_t> lit = GlyphMask(kOverlayScale1x, "Loading...", 442, 370, kWidth, kHeight, &lowest);
  ASSERT_LT(lowest, 370) << "the g of the font reaches below the baseline";

  for (bool version14 : {true, false}) {
    SCOPED_TRACE(version14 ? "glWindowPos2i" : "orthographic raster position");
    gGlCaps.version14 = version14;
    SceneState(kWidth, kHeight);
    DrawLoadingText(kWholeWindow);
    const std::vector<uint8_t> window = GlReadPixels(0, 0, kWidth, kHeight);

    int firstColumn = kWidth, firstRow = kHeight, wrong = 0;
    for (int y = 0; y < kHeight; ++y) {
      for (int x = 0; x < kWidth; ++x) {
        const bool isLit = IsColour(Pixel(window, x, y), kLoadingColour);
        if (isLit) firstColumn = std::min(firstColumn, x), firstRow = std::min(firstRow, y);
        if (isLit != bool(lit[size_t(y) * kWidth + x]) || (!isLit && !IsColour(Pixel(window, x, y), kBackground))) ++wrong;
      }
    }
    EXPECT_EQ(firstColumn, 442 + kFontGlyphs[kOverlayScale1x]['L'].left);
    EXPECT_EQ(firstRow, lowest);
    EXPECT_EQ(wrong, 0) << "pixels that differ from the glyphs placed at (442, 370)";
  }
}

// The help picture's lower-left corner is at (212, 164) on both paths, blended over the scene.
TEST_F(OverlayTest, HelpPictureAt212By164OnBothPaths) {
  for (bool version14 : {true, false}) {
    SCOPED_TRACE(version14 ? "glWindowPos2i" : "orthographic raster position");
    gGlCaps.version14 = version14;
    SceneState(kWidth, kHeight);
    DrawHelpScreen(kWholeWindow);
    const std::vector<uint8_t> window = GlReadPixels(0, 0, kWidth, kHeight);
    // The frame begins after the 2-pixel transparent margin, in the opaque panel colour.
    const uint8_t frame[3] = {kHelpPanelColour.r, kHelpPanelColour.g, kHelpPanelColour.b};
    EXPECT_TRUE(IsColour(Pixel(window, 212 + 100, 164 + 1), kBackground));
    EXPECT_TRUE(IsColour(Pixel(window, 212 + 100, 164 + 2), frame));
    EXPECT_TRUE(IsColour(Pixel(window, 212 + 1, 164 + 100), kBackground));
    EXPECT_TRUE(IsColour(Pixel(window, 212 + 2, 164 + 100), frame));
    EXPECT_TRUE(IsColour(Pixel(window, 812 - 3, 164 + 100), frame));
    EXPECT_TRUE(IsColour(Pixel(window, 812 - 2, 164 + 100), kBackground));
    EXPECT_EQ(HelpMismatches(window, kWidth, kHeight, 212, 164), 0);
  }
}

// With glWindowPos2i the camera's matrices, the matrix mode and the viewport stay as the frame
// left them; only the orthographic path may replace them.
TEST_F(OverlayTest, WindowPositionPathLeavesMatricesAndViewport) {
  gGlCaps.version14 = true;
  for (int overlay = 0; overlay < kOverlayCount; ++overlay) {
    SceneState(kWidth, kHeight);
    glViewport(10, 20, 300, 200);
    GLfloat projection[16], modelview[16], after[16];
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
    glGetFloatv(GL_MODELVIEW_MATRIX, modelview);
    DrawOverlay(overlay, OverlayArea{100, 50, 900, 700, overlay % 2 ? 1.0f : 2.0f});
    GLint viewport[4], mode = 0;
    glGetIntegerv(GL_VIEWPORT, viewport);
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_PROJECTION) << overlay;
    EXPECT_TRUE(viewport[0] == 10 && viewport[1] == 20 && viewport[2] == 300 && viewport[3] == 200) << overlay;
    glGetFloatv(GL_PROJECTION_MATRIX, after);
    EXPECT_TRUE(std::equal(after, after + 16, projection)) << overlay;
    glGetFloatv(GL_MODELVIEW_MATRIX, after);
    EXPECT_TRUE(std::equal(after, after + 16, modelview)) << overlay;
  }
}

// A window smaller than the picture puts its corner left of and below the window: with
// glWindowPos2i the picture is drawn clipped, without it the raster position is invalid and
// nothing is drawn.
TEST_F(OverlayTest, HelpInSmallWindowClippedWith14AndAbsentWithout) {
  constexpr int kSmallWidth = 500, kSmallHeight = 400;
  std::string why;
  ASSERT_TRUE(GlHarnessStart(kSmallWidth, kSmallHeight, &why)) << why;
  for (bool version14 : {true, false}) {
    SCOPED_TRACE(version14 ? "glWindowPos2i" : "orthographic raster position");
    gGlCaps.version14 = version14;
    SceneState(kSmallWidth, kSmallHeight);
    DrawHelpScreen(OverlayArea{0, 0, kSmallWidth, kSmallHeight, 1.0f});
    const std::vector<uint8_t> window = GlReadPixels(0, 0, kSmallWidth, kSmallHeight);
    if (version14) {
      EXPECT_EQ(HelpMismatches(window, kSmallWidth, kSmallHeight, -50, -20), 0);
    } else {
      int drawn = 0;
      for (size_t i = 0; i < window.size(); i += 4) drawn += !IsColour(&window[i], kBackground);
      EXPECT_EQ(drawn, 0);
    }
  }
}

// Whatever lighting, depth test, depth writes, blending and the scissor test were, each overlay on
// each path leaves lighting and depth testing on, depth writes enabled, and blending and the
// scissor test off.
TEST_F(OverlayTest, StateAfterEveryOverlay) {
  for (int overlay = 0; overlay < kOverlayCount; ++overlay) {
    for (bool version14 : {true, false}) {
      for (bool before : {true, false}) {
        SCOPED_TRACE(testing::Message() << kOverlayNames[overlay] << " version14 " << version14 << " before "
                                        << before);
        gGlCaps.version14 = version14;
        SceneState(kWidth, kHeight);
        const auto set = [&](GLenum cap) { before ? glEnable(cap) : glDisable(cap); };
        set(GL_LIGHTING);
        set(GL_DEPTH_TEST);
        set(GL_BLEND);
        set(GL_SCISSOR_TEST);
        glDepthMask(before ? GL_TRUE : GL_FALSE);
        DrawOverlay(overlay, kWholeWindow);
        GLboolean depthWrites = GL_FALSE;
        glGetBooleanv(GL_DEPTH_WRITEMASK, &depthWrites);
        EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
        EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
        EXPECT_TRUE(depthWrites);
        EXPECT_FALSE(glIsEnabled(GL_SCISSOR_TEST));
        if (overlay == 1) {
          EXPECT_FALSE(glIsEnabled(GL_BLEND));
        }
        EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
      }
    }
  }
}

// At each scale every character's list moves the pen by its advance, empty glyphs such as the
// space included, OverlayTextWidth measures the same, the 2x font is twice the 1x font's size, and
// making the lists leaves the unpack alignment that texture uploads rely on.
TEST_F(OverlayTest, FontListsAdvanceAsMeasuredAndUnpackAlignmentRestored) {
  const char text[] = {'L', ' ', 'W', char(0xe9), char(0x80), 0};  // e acute, and the euro sign of 1252
  for (float areaScale : {1.0f, 1.49f, 1.5f, 2.0f}) {
    SCOPED_TRACE(testing::Message() << "area scale " << areaScale);
    const OverlayArea area{0, 0, kWidth, kHeight, areaScale};
    const OverlayScale scale = OverlayScaleOf(area);
    EXPECT_EQ(scale, areaScale >= 1.5f ? kOverlayScale2x : kOverlayScale1x);
    int expected = 0;
    for (const char* c = text; *c; ++c) expected += kFontGlyphs[scale][uint8_t(*c)].advance;
    EXPECT_GT(kFontGlyphs[scale][' '].advance, 0);
    EXPECT_GT(kFontGlyphs[scale][0x80].width, 0);
    EXPECT_EQ(OverlayTextWidth(area, text), expected);
    EXPECT_EQ(OverlayTextHeight(area), FontHeightAt(scale));
    glListBase(gOverlays.fonts[scale].listBase);
    glWindowPos2i(10, 10);
    glCallLists(GLsizei(std::strlen(text)), GL_UNSIGNED_BYTE, text);
    GLint position[4] = {};
    glGetIntegerv(GL_CURRENT_RASTER_POSITION, position);
    EXPECT_EQ(position[0], 10 + expected);
    EXPECT_EQ(position[1], 10);
  }
  // Drawn from the font at 56 pixels, not the 28-pixel glyphs doubled: about twice as wide, in
  // glyphs of their own.
  const OverlayArea area1x{0, 0, kWidth, kHeight, 1.0f}, area2x{0, 0, kWidth, kHeight, 2.0f};
  const int width1x = OverlayTextWidth(area1x, "Olympus Mons"), width2x = OverlayTextWidth(area2x, "Olympus Mons");
  EXPECT_NEAR(double(width2x) / width1x, 2.0, 0.1);
  EXPECT_NEAR(double(kFontGlyphs[kOverlayScale2x]['M'].height) / kFontGlyphs[kOverlayScale1x]['M'].height, 2.0, 0.1);
  GLint alignment = 0;
  glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
  EXPECT_EQ(alignment, 4);
}

// The help pictures' bytes follow the layout at both scales, the 2x one drawn at its own size.
TEST_F(OverlayTest, HelpPictureBytesFollowTheLayoutAtBothScales) {
  for (int index = 0; index < kOverlayScaleCount; ++index) {
    const OverlayScale scale = OverlayScale(index);
    SCOPED_TRACE(testing::Message() << kOverlayScaleFactor[scale] << "x");
    CheckHelpPictureFrame(scale);
    CheckHelpPictureText(scale);
  }
  WriteBgraPicture("help.png", gOverlays.helpImages[kOverlayScale1x], kHelpWidth, kHelpHeight);
  WriteBgraPicture("help2x.png", gOverlays.helpImages[kOverlayScale2x], HelpWidthAt(kOverlayScale2x),
                   HelpHeightAt(kOverlayScale2x));
}

// At scale 2 in an area offset from the window's origin, the 2x help picture covers exactly the
// 1200 x 880 box centred in the area, on both paths: inside it the picture blended over the scene,
// everywhere else the scene untouched.
TEST_F(OverlayTest, HelpAtScale2CoversA1200By880BoxCentredInAnOffsetArea) {
  constexpr int kBigWidth = 1280, kBigHeight = 1000;
  constexpr OverlayArea kArea{60, 40, 1220, 960, 2.0f};
  constexpr int kLeft = 60 + (1220 - 1200) / 2, kBottom = 40 + (960 - 880) / 2;  // (70, 80)
  std::string why;
  ASSERT_TRUE(GlHarnessStart(kBigWidth, kBigHeight, &why)) << why;
  for (bool version14 : {true, false}) {
    SCOPED_TRACE(version14 ? "glWindowPos2i" : "orthographic raster position");
    gGlCaps.version14 = version14;
    SceneState(kBigWidth, kBigHeight);
    DrawHelpScreen(kArea);
    const std::vector<uint8_t> window = GlReadPixels(0, 0, kBigWidth, kBigHeight);
    // The 2x frame begins after a 4-pixel transparent margin.
    const uint8_t frame[3] = {kHelpPanelColour.r, kHelpPanelColour.g, kHelpPanelColour.b};
    EXPECT_TRUE(IsColour(Pixel(window, kLeft + 3, kBottom + 200, kBigWidth), kBackground));
    EXPECT_TRUE(IsColour(Pixel(window, kLeft + 4, kBottom + 200, kBigWidth), frame));
    EXPECT_TRUE(IsColour(Pixel(window, kLeft + 1200 - 5, kBottom + 200, kBigWidth), frame));
    EXPECT_TRUE(IsColour(Pixel(window, kLeft + 1200 - 4, kBottom + 200, kBigWidth), kBackground));
    EXPECT_EQ(HelpMismatches(window, kBigWidth, kBigHeight, kLeft, kBottom, kOverlayScale2x), 0);
    if (version14) {
      const std::string path = PicturePath("help2x_in_area.png");
      if (!path.empty()) {
        EXPECT_TRUE(WritePng(path, window, kBigWidth, kBigHeight)) << path;
      }
    }
  }
}

// "Loading..." in the right half of the window: at scale 2 exactly the 56-pixel glyphs with the
// pen at the 2x place (the area's middle less 140 and 28), about twice as tall as at scale 1, and
// all of it inside the area.
TEST_F(OverlayTest, LoadingTextAtScale2TwiceAsTallAndInsideItsArea) {
  constexpr int kAreaX = kWidth / 2, kAreaWidth = kWidth / 2;
  int litHeight[kOverlayScaleCount] = {};
  for (int index = 0; index < kOverlayScaleCount; ++index) {
    const OverlayScale scale = OverlayScale(index);
    const int f = kOverlayScaleFactor[scale];
    const OverlayArea area{kAreaX, 0, kAreaWidth, kHeight, float(f)};
    const int penX = kAreaX + kAreaWidth / 2 - 70 * f, penY = kHeight / 2 - 14 * f;
    const std::vector<uint8_t> lit = GlyphMask(scale, "Loading...", penX, penY, kWidth, kHeight);
    for (bool version14 : {true, false}) {
      SCOPED_TRACE(testing::Message() << f << "x " << (version14 ? "glWindowPos2i" : "orthographic raster position"));
      gGlCaps.version14 = version14;
      SceneState(kWidth, kHeight);
      DrawLoadingText(area);
      const std::vector<uint8_t> window = GlReadPixels(0, 0, kWidth, kHeight);
      int wrong = 0, outside = 0, top = -1, bottom = kHeight;
      for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
          const bool isLit = IsColour(Pixel(window, x, y), kLoadingColour);
          if (isLit) top = std::max(top, y), bottom = std::min(bottom, y), outside += x < kAreaX;
          wrong += isLit != bool(lit[size_t(y) * kWidth + x]) ||
                   (!isLit && !IsColour(Pixel(window, x, y), kBackground));
        }
      }
      EXPECT_EQ(wrong, 0) << "pixels that differ from the glyphs placed at (" << penX << ", " << penY << ")";
      EXPECT_EQ(outside, 0);
      litHeight[scale] = top - bottom + 1;
    }
  }
  EXPECT_NEAR(double(litHeight[kOverlayScale2x]) / litHeight[kOverlayScale1x], 2.0, 0.15)
      << litHeight[kOverlayScale1x] << " and " << litHeight[kOverlayScale2x] << " pixels tall";
}

// Every overlay at either scale, drawn into a part of the window offset in x and y (too narrow
// for the help picture), changes pixels only inside that part; each but the clipped help on the
// orthographic path (whose corner lies outside the area, so nothing is drawn) shows there.
TEST_F(OverlayTest, EveryOverlayStaysInsideItsArea) {
  constexpr int kAreaX = 512, kAreaY = 96, kAreaWidth = 512, kAreaHeight = 600;
  for (float areaScale : {1.0f, 2.0f}) {
    for (int overlay = 0; overlay < kOverlayCount; ++overlay) {
      for (bool version14 : {true, false}) {
        SCOPED_TRACE(testing::Message() << kOverlayNames[overlay] << " scale " << areaScale << " version14 "
                                        << version14);
        gGlCaps.version14 = version14;
        SceneState(kWidth, kHeight);
        DrawOverlay(overlay, OverlayArea{kAreaX, kAreaY, kAreaWidth, kAreaHeight, areaScale});
        const std::vector<uint8_t> window = GlReadPixels(0, 0, kWidth, kHeight);
        int inside = 0, outside = 0;
        for (int y = 0; y < kHeight; ++y) {
          for (int x = 0; x < kWidth; ++x) {
            if (IsColour(Pixel(window, x, y), kBackground)) continue;
            const bool inArea = x >= kAreaX && x < kAreaX + kAreaWidth && y >= kAreaY && y < kAreaY + kAreaHeight;
            ++(inArea ? inside : outside);
          }
        }
        EXPECT_EQ(outside, 0);
        EXPECT_EQ(inside > 0, overlay != 1 || version14) << inside << " pixels drawn";
      }
    }
  }
}

// Overlay text and the frame rate at each scale: exactly the scale's glyphs in the colour with the
// pen at the area pixel asked for, over a black copy of them 2 (1x) or 4 (2x) pixels right and
// down, and nothing else drawn.
TEST_F(OverlayTest, TextInItsColourOverItsShadowAtBothScales) {
  constexpr OverlayArea kArea{300, 200, 640, 400, 1.0f};
  const uint8_t black[3] = {0, 0, 0};
  for (int index = 0; index < kOverlayScaleCount; ++index) {
    const OverlayScale scale = OverlayScale(index);
    const int f = kOverlayScaleFactor[scale];
    OverlayArea area = kArea;
    area.scale = float(f);
    struct Case {
      const char* text;
      int x, y;  // area pixels
      uint8_t colour[3];
    };
    const Case cases[] = {{"Hellas, -7152 m", 40 * f, 50 * f, {255, 255, 180}},
                          {"FPS: 29.9", 8 * f, 8 * f, {255, 255, 255}}};
    for (int which = 0; which < 2; ++which) {
      const Case& c = cases[which];
      for (bool version14 : {true, false}) {
        SCOPED_TRACE(testing::Message() << f << "x " << c.text << " version14 " << version14);
        gGlCaps.version14 = version14;
        SceneState(kWidth, kHeight);
        if (which == 0) {
          DrawOverlayText(area, c.x, c.y, c.text, OverlayColour{c.colour[0], c.colour[1], c.colour[2]});
        } else {
          DrawFrameRate(area, 29.94);
        }
        const std::vector<uint8_t> window = GlReadPixels(0, 0, kWidth, kHeight);
        const int penX = area.x + c.x, penY = area.y + c.y;
        const std::vector<uint8_t> text = GlyphMask(scale, c.text, penX, penY, kWidth, kHeight);
        const std::vector<uint8_t> shadow = GlyphMask(scale, c.text, penX + 2 * f, penY - 2 * f, kWidth, kHeight);
        int wrong = 0, lit = 0, dark = 0;
        for (int y = 0; y < kHeight; ++y) {
          for (int x = 0; x < kWidth; ++x) {
            const size_t i = size_t(y) * kWidth + x;
            const uint8_t* expected = text[i] ? c.colour : shadow[i] ? black : kBackground;
            wrong += !IsColour(Pixel(window, x, y), expected);
            lit += text[i], dark += shadow[i] && !text[i];
          }
        }
        EXPECT_EQ(wrong, 0);
        EXPECT_GT(lit, 50 * f * f);
        EXPECT_GT(dark, 20 * f * f) << "the shadow shows beside the text";
      }
    }
  }
}

// Both overlays in one frame over a scene-like background, and every overlay at both scales side by
// side, for a person to look at; the preview picture and the icon go with them.
TEST_F(OverlayTest, ScreenshotOfBothOverlays) {
  gGlCaps.version14 = true;
  SceneState(kWidth, kHeight);
  // Stripes behind the picture make its translucency visible.
  glDisable(GL_LIGHTING);
  glDisable(GL_DEPTH_TEST);
  glEnable(GL_SCISSOR_TEST);
  for (int stripe = 0; stripe < kWidth / 64; ++stripe) {
    glScissor(stripe * 64, 0, 32, kHeight);
    glClearColor(0.1f, 0.12f, 0.2f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
  }
  glDisable(GL_SCISSOR_TEST);
  DrawHelpScreen(kWholeWindow);
  DrawLoadingText(OverlayArea{0, 0, kWidth, 200, 1.0f});
  const std::vector<uint8_t> window = GlReadPixels(0, 0, kWidth, kHeight);
  // The loading text at its place for a 200-pixel-high window: pen at (442, 86).
  int lit = 0;
  for (int y = 60; y < 120; ++y)
    for (int x = 430; x < 600; ++x) lit += IsColour(Pixel(window, x, y), kLoadingColour);
  EXPECT_GT(lit, 100);
  const std::string path = PicturePath("overlays.png");
  if (!path.empty()) {
    EXPECT_TRUE(WritePng(path, window, kWidth, kHeight)) << path;
  }

  // Two monitors side by side, 1x on the left and 2x on the right, over dark and bright stripes:
  // the same physical size on each, the text readable over both grounds.
  SceneState(kWidth, kHeight);
  glDisable(GL_LIGHTING);
  glEnable(GL_SCISSOR_TEST);
  for (int stripe = 0; stripe < kHeight / 48; ++stripe) {
    glScissor(0, stripe * 48, kWidth, 24);
    glClearColor(0.93f, 0.9f, 0.85f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
  }
  glDisable(GL_SCISSOR_TEST);
  const OverlayArea monitors[] = {{0, 0, kWidth / 2, kHeight, 1.0f}, {kWidth / 2, 0, kWidth / 2, kHeight, 2.0f}};
  for (const OverlayArea& area : monitors) {
    DrawLoadingText(area);
    DrawFrameRate(area, 29.9);
    const char* caption = "Olympus Mons";
    const int f = kOverlayScaleFactor[OverlayScaleOf(area)];
    DrawOverlayText(area, (area.width - OverlayTextWidth(area, caption)) / 2, area.height - 40 * f, caption,
                    OverlayColour{255, 255, 255});
  }
  const std::string twoScales = PicturePath("overlays_two_scales.png");
  if (!twoScales.empty()) {
    EXPECT_TRUE(WritePng(twoScales, GlReadPixels(0, 0, kWidth, kHeight), kWidth, kHeight)) << twoScales;
  }

  // The preview: the globe's middle is drawn, the corners stay black; the icon's corners are clear.
  const auto bright = [](const uint8_t* p) { return p[0] + p[1] + p[2] > 120; };
  EXPECT_TRUE(bright(&kPreviewPixels[(size_t(kPreviewSize / 2 + 8) * kPreviewSize + kPreviewSize / 2) * 4]));
  EXPECT_EQ(kPreviewPixels[0] + kPreviewPixels[1] + kPreviewPixels[2], 0);
  EXPECT_EQ(kPreviewPixels[3], 255);
  EXPECT_EQ(kIconPixels[3], 0) << "the icon's corners are transparent";
  EXPECT_EQ(kIconPixels[(size_t(kIconSize / 2) * kIconSize + kIconSize / 2) * 4 + 3], 255);
  WriteBgraPicture("preview.png", kPreviewPixels, kPreviewSize, kPreviewSize);
  WriteBgraPicture("icon.png", kIconPixels, kIconSize, kIconSize);
}

}  // namespace
