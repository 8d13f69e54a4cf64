// The WebGL back end's passes: the sky (round stars, the sun's square), the surface with the sea,
// the clouds and the shadows, the atmosphere, and the depth from the sun. Each draws from the
// slot's arrays as the back end copied them this frame, with the numbers the fixed-function
// passes use (render/pass_geometry.h, render/terraform_blend.h).
#include <GLES2/gl2.h>

#include "mapdata/sky_sphere.h"
#include "math/view_matrices.h"
#include "render/pass_geometry.h"
#include "render/terraform_blend.h"
#include "render/web/webgl_state.h"

namespace {

constexpr float kNoAlphaTest = -1.0f;

void Draw(uint32_t first, uint32_t count) {
  if (count > 0) glDrawArrays(GL_TRIANGLES, static_cast<GLint>(3 * first), static_cast<GLsizei>(3 * count));
}

// An attribute from a buffer, or, switched off, a constant (white for colours).
void Attribute(GLuint index, GLuint buffer, GLint size, GLenum type, bool normalised) {
  if (buffer == 0) {
    glDisableVertexAttribArray(index);
    glVertexAttrib4f(index, 1.0f, 1.0f, 1.0f, 1.0f);
    return;
  }
  glBindBuffer(GL_ARRAY_BUFFER, buffer);
  glVertexAttribPointer(index, size, type, normalised ? GL_TRUE : GL_FALSE, 0, nullptr);
  glEnableVertexAttribArray(index);
}

// The slot's positions and normals, with its colours (planet, atmosphere) or its texture
// coordinates (sea, clouds): an array WebGL would find too short for the group is switched off.
void PointAtSlot(bool textured) {
  const GLuint* b = gWebGl.buffers;
  Attribute(kPositionAttribute, b[kSlotPositions], 3, GL_FLOAT, false);
  Attribute(kNormalAttribute, b[kSlotNormals], 3, GL_FLOAT, false);
  Attribute(kColourAttribute, textured ? 0 : b[kSlotColours], 4, GL_UNSIGNED_BYTE, true);
  Attribute(kTexCoordAttribute, textured ? b[kSlotTexCoords] : 0, 2, GL_FLOAT, false);
}

void SetLight(const LightPreset& light) {
  const SurfaceProgram& s = gWebGl.programs.surface;
  glUniform1f(s.ambient, light.ambient);
  glUniform1f(s.diffuse, light.diffuse);
  glUniform1f(s.specular, light.specular);
  glUniform1f(s.shininess, light.shininess);
}

// What one group is drawn with: its colour source, texture, alpha tests and highlight.
struct GroupLook {
  bool vertexColours;
  GLuint texture;           // 0: none
  float alpha;              // the constant colour's alpha (white otherwise)
  float discardAlpha;       // not drawn at or below
  float litAlpha;           // shadowed drawing: lit only above
  bool separateSpecular;
};

void SetLook(const GroupLook& look) {
  const SurfaceProgram& s = gWebGl.programs.surface;
  glUniform1i(s.useVertexColour, look.vertexColours);
  glUniform4f(s.colour, 1.0f, 1.0f, 1.0f, look.alpha);
  glUniform1i(s.useTexture, look.texture != 0);
  glActiveTexture(GL_TEXTURE0);
  glBindTexture(GL_TEXTURE_2D, look.texture);
  glUniform1f(s.discardAlpha, look.discardAlpha);
  glUniform1f(s.litAlpha, look.litAlpha);
  glUniform1i(s.separateSpecular, look.separateSpecular);
  PointAtSlot(!look.vertexColours);
}

bool CloudsShown(int32_t level) { return gWebGl.clouds && gWebGl.cloudTexture != 0 && level > kCloudLevel; }

void SetCamera(const FrameRequest& recorded, const FrameView& view) {
  const SurfaceProgram& s = gWebGl.programs.surface;
  UniformRows(s.projection, ViewProjection(recorded, view));
  UniformRows(s.view, recorded.view);
  const Mat4& v = recorded.view;
  // The view's rotation, column by column; it turns the normals and the sun's direction alike.
  const float rotation[9] = {v.m[0], v.m[4], v.m[8], v.m[1], v.m[5], v.m[9], v.m[2], v.m[6], v.m[10]};
  glUniformMatrix3fv(s.normalMatrix, 1, GL_FALSE, rotation);
  const SpherePoint& sun = recorded.sun;
  glUniform3f(s.lightDirection, v.m[0] * sun.x + v.m[1] * sun.y + v.m[2] * sun.z,
              v.m[4] * sun.x + v.m[5] * sun.y + v.m[6] * sun.z, v.m[8] * sun.x + v.m[9] * sun.y + v.m[10] * sun.z);
}

// Shadows for the slot when it was built for them and the target exists; the clouds never take them.
void SetShadows(const MeshSlot& slot, const FrameRequest& recorded, bool on) {
  const SurfaceProgram& s = gWebGl.programs.surface;
  glUniform1i(s.shadowed, on);
  if (!on) return;
  UniformRows(s.shadowMatrix, ShadowTextureMatrix(slot, recorded.sky));
  glUniform1f(s.darkDiffuse, ShadowedDiffuse(slot.inputs.terraformLevel));
  glActiveTexture(GL_TEXTURE1);
  glBindTexture(GL_TEXTURE_2D, gWebGl.shadowTexture);
  glActiveTexture(GL_TEXTURE0);
}

void DrawClouds(const MeshRanges& r, int32_t level) {
  const SurfaceProgram& s = gWebGl.programs.surface;
  SetLook(GroupLook{false, gWebGl.cloudTexture, CloudAlpha(level), kNoAlphaTest, kNoAlphaTest, false});
  SetLight(kPlainLight);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  // The far side of the shell first, darker, seen through the near side.
  glUniform1f(s.diffuse, kCloudInsideDiffuse);
  glCullFace(GL_FRONT);
  Draw(r.cloudFirst, r.cloudCount);
  glCullFace(GL_BACK);
  glUniform1f(s.diffuse, kNearSideDiffuse);
  Draw(r.cloudFirst, r.cloudCount);
  glDisable(GL_BLEND);
}

}  // namespace

