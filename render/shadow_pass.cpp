// Shadow pass: depth from the sun into the shadow map (a framebuffer object, or a copy of the
// window's depth buffer), then the surface drawn dark and again lit where the sun reaches.
#include "render/shadow_pass.h"

#include <GL/glew.h>

#include "gl/gl_caps.h"
#include "gl/gl_objects.h"
#include "gl/gl_matrix.h"
#include "gl/gl_setup.h"
#include "gl/textures.h"
#include "math/view_matrices.h"
#include "render/draw_triangles.h"
#include "render/lighting.h"
#include "render/moon_pass.h"
#include "render/pass_geometry.h"
#include "render/surface_pass.h"
#include "render/terraform_blend.h"

namespace {

constexpr GLfloat kWhite[4] = {1, 1, 1, 1};

void BindFramebuffer(GLuint framebuffer) {
  if (gGlCaps.version30) glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
  else glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, framebuffer);
}

void ActiveUnit(GLenum unit) { glActiveTexture(unit); }

void RenderDepth(const MeshSlot& slot, int32_t level, bool cloudLayer, const SkyBodies& sky, const MoonMesh& moonMesh) {
  const MeshRanges& r = slot.ranges;
  glMatrixMode(GL_PROJECTION);
  glPushMatrix();
  LoadRows(ShadowProjection(slot, sky));
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  LoadRows(slot.inputs.lightView);

  glDisableClientState(GL_NORMAL_ARRAY);
  glDisableClientState(GL_COLOR_ARRAY);
  glShadeModel(GL_FLAT);
  glDisable(GL_COLOR_MATERIAL);
  glDisable(GL_LIGHT0);
  glDisable(GL_LIGHTING);
  glDisable(GL_NORMALIZE);
  glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE);
  glEnable(GL_POLYGON_OFFSET_FILL);

  // Faces turned from the sun, then those turned to it, each with its own offset against acne.
  glPolygonOffset(0.0f, -1.0f);
  glCullFace(GL_FRONT);
  DrawTriangles(r.planetFirst, r.planetCount);
  glCullFace(GL_BACK);
  glPolygonOffset(10.0f, 1.0f);
  DrawTriangles(r.planetFirst, r.planetCount);

  if (CloudsDrawn(cloudLayer, level)) {
    const GLfloat fade[4] = {1, 1, 1, CloudAlpha(level)};
    glColor4fv(fade);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glPolygonOffset(0.0f, -1.0f);
    ActiveUnit(GL_TEXTURE1);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, gTextures.CloudTexture);
    glEnable(GL_ALPHA_TEST);
    glAlphaFunc(GL_GREATER, kCloudShadowAlpha);
    DrawTriangles(r.cloudFirst, r.cloudCount);
    glDisable(GL_ALPHA_TEST);
    glDisable(GL_TEXTURE_2D);
    ActiveUnit(GL_TEXTURE0);
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
  }
  MoonShadowDepth(moonMesh, sky, slot.inputs.lightView);
  glDisable(GL_POLYGON_OFFSET_FILL);
}

void RestoreAfterDepth(int32_t width, int32_t height) {
  glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
  glEnable(GL_NORMALIZE);
  glEnable(GL_LIGHTING);
  glEnable(GL_LIGHT0);
  glEnable(GL_COLOR_MATERIAL);
  glShadeModel(GL_SMOOTH);
  glEnableClientState(GL_NORMAL_ARRAY);
  glEnableClientState(GL_COLOR_ARRAY);
  glPopMatrix();
  glMatrixMode(GL_PROJECTION);
  glPopMatrix();
  glMatrixMode(GL_MODELVIEW);
  glViewport(0, 0, width, height);
}

// Object-linear texture coordinates that carry a world point into the shadow map's [0, 1] cube.
void SetShadowCoordinates(const MeshSlot& slot, const SkyBodies& sky) {
  const Mat4 t = ShadowTextureMatrix(slot, sky);
  static const GLenum kCoords[4] = {GL_S, GL_T, GL_R, GL_Q};
  static const GLenum kGens[4] = {GL_TEXTURE_GEN_S, GL_TEXTURE_GEN_T, GL_TEXTURE_GEN_R, GL_TEXTURE_GEN_Q};
  for (int row = 0; row < 4; ++row) {
    const GLfloat* plane = &t.m[4 * row];
    glTexGeni(kCoords[row], GL_TEXTURE_GEN_MODE, GL_OBJECT_LINEAR);
    glTexGenfv(kCoords[row], GL_OBJECT_PLANE, plane);
    glEnable(kGens[row]);
  }
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_DEPTH_TEXTURE_MODE, GL_ALPHA);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_COMPARE_FUNC, GL_LEQUAL);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_COMPARE_MODE, GL_COMPARE_R_TO_TEXTURE);
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
}

// Textured drawing of the water shell on unit 1 (the client texture unit in this mode).
void BeginSea() {
  glColor4fv(kWhite);
  glEnableClientState(GL_TEXTURE_COORD_ARRAY);
  glDisableClientState(GL_COLOR_ARRAY);
}

void EndSea() {
  glDisableClientState(GL_TEXTURE_COORD_ARRAY);
  glEnableClientState(GL_COLOR_ARRAY);
}

