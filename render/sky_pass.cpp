// Sky pass: stars as smooth points from the static star arrays, and the sun as a textured square
// about two degrees across, both on a sphere of radius 10 inside a 1..11 depth range.
#include "render/sky_pass.h"

#include <GL/glew.h>

#include <algorithm>
#include <cmath>

#include "gl/gl_caps.h"
#include "gl/gl_matrix.h"
#include "gl/gl_objects.h"
#include "gl/textures.h"
#include "math/vector_math.h"
#include "math/view_matrices.h"
#include "render/pass_geometry.h"

namespace {

// Each planet's tint: Mercury grey, Venus white, Earth blue, Jupiter cream, Saturn pale gold.
constexpr float kPlanetTints[kPlanetCount][3] = {
    {0.85f, 0.80f, 0.75f}, {1.0f, 0.98f, 0.90f}, {0.70f, 0.82f, 1.0f}, {1.0f, 0.94f, 0.82f}, {1.0f, 0.90f, 0.66f}};
// Brightness by magnitude as the star colours have it: full at Sirius (-1.46), then a tenth of the
// real fall a magnitude, never below a quarter.
constexpr float kSaturatedMagnitude = -1.46f;
constexpr float kMagnitudeContrast = 0.2f;
constexpr float kFaintestShare = 0.25f;

void DrawStars() {
  const SceneTextures& textures = gTextures;
  if (gGlCaps.version15) {
    glBindBuffer(GL_ARRAY_BUFFER, gGlObjects.buffers[kStarPositionBuffer]);
    glVertexPointer(3, GL_FLOAT, 0, nullptr);
    glBindBuffer(GL_ARRAY_BUFFER, gGlObjects.buffers[kStarColourBuffer]);
    glColorPointer(4, GL_UNSIGNED_BYTE, 0, nullptr);
  } else {
    glVertexPointer(3, GL_FLOAT, 0, textures.starPositions);
    glColorPointer(4, GL_UNSIGNED_BYTE, 0, textures.starColours);
  }
  glPointSize(2.0f);
  glDrawArrays(GL_POINTS, 0, static_cast<GLsizei>(textures.brightCount));
  glPointSize(1.0f);
  glDrawArrays(GL_POINTS, static_cast<GLint>(textures.brightCount), static_cast<GLsizei>(textures.dimCount));
}

// The planets as round points on the sky sphere, in the planet frame (no star turn): those brighter
// than magnitude 0 three pixels across, the others two.
void DrawPlanets(const SkyBodies& sky) {
  for (const int size : {3, 2}) {
    glPointSize(static_cast<float>(size));
    glBegin(GL_POINTS);
    for (int i = 0; i < kPlanetCount; ++i) {
      const PlanetLight& planet = sky.planets[i];
      if ((planet.magnitude < 0.0f) != (size == 3)) continue;
      const float fall = std::pow(10.0f, -0.4f * kMagnitudeContrast * std::max(0.0f, planet.magnitude - kSaturatedMagnitude));
      const float level = std::max(kFaintestShare, fall);
      glColor4f(kPlanetTints[i][0] * level, kPlanetTints[i][1] * level, kPlanetTints[i][2] * level, level);
      const Vec3 p = Scaled(planet.direction, kSkyRadius);
      glVertex3f(p.x, p.y, p.z);
    }
    glEnd();
  }
  glPointSize(1.0f);
}

// A square around the sun direction.
void DrawSunDisc(const Vec3& light) {
  Vec3 corners[4];
  SunDiscCorners(light, kSkyRadius, corners);
  const GLfloat white[4] = {1, 1, 1, 1};
  glColor4fv(white);
  glDisable(GL_CULL_FACE);
  glEnable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, gTextures.SunTexture);
  glBegin(GL_QUADS);
  for (int i = 0; i < 4; ++i) {
    glTexCoord2fv(kSunDiscTexCoords[i]);
    glVertex3f(corners[i].x, corners[i].y, corners[i].z);
  }
  glEnd();
  glBindTexture(GL_TEXTURE_2D, 0);
  glDisable(GL_TEXTURE_2D);
  glEnable(GL_CULL_FACE);
}

}  // namespace

void SkyPass(const FrameView& view, const Mat4& cameraView, float spinAngle, const SpherePoint& sun,
             const SkyBodies& sky) {
  glMatrixMode(GL_PROJECTION);
  glPushMatrix();
  LoadRows(SkyProjection(view.fieldOfView, view.aspect));
  const Mat4 skyView = SkyView(cameraView);
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  LoadRows(skyView);

  glDisable(GL_COLOR_MATERIAL);
  glDisable(GL_LIGHT0);
  glDisable(GL_LIGHTING);
  glDisable(GL_DEPTH_TEST);
  glDepthMask(GL_FALSE);
  if (gGlCaps.version13) glDisable(GL_MULTISAMPLE);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glEnable(GL_POINT_SMOOTH);

  if (spinAngle != 0.0f) LoadRows(Mat4Multiply(skyView, RotationAboutY(spinAngle)));
  DrawStars();
  if (spinAngle != 0.0f) LoadRows(skyView);
  if (sky.shown) DrawPlanets(sky);

  const Vec3 light{sun.x, sun.y, sun.z};
  if (IsNonZero(light.x)) DrawSunDisc(light);

  glDisable(GL_POINT_SMOOTH);
  glDisable(GL_BLEND);
  if (gGlCaps.version13) glEnable(GL_MULTISAMPLE);
  glEnable(GL_LIGHTING);
  glEnable(GL_LIGHT0);
  glEnable(GL_COLOR_MATERIAL);
  glDepthMask(GL_TRUE);
  glEnable(GL_DEPTH_TEST);
  glPopMatrix();
  glMatrixMode(GL_PROJECTION);
  glPopMatrix();
}