void UniformRows(GLint location, const Mat4& rows) {
  Mat4 columns;
  Mat4Transpose(columns, rows);
  glUniformMatrix4fv(location, 1, GL_FALSE, columns.m);
}

void WebGlSkyPass(const FrameView& view, const Mat4& cameraView, float spinAngle, const SpherePoint& sun,
                  const SkyBodies& skyBodies) {
  const SkyProgram& sky = gWebGl.programs.sky;
  const GLuint* b = gWebGl.buffers;
  glUseProgram(sky.program);
  const Mat4 skyMatrix = Mat4Multiply(SkyProjection(view.fieldOfView, view.aspect), SkyView(cameraView));
  glDisable(GL_DEPTH_TEST);
  glDepthMask(GL_FALSE);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);

  UniformRows(sky.matrix, spinAngle != 0.0f ? Mat4Multiply(skyMatrix, RotationAboutY(spinAngle)) : skyMatrix);
  Attribute(kPositionAttribute, b[kStarPositions], 3, GL_FLOAT, false);
  Attribute(kColourAttribute, b[kStarColours], 4, GL_UNSIGNED_BYTE, true);
  Attribute(kNormalAttribute, 0, 3, GL_FLOAT, false);
  Attribute(kTexCoordAttribute, 0, 2, GL_FLOAT, false);
  glUniform1f(sky.pointSize, 2.0f);
  glDrawArrays(GL_POINTS, 0, static_cast<GLsizei>(gWebGl.brightStars));
  glUniform1f(sky.pointSize, 1.0f);
  glDrawArrays(GL_POINTS, static_cast<GLint>(gWebGl.brightStars), static_cast<GLsizei>(gWebGl.dimStars));
  if (skyBodies.shown) {
    UniformRows(sky.matrix, skyMatrix);
    WebGlPlanets(skyBodies);
  }

  const Vec3 light{sun.x, sun.y, sun.z};
  if (IsNonZero(light.x)) {
    Vec3 corners[4];
    SunDiscCorners(light, kSkyRadius, corners);
    float square[20];
    for (int i = 0; i < 4; ++i) {
      square[3 * i] = corners[i].x, square[3 * i + 1] = corners[i].y, square[3 * i + 2] = corners[i].z;
      square[12 + 2 * i] = kSunDiscTexCoords[i][0], square[13 + 2 * i] = kSunDiscTexCoords[i][1];
    }
    UniformRows(sky.matrix, skyMatrix);
    glBindBuffer(GL_ARRAY_BUFFER, b[kSunSquare]);
    glBufferSubData(GL_ARRAY_BUFFER, 0, sizeof square, square);
    glVertexAttribPointer(kPositionAttribute, 3, GL_FLOAT, GL_FALSE, 0, nullptr);
    glVertexAttribPointer(kTexCoordAttribute, 2, GL_FLOAT, GL_FALSE, 0, reinterpret_cast<const void*>(12 * sizeof(float)));
    glEnableVertexAttribArray(kTexCoordAttribute);
    Attribute(kColourAttribute, 0, 4, GL_UNSIGNED_BYTE, true);
    glUniform1f(sky.pointSize, 0.0f);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, gWebGl.sunTexture);
    glDisable(GL_CULL_FACE);
    glDrawArrays(GL_TRIANGLE_FAN, 0, 4);
    glEnable(GL_CULL_FACE);
  }
  glDisable(GL_BLEND);
  glDepthMask(GL_TRUE);
  glEnable(GL_DEPTH_TEST);
}

