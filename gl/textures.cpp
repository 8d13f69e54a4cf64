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

void BuildSceneTextures(MapData& map, bool clouds) {
  SceneTextures& textures = gTextures;
  textures.SeaTexture = MakeMipmappedTexture(map.seaImage, map.seaWidth, map.seaHeight);
  ReleaseImage(map.seaImage);
  textures.SunTexture = MakeSunTexture(map.sunImage);
  ReleaseImage(map.sunImage);

  const StarArrays stars = MakeStarArrays(map.stars, map.starCount);
  textures.starPositions = stars.positions;
  textures.starColours = stars.colours;
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
