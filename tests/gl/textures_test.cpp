// Textures and star arrays made from a loaded test data set, on Mesa: sizes, mipmap ranges, wrap
// modes with and without OpenGL 1.2, images released after upload, and every name deleted again.
#include "gl/textures.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "gl/gl_caps.h"
#include "tests/gl/gl_harness.h"
#include "tests/mapdata/load_fixture.h"
#include "tests/support/test_run.h"

namespace {

class TexturesTest : public LoadFixture {
 protected:
  void SetUp() override {
    LoadFixture::SetUp();
    std::string why;
    ASSERT_TRUE(GlHarnessStart(256, 256, &why)) << why;
    saved = gGlCaps;
    WriteSet();
    gTestLimits = GlRunLimits();
    Load();
  }
  void TearDown() override {
    DeleteSceneTextures();
    gGlCaps = saved;
    LoadFixture::TearDown();
  }
  static GLint Parameter(GLuint texture, GLenum name) {
    GLint value = -1;
    glBindTexture(GL_TEXTURE_2D, texture);
    glGetTexParameteriv(GL_TEXTURE_2D, name, &value);
    glBindTexture(GL_TEXTURE_2D, 0);
    return value;
  }
  static GLint LevelWidth(GLuint texture, GLint level) {
    GLint value = -1;
    glBindTexture(GL_TEXTURE_2D, texture);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_WIDTH, &value);
    glBindTexture(GL_TEXTURE_2D, 0);
    return value;
  }
  GlCaps saved;
};

TEST_F(TexturesTest, SizesLevelsWrapAndReleasedImages) {
  BuildSceneTextures(map, TestRunConfig().clouds);
  const SceneTextures& t = gTextures;
  ASSERT_NE(t.SeaTexture, 0u);
  ASSERT_NE(t.SunTexture, 0u);
  ASSERT_NE(t.CloudTexture, 0u);
  EXPECT_EQ(LevelWidth(t.SeaTexture, 0), 2048);
  EXPECT_EQ(LevelWidth(t.SeaTexture, 3), 256);  // generated mipmaps down to 256 x 128
  EXPECT_EQ(Parameter(t.SeaTexture, GL_TEXTURE_MAX_LEVEL), 3);
  EXPECT_EQ(Parameter(t.SeaTexture, GL_TEXTURE_WRAP_S), GL_REPEAT);
  EXPECT_EQ(Parameter(t.SeaTexture, GL_TEXTURE_WRAP_T), GL_CLAMP_TO_EDGE);
  EXPECT_EQ(Parameter(t.SeaTexture, GL_TEXTURE_MIN_FILTER), GL_LINEAR_MIPMAP_LINEAR);
  EXPECT_EQ(LevelWidth(t.SunTexture, 0), 64);
  EXPECT_EQ(Parameter(t.SunTexture, GL_TEXTURE_MAX_LEVEL), 0);
  EXPECT_EQ(Parameter(t.SunTexture, GL_TEXTURE_WRAP_S), GL_CLAMP_TO_EDGE);
  EXPECT_EQ(LevelWidth(t.CloudTexture, 0), 2048);
  EXPECT_EQ(map.seaImage, nullptr);
  EXPECT_EQ(map.sunImage, nullptr);
  EXPECT_EQ(map.cloudImage, nullptr);

  // The sun texture holds the sun file's texels unchanged.
  std::vector<Colour> sun(64 * 64);
  glBindTexture(GL_TEXTURE_2D, t.SunTexture);
  glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, sun.data());
  glBindTexture(GL_TEXTURE_2D, 0);
  EXPECT_EQ(std::memcmp(sun.data(), set.sun.data(), sun.size() * 4), 0);

  const GLuint names[] = {t.SeaTexture, t.SunTexture, t.CloudTexture};
  DeleteSceneTextures();
  for (GLuint name : names) EXPECT_FALSE(glIsTexture(name)) << name;
}

TEST_F(TexturesTest, WithoutVersion12NoLevelLimitsAndOldWrapModes) {
  gGlCaps.version12 = false;
  gGlCaps.version14 = false;  // mipmaps from gluBuild2DMipmaps
  BuildSceneTextures(map, TestRunConfig().clouds);
  EXPECT_EQ(Parameter(gTextures.SeaTexture, GL_TEXTURE_WRAP_T), GL_REPEAT);
  EXPECT_EQ(Parameter(gTextures.SeaTexture, GL_TEXTURE_MAX_LEVEL), 1000);  // the default: no limit
  EXPECT_EQ(LevelWidth(gTextures.SeaTexture, 11), 1);                     // the full chain exists
  EXPECT_EQ(Parameter(gTextures.SunTexture, GL_TEXTURE_WRAP_S), GL_CLAMP);
}

TEST_F(TexturesTest, CloudsOffMakeNoCloudTextureAndStarsSitOnTheSkySphere) {
  BuildSceneTextures(map, false);
  EXPECT_EQ(gTextures.CloudTexture, 0u);
  EXPECT_EQ(gTextures.brightCount, 20u);
  EXPECT_EQ(gTextures.dimCount, 20u);
  for (uint32_t i = 0; i < 40; ++i) {
    const float* p = gTextures.starPositions + 3 * i;
    EXPECT_NEAR(std::sqrt(p[0] * p[0] + p[1] * p[1] + p[2] * p[2]), 10.0f, 1e-4f);
  }
  float p[3];
  StarPosition(StarRecord{{}, 90.0f, 123.0f}, p);
  EXPECT_NEAR(p[0], 0.0f, 1e-5f);
  EXPECT_NEAR(p[1], 10.0f, 1e-5f);
  EXPECT_NEAR(p[2], 0.0f, 1e-5f);
  StarPosition(StarRecord{{}, 0.0f, 90.0f}, p);
  EXPECT_NEAR(p[0], 10.0f, 1e-5f);
  EXPECT_NEAR(p[2], 0.0f, 1e-5f);
  EXPECT_EQ(std::memcmp(&gTextures.starColours[20], &set.dimStars[0].colour, 4), 0);
}

}  // namespace