void DrawLit(const MeshSlot& slot, int32_t level, bool cloudLayer) {
  const MeshRanges& r = slot.ranges;
  ShadowedLight(level);
  if (level == 0) {
    DrawTriangles(r.planetFirst, r.planetCount);  // dark
    PlainLight();
    glDepthFunc(GL_LEQUAL);
    glEnable(GL_ALPHA_TEST);
    glAlphaFunc(GL_GREATER, kSunlitAlpha);
    glEnable(GL_TEXTURE_2D);
    DrawTriangles(r.planetFirst, r.planetCount);  // sunlit fragments replace the dark ones
    return;
  }
  const float threshold = SeaThreshold(level);
  glEnable(GL_ALPHA_TEST);
  glAlphaFunc(GL_GREATER, threshold);
  DrawTriangles(r.planetFirst, r.planetCount);  // dark land above the sea

  glDisable(GL_ALPHA_TEST);
  BeginSea();
  ActiveUnit(GL_TEXTURE1);
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
  glBindTexture(GL_TEXTURE_2D, gTextures.SeaTexture);
  glEnable(GL_TEXTURE_2D);
  DrawTriangles(r.waterFirst, r.waterCount);  // dark sea
  glDisable(GL_TEXTURE_2D);
  ActiveUnit(GL_TEXTURE0);
  EndSea();

  PlainLight();
  glDepthFunc(GL_LEQUAL);
  glEnable(GL_ALPHA_TEST);
  glAlphaFunc(GL_GREATER, threshold);
  glEnable(GL_TEXTURE_2D);
  DrawTriangles(r.planetFirst, r.planetCount);  // sunlit land above the sea

  BeginSea();
  WaterLight();
  glLightModeli(GL_LIGHT_MODEL_COLOR_CONTROL, GL_SEPARATE_SPECULAR_COLOR);
  ActiveUnit(GL_TEXTURE1);
  glEnable(GL_TEXTURE_2D);
  DrawTriangles(r.waterFirst, r.waterCount);  // sunlit sea, through the same alpha test
  glDisable(GL_TEXTURE_2D);
  ActiveUnit(GL_TEXTURE0);
  glLightModeli(GL_LIGHT_MODEL_COLOR_CONTROL, GL_SINGLE_COLOR);
  PlainLight();

  if (CloudsDrawn(cloudLayer, level)) {
    const GLfloat fade[4] = {1, 1, 1, CloudAlpha(level)};
    glColor4fv(fade);
    glDisable(GL_ALPHA_TEST);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glDisable(GL_TEXTURE_2D);  // clouds are not shadowed
    ActiveUnit(GL_TEXTURE1);
    glBindTexture(GL_TEXTURE_2D, gTextures.CloudTexture);
    glEnable(GL_TEXTURE_2D);
    DrawCloudShell(r);
    glDisable(GL_TEXTURE_2D);
    ActiveUnit(GL_TEXTURE0);
    glDisable(GL_BLEND);
  }
  EndSea();
}

}  // namespace

void RenderShadowMap(const MeshSlot& slot, bool cloudLayer, int32_t width, int32_t height, const SkyBodies& sky,
                     const MoonMesh& moonMesh) {
  const GlObjects& objects = gGlObjects;
  const bool framebuffer = objects.ShadowFramebuffer != 0;
  int32_t w, h;
  // Without framebuffer objects the depth is copied into texture 0 (the name is then 0).
  glBindTexture(GL_TEXTURE_2D, objects.ShadowDepthTexture);
  if (framebuffer) {
    BindFramebuffer(objects.ShadowFramebuffer);
    glClear(GL_DEPTH_BUFFER_BIT);
    w = objects.shadowWidth;
    h = objects.shadowHeight;
  } else {
    // The window's depth buffer is clear: no view has been drawn yet, and the sky writes no depth.
    w = FloorPowerOfTwo(width);
    h = FloorPowerOfTwo(height);
  }
  glViewport(0, 0, w, h);
  RenderDepth(slot, slot.inputs.terraformLevel, cloudLayer, sky, moonMesh);
  if (framebuffer) {
    BindFramebuffer(0);
  } else {
    glCopyTexImage2D(GL_TEXTURE_2D, 0, GL_DEPTH_COMPONENT, 0, 0, w, h, 0);
    glClear(GL_DEPTH_BUFFER_BIT);
  }
  RestoreAfterDepth(width, height);
}

void DrawShadowedSurface(const MeshSlot& slot, bool cloudLayer, const SkyBodies& sky) {
  glBindTexture(GL_TEXTURE_2D, gGlObjects.ShadowDepthTexture);
  SetShadowCoordinates(slot, sky);
  DrawLit(slot, slot.inputs.terraformLevel, cloudLayer);

  glDisable(GL_TEXTURE_GEN_S);
  glDisable(GL_TEXTURE_GEN_T);
  glDisable(GL_TEXTURE_GEN_R);
  glDisable(GL_TEXTURE_GEN_Q);
  glDisable(GL_TEXTURE_2D);
  glDisable(GL_ALPHA_TEST);
  glDepthFunc(GL_LESS);
}
