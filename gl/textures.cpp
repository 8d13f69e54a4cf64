// Sea, sun and cloud textures and the star position and colour arrays.
#include "gl/textures.h"

#include <GL/glu.h>

#include <cmath>
#include <cstdlib>

#include "gl/gl_caps.h"
#include "mapdata/map_data.h"
#include "mapdata/table_memory.h"
#include "platform/failure_report.h"

SceneTextures gTextures{};

namespace {

// Where the texture stays sharp: the image wraps in longitude (S) but not over the poles (T).
GLuint MakeMipmappedTexture(const Colour* image, uint32_t width, uint32_t height) {
  GLuint name = 0;
  glGenTextures(1, &name);
  glBindTexture(GL_TEXTURE_2D, name);
  if (gGlCaps.version12) {
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_BASE_LEVEL, 0);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, MaxMipLevel(width));
  }
  if (gGlCaps.version14) {
    glTexParameteri(GL_TEXTURE_2D, GL_GENERATE_MIPMAP, GL_TRUE);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, static_cast<GLsizei>(width), static_cast<GLsizei>(height), 0, GL_RGBA,
                 GL_UNSIGNED_BYTE, image);
  } else {
    gluBuild2DMipmaps(GL_TEXTURE_2D, 4, static_cast<GLint>(width), static_cast<GLint>(height), GL_RGBA,
                      GL_UNSIGNED_BYTE, image);
  }
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, gGlCaps.version12 ? GL_CLAMP_TO_EDGE : GL_REPEAT);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
  glBindTexture(GL_TEXTURE_2D, 0);
  return name;
}

GLuint MakeSunTexture(const Colour* image) {
  GLuint name = 0;
  glGenTextures(1, &name);
  glBindTexture(GL_TEXTURE_2D, name);
  const GLint wrap = gGlCaps.version12 ? GL_CLAMP_TO_EDGE : GL_CLAMP;
  if (gGlCaps.version12) {
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_BASE_LEVEL, 0);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
  }
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, wrap);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, wrap);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, kSunImageSize, kSunImageSize, 0, GL_RGBA, GL_UNSIGNED_BYTE, image);
  glBindTexture(GL_TEXTURE_2D, 0);
  return name;
}

void ReleaseImage(Colour*& image) {
  TableRelease(image);
  image = nullptr;
}

}  // namespace

int32_t MaxMipLevel(uint32_t width) {
  if (width <= 2048) return 3;
  if (width <= 4096) return 4;
  return 5;
}

void StarPosition(const StarRecord& star, float out[3]) {
  const float a = star.elevation * 0.017453292519943295f;
  const float b = star.azimuth * 0.017453292519943295f;
  out[0] = kSkyRadius * std::cos(a) * std::sin(b);
  out[1] = kSkyRadius * std::sin(a);
  out[2] = kSkyRadius * std::cos(a) * std::cos(b);
}

void BuildSceneTextures(MapData& map, bool clouds) {
  SceneTextures& textures = gTextures;
  textures.SeaTexture = MakeMipmappedTexture(map.seaImage, map.seaWidth, map.seaHeight);
  ReleaseImage(map.seaImage);
  textures.SunTexture = MakeSunTexture(map.sunImage);
  ReleaseImage(map.sunImage);

  const size_t count = map.starCount;
  textures.starPositions = static_cast<float*>(std::malloc(count * 3 * sizeof(float) + 1));
  textures.starColours = static_cast<Colour*>(std::malloc(count * sizeof(Colour) + 1));
  if (!textures.starPositions || !textures.starColours) FailSetUp("no memory for the arrays of %u stars", map.starCount);
  for (size_t i = 0; i < count; ++i) {
    StarPosition(map.stars[i], textures.starPositions + 3 * i);
    textures.starColours[i] = map.stars[i].colour;
  }
  textures.brightCount = map.brightCount;
  textures.dimCount = map.dimCount;

  if (clouds && map.cloudImage) {
    textures.CloudTexture = MakeMipmappedTexture(map.cloudImage, map.cloudWidth, map.cloudHeight);
    ReleaseImage(map.cloudImage);
  }
}

void DeleteSceneTextures() {
  SceneTextures& textures = gTextures;
  // glDeleteTextures ignores the name 0, so textures never made cost nothing here.
  glDeleteTextures(1, &textures.SunTexture);
  std::free(textures.starPositions);
  std::free(textures.starColours);
  glDeleteTextures(1, &textures.SeaTexture);
  glDeleteTextures(1, &textures.CloudTexture);
  textures = SceneTextures{};
}
