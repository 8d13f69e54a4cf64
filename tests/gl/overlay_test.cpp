// The overlays on Mesa: where "Loading..." and the help picture land on both raster-position
// paths, the clipped help in a small window, the state both leave behind, and the generated help
// picture's bytes against its layout. Writes PNG files of the pictures for a person to look at.
#include "gl/overlays.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
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

// A help picture pixel, x right and y down from the picture's top-left corner.
Bgra HelpPixel(const uint8_t* image, int x, int y) {
  const uint8_t* p = image + (size_t(kHelpHeight - 1 - y) * kHelpWidth + x) * 4;
  return Bgra{p[0], p[1], p[2], p[3]};
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

class OverlayTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string why;
    ASSERT_TRUE(GlHarnessStart(kWidth, kHeight, &why)) << why;
    saved = gGlCaps;
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR)) << "before";
    ASSERT_TRUE(CreateOverlayResources(nullptr, nullptr));
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR)) << "after";
    ASSERT_NE(gOverlays.helpImage, nullptr);
  }
  void TearDown() override {
    FreeOverlayImages();
    glDeleteLists(gOverlays.fontListBase, kFontGlyphCount);
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

  // Window pixels that differ from what the help picture blended over the background gives,
  // with the picture's lower-left corner at (left, bottom). Mesa's blend may round either way.
  static int HelpMismatches(const std::vector<uint8_t>& window, int width, int height, int left, int bottom) {
    int mismatches = 0;
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) {
        const uint8_t* got = &window[(size_t(y) * width + x) * 4];
        int expected[3] = {kBackground[0], kBackground[1], kBackground[2]};
        const int px = x - left, py = y - bottom;
        if (px >= 0 && py >= 0 && px < kHelpWidth && py < kHelpHeight) {
          const uint8_t* src = gOverlays.helpImage + (size_t(py) * kHelpWidth + px) * 4;
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

const uint8_t* Pixel(const std::vector<uint8_t>& window, int x, int y) { return &window[(size_t(y) * kWidth + x) * 4]; }
bool IsColour(const uint8_t* p, const uint8_t* rgb) { return p[0] == rgb[0] && p[1] == rgb[1] && p[2] == rgb[2]; }

// Both raster-position paths put "Loading..." with its pen at (442, 370) in a 1024 x 768 window:
// the lit pixels are exactly the glyph bitmaps laid out from there, in the loading colour.
TEST_F(OverlayTest, LoadingTextStartsAt442By370OnBothPaths) {
  const char* text = "Loading...";
  std::vector<uint8_t> lit(size_t(kWidth) * kHeight, 0);
  int pen = 442, lowest = kHeight;
  for (const char* c = text; *c; ++c) {
    const FontGlyph& glyph = kFontGlyphs[uint8_t(*c)];
    const int rowBytes = (glyph.width + 7) / 8;
    const int x0 = pen + glyph.left, y0 = 370 + glyph.top - glyph.height;
    for (int row = 0; row < glyph.height; ++row)
      for (int col = 0; col < glyph.width; ++col)
        if (kFontBits[glyph.offset + row * rowBytes + col / 8] & (0x80 >> (col % 8)))
          lit[size_t(y0 + row) * kWidth + x0 + col] = 1;
    if (glyph.height) lowest = std::min(lowest, y0);
    pen += glyph.advance;
  }
  ASSERT_LT(lowest, 370) << "the g of the font reaches below the baseline";

  for (bool version14 : {true, false}) {
    SCOPED_TRACE(version14 ? "glWindowPos2i" : "orthographic raster position");
    gGlCaps.version14 = version14;
    SceneState(kWidth, kHeight);
    DrawLoadingText(OverlayArea{0, 0, kWidth, kHeight, 1.0f});
    const std::vector<uint8_t> window = GlReadPixels(0, 0, kWidth, kHeight);

    int firstColumn = kWidth, firstRow = kHeight, wrong = 0;
    for (int y = 0; y < kHeight; ++y) {
      for (int x = 0; x < kWidth; ++x) {
        const bool isLit = IsColour(Pixel(window, x, y), kLoadingColour);
        if (isLit) firstColumn = std::min(firstColumn, x), firstRow = std::min(firstRow, y);
        if (isLit != bool(lit[size_t(y) * kWidth + x]) || (!isLit && !IsColour(Pixel(window, x, y), kBackground))) ++wrong;
      }
    }
    EXPECT_EQ(firstColumn, 442 + kFontGlyphs['L'].left);
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
    DrawHelpScreen(OverlayArea{0, 0, kWidth, kHeight, 1.0f});
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
  for (int overlay = 0; overlay < 2; ++overlay) {
    SceneState(kWidth, kHeight);
    glViewport(10, 20, 300, 200);
    GLfloat projection[16], modelview[16], after[16];
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
    glGetFloatv(GL_MODELVIEW_MATRIX, modelview);
    overlay == 0 ? DrawLoadingText(OverlayArea{0, 0, kWidth, kHeight, 1.0f}) : DrawHelpScreen(OverlayArea{0, 0, kWidth, kHeight, 1.0f});
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

// Whatever lighting, depth test, depth writes and blending were, each overlay on each path leaves
// lighting and depth testing on and depth writes enabled; the help screen also blending off.
TEST_F(OverlayTest, StateAfterEitherOverlay) {
  for (int overlay = 0; overlay < 2; ++overlay) {
    for (bool version14 : {true, false}) {
      for (bool before : {true, false}) {
        SCOPED_TRACE(testing::Message() << "overlay " << overlay << " version14 " << version14 << " before " << before);
        gGlCaps.version14 = version14;
        SceneState(kWidth, kHeight);
        const auto set = [&](GLenum cap) { before ? glEnable(cap) : glDisable(cap); };
        set(GL_LIGHTING);
        set(GL_DEPTH_TEST);
        set(GL_BLEND);
        glDepthMask(before ? GL_TRUE : GL_FALSE);
        overlay == 0 ? DrawLoadingText(OverlayArea{0, 0, kWidth, kHeight, 1.0f}) : DrawHelpScreen(OverlayArea{0, 0, kWidth, kHeight, 1.0f});
        GLboolean depthWrites = GL_FALSE;
        glGetBooleanv(GL_DEPTH_WRITEMASK, &depthWrites);
        EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
        EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
        EXPECT_TRUE(depthWrites);
        if (overlay == 1) {
          EXPECT_FALSE(glIsEnabled(GL_BLEND));
        }
        EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
      }
    }
  }
}

// Every character's list moves the pen by its advance, empty glyphs such as the space included,
// and making the lists leaves the unpack alignment that texture uploads rely on.
TEST_F(OverlayTest, FontListsAdvanceAndUnpackAlignmentRestored) {
  const unsigned char text[] = {'L', ' ', 'W', 0xe9, 0x80};  // e acute, and the euro sign of 1252
  int expected = 10;
  for (unsigned char c : text) expected += kFontGlyphs[c].advance;
  EXPECT_GT(kFontGlyphs[' '].advance, 0);
  EXPECT_GT(kFontGlyphs[0x80].width, 0);
  glListBase(gOverlays.fontListBase);
  glWindowPos2i(10, 10);
  glCallLists(sizeof(text), GL_UNSIGNED_BYTE, text);
  GLint position[4] = {};
  glGetIntegerv(GL_CURRENT_RASTER_POSITION, position);
  EXPECT_EQ(position[0], expected);
  EXPECT_EQ(position[1], 10);
  GLint alignment = 0;
  glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
  EXPECT_EQ(alignment, 4);
}

// The help picture's bytes: transparent margin, opaque frame with rounded outer corners, the
// panel at alpha 74, and opaque white or light-yellow text exactly in the cells the table fills.
TEST_F(OverlayTest, HelpPictureBytesFollowTheLayout) {
  const uint8_t* image = gOverlays.helpImage;
  const Bgra frame{kHelpPanelColour.b, kHelpPanelColour.g, kHelpPanelColour.r, 255};
  const Bgra panel{kHelpPanelColour.b, kHelpPanelColour.g, kHelpPanelColour.r, kHelpPanelAlpha};
  const Bgra white{kHelpWhite.b, kHelpWhite.g, kHelpWhite.r, 255};
  const Bgra yellow{kHelpYellow.b, kHelpYellow.g, kHelpYellow.r, 255};
  const int inner = kHelpMargin + kHelpFrameWidth;

  // Text bands: from above the ascenders to below the descenders of each text line.
  struct Band {
    int top, bottom;
  };
  const auto band = [](int baseline, int size) {
    return Band{baseline - (size * 85 + 99) / 100, baseline + (size * 30 + 99) / 100};
  };
  std::vector<Band> bands = {band(kHelpTitleBaseline, kHelpTitleSize), band(kHelpHeadingBaseline, kHelpTextSize)};
  for (int row = 0; row < kHelpRowCount; ++row) bands.push_back(band(HelpRowBaseline(row), kHelpTextSize));
  const auto inBand = [&](int y) {
    return std::any_of(bands.begin(), bands.end(), [y](Band b) { return y >= b.top && y <= b.bottom; });
  };

  int wrongMargin = 0, wrongFrame = 0, wrongPanel = 0, wrongText = 0;
  for (int y = 0; y < kHelpHeight; ++y) {
    for (int x = 0; x < kHelpWidth; ++x) {
      const Bgra p = HelpPixel(image, x, y);
      const int edge = std::min({x, y, kHelpWidth - 1 - x, kHelpHeight - 1 - y});
      const bool nearCorner = (x < inner + kHelpCornerRadius || x >= kHelpWidth - inner - kHelpCornerRadius) &&
                              (y < inner + kHelpCornerRadius || y >= kHelpHeight - inner - kHelpCornerRadius);
      if (edge < kHelpMargin) {
        wrongMargin += p.a != 0;
      } else if (edge < inner) {
        wrongFrame += !nearCorner && !(p == frame);
      } else if (!nearCorner) {
        if (!inBand(y)) wrongPanel += !(p == panel);
        // Text is opaque in its own colour; only glyph edges blend with the panel.
        else wrongText += p.a < kHelpPanelAlpha || (p.a == 255 && !(p == white) && !(p == yellow));
      }
    }
  }
  EXPECT_EQ(wrongMargin, 0);
  EXPECT_EQ(wrongFrame, 0);
  EXPECT_EQ(wrongPanel, 0);
  EXPECT_EQ(wrongText, 0);
  EXPECT_EQ(HelpPixel(image, kHelpMargin, kHelpMargin).a, 0) << "rounded corner";
  EXPECT_EQ(HelpPixel(image, kHelpWidth - 1 - kHelpMargin, kHelpHeight - 1 - kHelpMargin).a, 0) << "rounded corner";
  EXPECT_EQ(HelpPixel(image, kHelpMargin, kHelpMargin + kHelpCornerRadius), frame);

  // Counts of fully opaque white and yellow pixels in a band between two columns.
  const auto count = [&](Band b, int left, int right, const Bgra& colour) {
    int n = 0;
    for (int y = b.top; y <= b.bottom; ++y)
      for (int x = left; x < right; ++x) n += HelpPixel(image, x, y) == colour;
    return n;
  };
  const auto columnLeft = [](int column) { return kHelpColumnX[column] - 2; };
  const auto columnRight = [](int column) {
    return column + 1 < kHelpColumnCount ? kHelpColumnX[column + 1] - 2 : kHelpWidth - inner;
  };
  const Band title = bands[0];
  EXPECT_GT(count(title, inner, kHelpWidth - inner, white), 100);
  EXPECT_EQ(count(title, inner, kHelpWidth - inner, yellow), 0);
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
        for (int x = left; x < right; ++x) textPixels += HelpPixel(image, x, y).a > kHelpPanelAlpha;
      EXPECT_EQ(textPixels > 0, filled);
      EXPECT_EQ(count(b, left, right, action ? white : yellow) > 0, filled);
      EXPECT_EQ(count(b, left, right, action ? yellow : white), 0);
    }
  }
  WriteBgraPicture("help.png", image, kHelpWidth, kHelpHeight);
}

// Both overlays in one frame over a scene-like background, for a person to look at; the preview
// picture and the icon go with it.
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
  DrawHelpScreen(OverlayArea{0, 0, kWidth, kHeight, 1.0f});
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
