// Sky pass: stars as smooth points from the static star arrays, and the sun as a textured square
// about two degrees across, both on a sphere of radius 10 inside a 1..11 depth range.
#include "render/sky_pass.h"

#include <GL/glew.h>

#include "gl/gl_caps.h"
#include "gl/gl_matrix.h"
#include "gl/gl_objects.h"
#include "gl/textures.h"
#include "math/vector_math.h"
#include "math/view_matrices.h"
#include "render/pass_geometry.h"

namespace {

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

// The planets as round points on the sky sphere, in the planet frame (no star turn).
void DrawPlanets(const SkyBodies& sky) {
  for (int i = 0; i < kPlanetCount; ++i) {
    const PlanetPoint point = PlanetPointOf(i, sky.planets[i].magnitude);
    glPointSize(point.size);
    glColor4fv(point.rgba);
    const Vec3 p = Scaled(sky.planets[i].direction, kSkyRadius);
    glBegin(GL_POINTS);
    glVertex3f(p.x, p.y, p.z);
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