void WebGlSurfacePass(const MeshSlot& slot, const FrameRequest& recorded, const FrameView& view) {
  const MeshRanges& r = slot.ranges;
  const int32_t level = slot.inputs.terraformLevel;
  const bool shadowed = slot.inputs.shadowed && gWebGl.shadowTexture != 0;
  glUseProgram(gWebGl.programs.surface.program);
  SetCamera(recorded, view);
  SetShadows(slot, recorded, shadowed);
  // Land above the sea: low ground fails the alpha test and leaves room for the sea.
  const float sea = level > 0 ? SeaThreshold(level) : kNoAlphaTest;
  SetLight(kPlainLight);
  SetLook(GroupLook{true, 0, 1.0f, sea, level > 0 ? sea : kSunlitAlpha, false});
  Draw(r.planetFirst, r.planetCount);
  if (level > 0) {
    SetLight(kWaterLight);
    SetLook(GroupLook{false, gWebGl.seaTexture, 1.0f, kNoAlphaTest, sea, true});
    Draw(r.waterFirst, r.waterCount);
  }
  SetShadows(slot, recorded, false);
  if (CloudsShown(level)) DrawClouds(r, level);
  if (!gWebGl.atmosphere) return;
  SetLight(kAtmosphereLight);
  SetLook(GroupLook{true, 0, 1.0f, kNoAlphaTest, kNoAlphaTest, false});
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  Draw(r.atmosphereFirst, r.atmosphereCount);
  glDisable(GL_BLEND);
}

void WebGlShadowMap(const MeshSlot& slot, const SkyBodies& sky, int32_t width, int32_t height) {
  const DepthProgram& depth = gWebGl.programs.depth;
  const MeshRanges& r = slot.ranges;
  const int32_t level = slot.inputs.terraformLevel;
  glBindFramebuffer(GL_FRAMEBUFFER, gWebGl.shadowFramebuffer);
  glViewport(0, 0, gWebGl.shadowSize, gWebGl.shadowSize);
  glClear(GL_DEPTH_BUFFER_BIT);
  glUseProgram(depth.program);
  const Mat4 lightMatrix = Mat4Multiply(ShadowProjection(slot, sky), slot.inputs.lightView);
  UniformRows(depth.matrix, lightMatrix);
  glUniform1i(depth.useTexture, 0);
  glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE);
  glEnable(GL_POLYGON_OFFSET_FILL);
  PointAtSlot(false);
  // Faces turned from the sun, then those turned to it, each with its own offset against acne.
  glPolygonOffset(0.0f, -1.0f);
  glCullFace(GL_FRONT);
  Draw(r.planetFirst, r.planetCount);
  glCullFace(GL_BACK);
  glPolygonOffset(10.0f, 1.0f);
  Draw(r.planetFirst, r.planetCount);
  if (CloudsShown(level)) {
    PointAtSlot(true);
    glUniform1i(depth.useTexture, 1);
    glUniform1i(depth.texture, 0);
    glUniform1f(depth.fade, CloudAlpha(level));
    glUniform1f(depth.alphaRef, kCloudShadowAlpha);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, gWebGl.cloudTexture);
    glPolygonOffset(0.0f, -1.0f);
    Draw(r.cloudFirst, r.cloudCount);
  }
  WebGlMoonDepth(sky, lightMatrix);
  glDisable(GL_POLYGON_OFFSET_FILL);
  glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
  glBindFramebuffer(GL_FRAMEBUFFER, 0);
  glViewport(0, 0, width, height);
}
