// Whole frames on Mesa: what the first and later frames show, the present-day and terraformed
// looks, clouds, cast shadows, the GL state every pass must leave, the fallback paths for older
// OpenGL, and GL set-up and tear-down leaving no object behind.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>

#include "camera/sky_now.h"
#include "gl/gl_objects.h"
#include "gl/textures.h"
#include "math/view_matrices.h"
#include "tests/render/frame_fixture.h"

namespace {

// The matrices a frame is drawn with are made on the processor; they must be the ones OpenGL's
// own matrix stack makes from the same camera, or the mesh, the shadows and the sky drift apart.
TEST(FrameMatrices, AreTheMatrixStacksOwn) {
  std::string why;
  ASSERT_TRUE(GlHarnessStart(64, 64, &why)) << why;
  auto expectSame = [](const Mat4& rows, GLenum which, const char* what) {
    GLfloat columns[16];
    glGetFloatv(which, columns);
    for (int i = 0; i < 16; ++i) {
      const float expected = columns[(i % 4) * 4 + i / 4];
      EXPECT_NEAR(rows.m[i], expected, 1e-6f * std::max(1.0f, std::fabs(expected))) << what << " element " << i;
    }
  };
  glMatrixMode(GL_MODELVIEW);
  for (int k = 0; k < 50; ++k) {
    SCOPED_TRACE(k);
    const float a = 0.37f * k, b = 0.11f * k;
    const Vec3 eye{2.0e7f * std::cos(a), 5.0e6f * std::sin(3 * a), -1.5e7f * std::sin(a)};
    const Vec3 forward = Normalized(Vec3{-std::cos(b), 0.3f, std::sin(b)});
    const Vec3 centre = Add(eye, Scaled(forward, kLookAtDistance)), up{0.1f, 1.0f, -0.2f};
    glLoadIdentity();
    gluLookAt(eye.x, eye.y, eye.z, centre.x, centre.y, centre.z, up.x, up.y, up.z);
    expectSame(LookAt(eye, centre, up), GL_MODELVIEW_MATRIX, "look-at");
    const float spin = 7.3f * k;
    Mat4 turned = LookAt(eye, centre, up), columns;
    Mat4Transpose(columns, turned);
    glLoadMatrixf(columns.m);
    glRotatef(spin, 0.0f, 1.0f, 0.0f);
    expectSame(Mat4Multiply(turned, RotationAboutY(spin)), GL_MODELVIEW_MATRIX, "turn");
    glLoadIdentity();
    glOrtho(-1e6 - k, 2e6, -3e6, 1e6 + k, -2e7, 4e6);
    expectSame(Orthographic(-1e6f - k, 2e6f, -3e6f, 1e6f + k, -2e7f, 4e6f), GL_MODELVIEW_MATRIX, "box");
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(20.0 + k, 0.5 + 0.05 * k, 1.0e6 + k, 3.0e7);
    expectSame(Perspective(20.0 + k, 0.5 + 0.05 * k, 1.0e6 + k, 3.0e7), GL_PROJECTION_MATRIX, "perspective");
    glMatrixMode(GL_MODELVIEW);
  }
}

constexpr Colour kGround{200, 80, 40, 255};

class FrameTest : public FrameFixture {
 protected:
  void SetUp() override {
    FrameFixture::SetUp();
    set = MakeTestDataSetWithRows(8, 360.0);  // fine enough for a round globe, small enough to be quick
  }
  // One colour everywhere; the south lies deep (sea in the terraformed look), the north on land.
  void PaintGround() {
    uint64_t n = 0;
    for (uint32_t i = 0; i < set.counts.size(); ++i) {
      const bool south = i < set.counts.size() / 2;
      for (uint32_t j = 0; j < set.counts[i]; ++j, ++n) {
        set.mars[n] = kGround;
        set.topo[n] = south ? -4000 : 500;
        set.areoid[n] = 0;
      }
    }
  }
  MeanColour At(const std::vector<uint8_t>& pixels, float latitude, float longitude, int radius = 2,
                const FrameView* view = nullptr) {
    double x = 0, y = 0;
    EXPECT_TRUE(Project(latitude, longitude, 3396000.0f, &x, &y, view));
    return MeanAround(pixels, kWidth, static_cast<int>(x), static_cast<int>(y), radius);
  }
  static double Brightness(const MeanColour& c) { return c.r + c.g + c.b; }
};

TEST_F(FrameTest, FirstFrameShowsOnlyTheSkyThenTheGlobeLitFromTheSun) {
  PaintGround();
  StartScene();
  RenderOneFrame();
  std::vector<uint8_t> first = Frame();
  // The star straight ahead (azimuth 180, elevation 0) shines where the globe will be.
  const MeanColour centre = MeanAround(first, kWidth, kWidth / 2, kHeight / 2, 2);
  EXPECT_GT(Brightness(centre), 60.0);
  const MeanColour offCentre = MeanAround(first, kWidth, kWidth / 2 + 40, kHeight / 2 + 30, 3);
  EXPECT_LT(Brightness(offCentre), 3.0) << "no globe in the first frame";

  RenderOneFrame();
  SavePicture("frame_present.png");
  const std::vector<uint8_t> second = Frame();
  // The sun stands at longitude 330 (to the camera's left) and latitude 25.
  const MeanColour sunSide = At(second, 10.0f, -40.0f);
  const MeanColour farSide = At(second, -10.0f, 60.0f);
  EXPECT_GT(Brightness(sunSide), 150.0);
  EXPECT_GT(Brightness(sunSide), 3.0 * Brightness(farSide));
  // Present-day ground keeps its hue: red over green over blue.
  EXPECT_GT(sunSide.r, sunSide.g * 1.8);
  EXPECT_GT(sunSide.g, sunSide.b * 1.4);
}

TEST_F(FrameTest, SeaFillsTheLowLandOnlyInTheTerraformedLook) {
  PaintGround();
  gSaverSettings.Clouds = 0;  // the sea, not the cloud layer above it
  StartScene();
  RenderFrames(3);
  const std::vector<uint8_t> present = Frame();
  const MeanColour lowPresent = At(present, -30.0f, -20.0f);
  EXPECT_GT(lowPresent.r, lowPresent.b * 2.0) << "low land shows its own colour at level 0";

  ToggleTerraformTarget(terraform);
  RenderFrames(4, 5.0f);  // a long frame reaches level 60; the picture follows one frame later
  ASSERT_EQ(DrawnSlot().inputs.terraformLevel, 60);
  SavePicture("frame_terraformed.png");
  const std::vector<uint8_t> terraformed = Frame();
  const MeanColour lowTerraformed = At(terraformed, -30.0f, -20.0f);
  EXPECT_GT(lowTerraformed.b, lowTerraformed.r * 1.2) << "deep water is blue";
  const MeanColour highTerraformed = At(terraformed, 30.0f, -20.0f);
  EXPECT_GT(highTerraformed.g + highTerraformed.r, 2.0 * highTerraformed.b * 0.5) << "land stays land";
}

// Adaptive quality takes the shadows off a run that has them: what it draws from then on is what a
// run without shadows draws, the sea's texture included.
TEST_F(FrameTest, ShadowsTakenOffMidRunDrawAsARunWithoutThem) {
  PaintGround();
  gSaverSettings.Clouds = 0;
  std::vector<uint8_t> pictures[2];
  for (const int shadows : {0, 1}) {
    gSaverSettings.Shadows = static_cast<uint8_t>(shadows);
    terraform = TerraformState{false, 0.0f, 0.0f, 0};
    StartScene();
    ToggleTerraformTarget(terraform);
    RenderFrames(4, 5.0f);  // the terraformed look, level 60, drawn
    if (shadows) {
      quality = QualityLevel{false, 0};
      RenderFrames(2, 0.0f);
    }
    pictures[shadows] = Frame();
    ShutdownRenderer();
    setUp = false;
    FreeMapData(map);
  }
  const MeanColour sea = At(pictures[1], -30.0f, -20.0f);
  EXPECT_GT(sea.b, sea.r * 1.2) << "deep water is blue";
  double difference = 0.0;
  for (size_t i = 0; i < pictures[0].size(); ++i) difference += std::abs(pictures[0][i] - pictures[1][i]);
  EXPECT_LT(difference / static_cast<double>(pictures[0].size()), 0.5) << "mean difference per channel";
}

TEST_F(FrameTest, CloudsOnlyAboveLevelThirty) {
  PaintGround();
  auto render = [&](uint8_t clouds, float level) {
    gSaverSettings.Clouds = clouds;
    terraform = TerraformState{true, level, 0.0f, 0};
    return RenderFreshScene();
  };
  EXPECT_EQ(render(1, 30.0f), render(0, 30.0f)) << "no clouds at level 30";
  const std::vector<uint8_t> clouded = render(1, 60.0f);
  const std::vector<uint8_t> clear = render(0, 60.0f);
  size_t differing = 0;
  for (size_t k = 0; k < clear.size(); k += 4)
    if (std::abs(clouded[k] - clear[k]) + std::abs(clouded[k + 2] - clear[k + 2]) > 12) ++differing;
  EXPECT_GT(differing, 2000u) << "clouds cover part of the globe at level 60";
}

// GL state that every pass must leave behind (the surface passes rely on it).
void ExpectRestingState() {
  EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
  EXPECT_TRUE(glIsEnabled(GL_LIGHT0));
  EXPECT_TRUE(glIsEnabled(GL_COLOR_MATERIAL));
  EXPECT_TRUE(glIsEnabled(GL_NORMALIZE));
  EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
  EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
  EXPECT_FALSE(glIsEnabled(GL_BLEND));
  EXPECT_FALSE(glIsEnabled(GL_ALPHA_TEST));
  EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
  EXPECT_FALSE(glIsEnabled(GL_TEXTURE_GEN_S));
  EXPECT_FALSE(glIsEnabled(GL_TEXTURE_GEN_Q));
  if (gGlCaps.version13) {
    EXPECT_TRUE(glIsEnabled(GL_MULTISAMPLE));
  }
  GLint value = 0;
  glGetIntegerv(GL_DEPTH_FUNC, &value);
  EXPECT_EQ(value, GL_LESS);
  glGetIntegerv(GL_CULL_FACE_MODE, &value);
  EXPECT_EQ(value, GL_BACK);
  glGetIntegerv(GL_SHADE_MODEL, &value);
  EXPECT_EQ(value, GL_SMOOTH);
  GLboolean mask = GL_FALSE;
  glGetBooleanv(GL_DEPTH_WRITEMASK, &mask);
  EXPECT_TRUE(mask);
  glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &value);
  EXPECT_EQ(value, GL_MODULATE);
  glGetIntegerv(GL_LIGHT_MODEL_COLOR_CONTROL, &value);
  EXPECT_EQ(value, GL_SINGLE_COLOR);
  GLfloat v[4];
  glGetLightfv(GL_LIGHT0, GL_AMBIENT, v);
  EXPECT_FLOAT_EQ(v[0], 0.1f);
  glGetLightfv(GL_LIGHT0, GL_DIFFUSE, v);
  EXPECT_FLOAT_EQ(v[0], 0.9f);
  glGetLightfv(GL_LIGHT0, GL_SPECULAR, v);
  EXPECT_FLOAT_EQ(v[0], 1.0f);
  glGetMaterialfv(GL_FRONT, GL_SPECULAR, v);
  EXPECT_FLOAT_EQ(v[0], 0.02f);
  glGetMaterialfv(GL_FRONT, GL_SHININESS, v);
  EXPECT_FLOAT_EQ(v[0], 16.0f);
  glGetIntegerv(GL_MATRIX_MODE, &value);
  EXPECT_EQ(value, GL_PROJECTION);
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(FrameTest, EveryPathLeavesTheRestingStateAndTheCallersMatrices) {
  for (int shadows = 0; shadows <= 1; ++shadows) {
    SCOPED_TRACE(shadows ? "shadows" : "plain");
    gSaverSettings.Shadows = static_cast<uint8_t>(shadows);
    gSaverSettings.Atmosphere = 1;
    StartScene();
    glGetError();
    for (int level : {0, 60}) {
      terraform = TerraformState{level == 60, level == 60 ? 60.0f : 0.0f, 0.0f, 0};
      RenderFrames(2, 0.0f);
      GLfloat projection[16], modelview[16], projectionAfter[16], modelviewAfter[16];
      glGetFloatv(GL_PROJECTION_MATRIX, projection);
      glGetFloatv(GL_MODELVIEW_MATRIX, modelview);
      RenderOneFrame(0.0f);
      ExpectRestingState();
      glGetFloatv(GL_PROJECTION_MATRIX, projectionAfter);
      glGetFloatv(GL_MODELVIEW_MATRIX, modelviewAfter);
      for (int i = 0; i < 16; ++i) {
        EXPECT_FLOAT_EQ(projectionAfter[i], projection[i]);
        EXPECT_FLOAT_EQ(modelviewAfter[i], modelview[i]);
      }
    }
    ShutdownRenderer();
    setUp = false;
    FreeMapData(map);
  }
}

TEST_F(FrameTest, SetupMakesAndTeardownDeletesEveryObject) {
  gSaverSettings.Shadows = 1;
  StartScene();
  const GlObjects objects = gGlObjects;
  const SceneTextures textures = gTextures;
  ASSERT_TRUE(gGlCaps.version15);
  GLint size = 0;
  glBindBuffer(GL_ARRAY_BUFFER, objects.buffers[kStarPositionBuffer]);
  glGetBufferParameteriv(GL_ARRAY_BUFFER, GL_BUFFER_SIZE, &size);
  EXPECT_EQ(size, 40 * 12);
  glBindBuffer(GL_ARRAY_BUFFER, objects.buffers[kPositionBuffer]);
  glGetBufferParameteriv(GL_ARRAY_BUFFER, GL_BUFFER_SIZE, &size);
  EXPECT_EQ(size, 525000 * 36);
  glBindBuffer(GL_ARRAY_BUFFER, 0);
  ASSERT_NE(objects.ShadowFramebuffer, 0u);
  EXPECT_EQ(objects.shadowWidth, 512);  // 400 x 300: twice the larger side, down to a power of two
  glBindFramebuffer(GL_FRAMEBUFFER, objects.ShadowFramebuffer);
  EXPECT_EQ(glCheckFramebufferStatus(GL_FRAMEBUFFER), static_cast<GLenum>(GL_FRAMEBUFFER_COMPLETE));
  glBindFramebuffer(GL_FRAMEBUFFER, 0);
  GLint unit = 0;
  glGetIntegerv(GL_CLIENT_ACTIVE_TEXTURE, &unit);
  EXPECT_EQ(unit, GL_TEXTURE1);

  ShutdownRenderer();
  setUp = false;
  for (GLuint buffer : objects.buffers) EXPECT_FALSE(glIsBuffer(buffer)) << buffer;
  for (GLuint texture : {textures.SeaTexture, textures.SunTexture, textures.CloudTexture, objects.ShadowDepthTexture})
    EXPECT_FALSE(glIsTexture(texture)) << texture;
  EXPECT_FALSE(glIsFramebuffer(objects.ShadowFramebuffer));
  glClientActiveTexture(GL_TEXTURE0);
}

TEST_F(FrameTest, ShadowMapSizes) {
  EXPECT_EQ(ShadowMapSize(800, 600), 1024);
  EXPECT_EQ(ShadowMapSize(1920, 1080), 2048);
  EXPECT_EQ(ShadowMapSize(1024, 768), 2048);
  EXPECT_EQ(FloorPowerOfTwo(1000), 512);
  EXPECT_EQ(FloorPowerOfTwo(700), 512);
  EXPECT_EQ(FloorPowerOfTwo(1), 1);
  EXPECT_EQ(FloorPowerOfTwo(0), 0);
  EXPECT_EQ(FloorPowerOfTwo(-5), 0);
}

// A tall mountain near the evening side, with a low sun: the ground east of it lies in its
// shadow when shadows are drawn, and is lit when they are not.
class ShadowTest : public FrameTest {
 protected:
  void SetUp() override {
    FrameTest::SetUp();
    set = MakeTestDataSet(8, true);
    PaintGround();
    const double peakLat = 0.0, peakLon = 40.0, radius = 4.0;
    uint64_t n = 0;
    for (uint32_t i = 0; i < set.counts.size(); ++i) {
      const double lat = -90.0 + 0.125 * i;
      for (uint32_t j = 0; j < set.counts[i]; ++j, ++n) {
        const double lon = 360.0 * j / set.counts[i];
        set.topo[n] = 500;
        const double dLat = lat - peakLat, dLon = (lon - peakLon) * std::cos(lat * 3.14159265358979 / 180.0);
        const double distance = std::sqrt(dLat * dLat + dLon * dLon);
        if (distance < radius) set.topo[n] = static_cast<int16_t>(500 + 15500 * (1.0 - distance / radius));
      }
    }
  }
};

TEST_F(ShadowTest, MountainCastsAShadowOnlyWithShadows) {
  gSaverSettings.Shadows = 1;
  StartScene();
  RenderFrames(3);
  SavePicture("frame_shadows.png");
  const std::vector<uint8_t> shadowed = Frame();
  // Adaptive quality's first step: the slots built from now on are drawn on the plain path.
  quality = QualityLevel{false, 0};
  RenderFrames(3);
  SavePicture("frame_no_shadows.png");
  const std::vector<uint8_t> plain = Frame();

  const double behindShadowed = Brightness(At(shadowed, -1.0f, 46.0f));
  const double behindPlain = Brightness(At(plain, -1.0f, 46.0f));
  EXPECT_LT(behindShadowed, 0.7 * behindPlain) << "ground behind the mountain is darker with shadows";
  // Away from the mountain both paths light the ground alike.
  const double openShadowed = Brightness(At(shadowed, 10.0f, 10.0f));
  const double openPlain = Brightness(At(plain, 10.0f, 10.0f));
  EXPECT_NEAR(openShadowed, openPlain, 0.1 * openPlain + 6.0);

  // And back: the shadow returns whole once the slots are built with it again.
  quality = QualityLevel{true, 0};
  RenderFrames(3);
  const std::vector<uint8_t> again = Frame();
  EXPECT_NEAR(Brightness(At(again, -1.0f, 46.0f)), behindShadowed, 0.1 * behindShadowed + 3.0);
  EXPECT_NEAR(Brightness(At(again, 10.0f, 10.0f)), openShadowed, 0.1 * openShadowed + 3.0);
}

// Two monitors of different shapes side by side: each view shows the globe, shadow included, where
// its own viewport and shape put it, from the one mesh and the one shadow map; the window's rows
// beside the shorter view lie on no monitor and stay black.
TEST_F(ShadowTest, EveryViewDrawsTheWholeShadowedGlobeInsideItsOwnViewport) {
  gSaverSettings.Shadows = 1;
  StartScene();
  FrameViews views{};
  views.count = 2;
  views.views[0] = FrameView{0, 0, kWidth / 2, kHeight, 24.0f, 0.0f, 1.0f};
  views.views[1] = FrameView{kWidth / 2, kHeight / 4, kWidth / 2, kHeight / 2, 24.0f, 0.0f, 1.0f};
  for (FrameView& v : views.views) v.aspect = v.height > 0 ? static_cast<float>(v.width) / v.height : 0.0f;
  views.views[0].fieldOfView = 24.0f / views.views[0].aspect;  // portrait: widened, as the saver does
  for (int i = 0; i < 3; ++i) RenderOneFrame(0.05f, &views);
  SavePicture("frame_two_views.png");
  const std::vector<uint8_t> frame = Frame();

  for (const FrameView& view : {views.views[0], views.views[1]}) {
    SCOPED_TRACE(view.x);
    const double behind = Brightness(At(frame, -1.0f, 46.0f, 1, &view));
    const double open = Brightness(At(frame, 10.0f, 10.0f, 1, &view));
    EXPECT_GT(open, 150.0) << "sunlit ground where this view shows it";
    EXPECT_LT(behind, 0.7 * open) << "the mountain's shadow where this view shows it";
  }
  uint64_t lit = 0;
  for (int y = 0; y < kHeight / 4; ++y)
    for (int x = kWidth / 2; x < kWidth; ++x) {
      const uint8_t* p = &frame[(static_cast<size_t>(y) * kWidth + x) * 4];
      lit += p[0] + p[1] + p[2] > 0;
    }
  EXPECT_EQ(lit, 0u) << "pixels drawn below the shorter view";
}

TEST_F(ShadowTest, AnIncompleteShadowFramebufferTurnsShadowsOffForTheSession) {
  // An implementation that reports no renderbuffer size gets a depth texture of 0 x 0, which no
  // framebuffer can complete: the saver goes on, drawing the plain surface.
  gSaverSettings.Shadows = 1;
  StartScene([] { gGlCaps.maxRenderbufferSize = 0; });
  EXPECT_FALSE(shadowsDrawn);
  EXPECT_EQ(gGlObjects.ShadowFramebuffer, 0u);
  EXPECT_EQ(gGlObjects.ShadowDepthTexture, 0u);
  GLint unit = 0;
  glGetIntegerv(GL_CLIENT_ACTIVE_TEXTURE, &unit);
  EXPECT_EQ(unit, GL_TEXTURE0);
  RenderFrames(3);
  EXPECT_FALSE(DrawnSlot().inputs.shadowed);
  const std::vector<uint8_t> fallback = Frame();
  ShutdownRenderer();
  setUp = false;
  FreeMapData(map);
  gSaverSettings.Shadows = 0;
  const std::vector<uint8_t> plain = RenderFreshScene();
  const double behindFallback = Brightness(At(fallback, -1.0f, 46.0f));
  const double behindPlain = Brightness(At(plain, -1.0f, 46.0f));
  EXPECT_GT(behindPlain, 20.0) << "the ground behind the mountain is lit";
  EXPECT_NEAR(behindFallback, behindPlain, 0.1 * behindPlain + 6.0) << "no shadow behind the mountain";
}

// Mean absolute difference per channel between two frames.
double FrameDifference(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
  double sum = 0;
  for (size_t k = 0; k < a.size(); ++k)
    if (k % 4 != 3) sum += std::abs(a[k] - b[k]);
  return sum / (a.size() * 3 / 4);
}

TEST_F(FrameTest, FallbackPathsDrawTheSameGlobe) {
  PaintGround();
  auto render = [&](const std::function<void()>& adjust, uint8_t shadows) {
    gSaverSettings.Shadows = shadows;
    terraform = TerraformState{true, 60.0f, 0.0f, 0};
    return RenderFreshScene(adjust);
  };
  const std::vector<uint8_t> reference = render({}, 0);
  const std::vector<uint8_t> clientArrays = render([] { gGlCaps.version15 = false; }, 0);
  EXPECT_LT(FrameDifference(reference, clientArrays), 0.05) << "client arrays";
  const std::vector<uint8_t> noVersion14 = render([] { gGlCaps.version14 = false; }, 1);
  EXPECT_LT(FrameDifference(reference, noVersion14), 1.0) << "without 1.4 shadows are off";
  const std::vector<uint8_t> noVersion12 = render([] { gGlCaps.version12 = false; }, 0);
  EXPECT_LT(FrameDifference(reference, noVersion12), 2.0) << "without 1.2";

  const std::vector<uint8_t> framebuffer = render({}, 1);
  const std::vector<uint8_t> copiedDepth = render([] {
    gGlCaps.version30 = false;
    gGlCaps.extFramebuffer = false;
  }, 1);
  EXPECT_LT(FrameDifference(framebuffer, copiedDepth), 2.0) << "shadow depth copied from the window";
  EXPECT_GT(FrameDifference(framebuffer, reference), 0.0);
}

// A run on the Mars clock at a fixed moment (2026-09-28 06:48:09 UTC): the sky placed as the saver
// core places it each frame, the camera aimed by hand.
class ClockSkyTest : public FrameTest {
 protected:
  static constexpr int64_t kMoment = 1790578089000;
  void PlaceSky(int64_t moment) {
    const MarsClock clock = MarsClockAt(moment);
    const Vec3 sun = SunDirectionAt(clock);
    SetPointPosition(cameras.sun, sun);
    cameras.spinAngle = StarTurnAt(clock);
    cameras.sky = SkyBodiesAt(moment, sun);
  }
  void Aim(const Vec3& eye, const Vec3& target) {
    const Vec3 forward = Normalized(Sub(target, eye));
    const Vec3 right = Normalized(Cross(forward, std::fabs(forward.y) < 0.9f ? Vec3{0, 1, 0} : Vec3{1, 0, 0}));
    SetPointPosition(cameras.camera.point, eye);
    SetOrientation(cameras.camera, forward, Cross(right, forward), right);
  }
  std::vector<uint8_t> Still() {
    RenderFrames(3, 0.0f);
    return Frame();
  }
};

TEST_F(ClockSkyTest, TheSubSolarSideIsLitTheOppositeDarkAndPhobosCastsItsShadow) {
  PaintGround();
  std::fill(set.topo.begin(), set.topo.end(), int16_t{0});  // the shadow falls on the reference sphere
  gSaverSettings.SunPos = kSunPosNow;
  gSaverSettings.Shadows = 1;
  StartScene();
  ASSERT_TRUE(cameras.clockSun);
  PlaceSky(kMoment);
  const Vec3 sun = PointPosition(cameras.sun);
  // Across the disc: the centre and four points 40 % of its radius out.
  const auto disc = [&](const std::vector<uint8_t>& pixels) {
    double low = 1e9, high = 0.0;
    for (const auto& [dx, dy] : {std::pair{0, 0}, {-24, 0}, {24, 0}, {0, -24}, {0, 24}}) {
      const double b = Brightness(MeanAround(pixels, kWidth, kWidth / 2 + dx, kHeight / 2 + dy, 2));
      low = std::min(low, b);
      high = std::max(high, b);
    }
    return std::pair{low, high};
  };
  Aim(Scaled(sun, kMaxCameraDistance), Vec3{0, 0, 0});
  const double dayLow = disc(Still()).first;
  SavePicture("clock_day_side.png");
  Aim(Scaled(sun, -kMaxCameraDistance), Vec3{0, 0, 0});
  const double nightHigh = disc(Still()).second;
  EXPECT_GT(dayLow, 150.0) << "the sub-solar side is lit across its disc";
  EXPECT_LT(nightHigh, 0.25 * dayLow) << "the opposite side has only the ambient light";

  // A moon from five of its radii on its sunward side: black at this moment for Phobos, in Mars's
  // shadow.
  const auto fromSunward = [&](int index) {
    const MoonBody& moon = cameras.sky.moons[index];
    const Vec3 side = Normalized(Add(PointPosition(cameras.sun), Scaled(moon.axes[0], -0.5f)));
    Aim(Add(moon.centre, Scaled(side, 5.0f * moon.radii[0])), moon.centre);
    return MeanAround(Still(), kWidth, kWidth / 2, kHeight / 2, 3);
  };
  const auto phobosFromSunward = [&] { return fromSunward(0); };
  ASSERT_TRUE(cameras.sky.moons[0].eclipsed);
  EXPECT_LT(Brightness(phobosFromSunward()), 10.0) << "eclipsed";

  // Hours later Phobos stands between the sun and the ground: lit grey, its shadow on the ground.
  int64_t moment = kMoment;
  float along = 0.0f, miss = 0.0f;
  for (; moment < kMoment + 86400000; moment += 60000) {
    PlaceSky(moment);
    const Vec3 c = cameras.sky.moons[0].centre, s = PointPosition(cameras.sun);
    along = Dot(c, s);
    miss = Length(Sub(c, Scaled(s, along)));
    if (along > 0.0f && miss < 0.5f * kReferenceRadius) break;
  }
  ASSERT_LT(moment, kMoment + 86400000) << "Phobos crosses the sun's line within a day";
  const MeanColour moon = phobosFromSunward();
  SavePicture("clock_phobos.png");
  EXPECT_GT(Brightness(moon), 90.0);
  EXPECT_LT(std::fabs(moon.r - moon.b), 0.25 * moon.r) << "grey, not the ground's red";
  const MeanColour deimos = fromSunward(1);
  SavePicture("clock_deimos.png");
  if (cameras.sky.moons[1].eclipsed) EXPECT_LT(Brightness(deimos), 10.0);
  else EXPECT_GT(Brightness(deimos), 90.0);

  // The shadow's middle under a camera 1,500 km above it, darker than the ground 100 km away.
  const Vec3 s = PointPosition(cameras.sun);
  const Vec3 ground = Sub(cameras.sky.moons[0].centre, Scaled(s, along - std::sqrt(kReferenceRadius * kReferenceRadius - miss * miss)));
  const Vec3 up = Normalized(ground);
  Aim(Scaled(up, kReferenceRadius + 1500000.0f), Vec3{0, 0, 0});
  const std::vector<uint8_t> shadowed = Still();
  SavePicture("clock_phobos_shadow.png");
  const auto brightnessAt = [&](const Vec3& p) {
    SphereCoords at;
    Vec3ToSphere(at, p);
    double x = 0, y = 0;
    EXPECT_TRUE(Project(at.lat, at.lon, kReferenceRadius, &x, &y));
    return Brightness(MeanAround(shadowed, kWidth, static_cast<int>(x), static_cast<int>(y), 1));
  };
  const Vec3 aside = Scaled(Normalized(Cross(up, Vec3{0, 1, 0})), 100000.0f);
  EXPECT_LT(brightnessAt(ground), 0.6 * brightnessAt(Add(ground, aside))) << "Phobos's shadow on the ground";
}

}  // namespace
