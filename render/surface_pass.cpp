// Surface pass and atmosphere shell.
#include "render/surface_pass.h"

#include <GL/glew.h>

#include "gl/gl_caps.h"
#include "gl/textures.h"
#include "render/draw_triangles.h"
#include "render/lighting.h"
#include "render/pass_geometry.h"
#include "render/terraform_blend.h"

namespace {
constexpr GLfloat kWhite[4] = {1, 1, 1, 1};
}  // namespace

bool CloudsDrawn(bool cloudLayer, int32_t level) {
  return cloudLayer && gTextures.CloudTexture != 0 && level > kCloudLevel;
}

void DrawCloudShell(const MeshRanges& r) {
  // The far side of the shell first, darker, seen through the near side.
  CloudInsideLight();
  glCullFace(GL_FRONT);
  DrawTriangles(r.cloudFirst, r.cloudCount);
  glCullFace(GL_BACK);
  SetLightDiffuse(kNearSideDiffuse);
  DrawTriangles(r.cloudFirst, r.cloudCount);
}

void SurfacePass(const MeshSlot& slot, bool cloudLayer) {
  const MeshRanges& r = slot.ranges;
  const int32_t level = slot.inputs.terraformLevel;
  if (level == 0) {
    DrawTriangles(r.planetFirst, r.planetCount);
    return;
  }
  // Land above the sea: low ground fails the alpha test and leaves room for the sea.
  glEnable(GL_ALPHA_TEST);
  glAlphaFunc(GL_GREATER, SeaThreshold(level));
  DrawTriangles(r.planetFirst, r.planetCount);

  glColor4fv(kWhite);
  glEnableClientState(GL_TEXTURE_COORD_ARRAY);
  glDisableClientState(GL_COLOR_ARRAY);
  glDisable(GL_ALPHA_TEST);

  WaterLight();
  glBindTexture(GL_TEXTURE_2D, gTextures.SeaTexture);
  glEnable(GL_TEXTURE_2D);
  // Without 1.2 the highlight is mixed into the texture colour instead of added after it.
  if (gGlCaps.version12) glLightModeli(GL_LIGHT_MODEL_COLOR_CONTROL, GL_SEPARATE_SPECULAR_COLOR);
  DrawTriangles(r.waterFirst, r.waterCount);
  if (gGlCaps.version12) glLightModeli(GL_LIGHT_MODEL_COLOR_CONTROL, GL_SINGLE_COLOR);
  glDisable(GL_TEXTURE_2D);
  PlainLight();

  if (CloudsDrawn(cloudLayer, level)) {
    const GLfloat fade[4] = {1, 1, 1, CloudAlpha(level)};
    glColor4fv(fade);
    glBindTexture(GL_TEXTURE_2D, gTextures.CloudTexture);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    DrawCloudShell(r);
    glDisable(GL_BLEND);
    glDisable(GL_TEXTURE_2D);
  }
  glBindTexture(GL_TEXTURE_2D, 0);
  glEnableClientState(GL_COLOR_ARRAY);
  glDisableClientState(GL_TEXTURE_COORD_ARRAY);
}

void AtmospherePass(const MeshSlot& slot) {
  AtmosphereLight();
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  DrawTriangles(slot.ranges.atmosphereFirst, slot.ranges.atmosphereCount);
  glDisable(GL_BLEND);
  PlainLight();
}
