// The sky's bodies of a run on the Mars clock in WebGL: the planets as round points with the sky's
// program, the moons with the surface program (the moon mesh stretched to each moon's radii, lit
// by the sun unless Mars's shadow covers it) in the layer their depth puts them, and the moons'
// depth in the shadow map.
#include <GLES2/gl2.h>

#include "mapdata/sky_sphere.h"
#include "math/view_matrices.h"
#include "mesh/moon_mesh.h"
#include "render/pass_geometry.h"
#include "render/web/webgl_state.h"

namespace {

void ArrayFrom(GLuint index, GLuint buffer, GLint size, GLenum type, bool normalised) {
  glBindBuffer(GL_ARRAY_BUFFER, buffer);
  glVertexAttribPointer(index, size, type, normalised ? GL_TRUE : GL_FALSE, 0, nullptr);
  glEnableVertexAttribArray(index);
}

void DrawMoonMesh() {
  glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, gWebGl.buffers[kMoonIndices]);
  glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(gWebGl.moonIndices), GL_UNSIGNED_SHORT, nullptr);
  glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
}

// The normals' matrix of a stretched moon seen through the view: the inverse transpose of the
// view's rotation times the moon's axes scaled by its radii, which is the view's rotation times the
// axes divided by the radii; as columns.
void NormalColumns(const Mat4& view, const MoonBody& moon, float out[9]) {
  for (int axis = 0; axis < 3; ++axis) {
    const Vec3 a = Scaled(moon.axes[axis], 1.0f / moon.radii[axis]);
    for (int row = 0; row < 3; ++row) {
      const float* v = &view.m[4 * row];
      out[3 * axis + row] = v[0] * a.x + v[1] * a.y + v[2] * a.z;
    }
  }
}

void DrawMoon(const FrameRequest& recorded, const FrameView& view, const MoonBody& moon, const MoonPlacement& place) {
  const SurfaceProgram& s = gWebGl.programs.surface;
  const bool ownPlanes = place.layer != MoonLayer::AmongGlobe;
  UniformRows(s.projection, ownPlanes ? Perspective(view.fieldOfView, view.aspect, place.nearPlane, place.farPlane)
                                      : ViewProjection(recorded, view));
  UniformRows(s.view, Mat4Multiply(recorded.view, place.model));
  float normals[9];
  NormalColumns(recorded.view, moon, normals);
  glUniformMatrix3fv(s.normalMatrix, 1, GL_FALSE, normals);
  // Inside Mars's shadow no light reaches it at all.
  glUniform1f(s.ambient, moon.eclipsed ? 0.0f : kPlainLight.ambient);
  glUniform1f(s.diffuse, moon.eclipsed ? 0.0f : kPlainLight.diffuse);
  if (ownPlanes) {
    glDisable(GL_DEPTH_TEST);
    glDepthMask(GL_FALSE);
  }
  DrawMoonMesh();
  glDepthMask(GL_TRUE);
  glEnable(GL_DEPTH_TEST);
}

// The surface program as the plain surface leaves it, for vertex-coloured, untextured, unshadowed
// drawing with the sun in the view's eye space.
void StartMoons(const FrameRequest& recorded) {
  const SurfaceProgram& s = gWebGl.programs.surface;
  glUseProgram(s.program);
  const Mat4& v = recorded.view;
  const SpherePoint& sun = recorded.sun;
  glUniform3f(s.lightDirection, v.m[0] * sun.x + v.m[1] * sun.y + v.m[2] * sun.z,
              v.m[4] * sun.x + v.m[5] * sun.y + v.m[6] * sun.z, v.m[8] * sun.x + v.m[9] * sun.y + v.m[10] * sun.z);
  glUniform1f(s.specular, kPlainLight.specular);
  glUniform1f(s.shininess, kPlainLight.shininess);
  glUniform1i(s.shadowed, 0);
  glUniform1i(s.useVertexColour, 1);
  glUniform1i(s.useTexture, 0);
  glUniform1f(s.discardAlpha, -1.0f);
  glUniform1i(s.separateSpecular, 0);
  const GLuint* b = gWebGl.buffers;
  ArrayFrom(kPositionAttribute, b[kMoonPositions], 3, GL_FLOAT, false);
  ArrayFrom(kNormalAttribute, b[kMoonNormals], 3, GL_FLOAT, false);
  ArrayFrom(kColourAttribute, b[kMoonColours], 4, GL_UNSIGNED_BYTE, true);
  glDisableVertexAttribArray(kTexCoordAttribute);
}

}  // namespace

void MakeMoonBuffers() {
  const MoonMesh mesh = MakeMoonMesh();
  const GLuint* b = gWebGl.buffers;
  const auto upload = [](GLenum target, GLuint buffer, GLsizeiptr bytes, const void* data) {
    glBindBuffer(target, buffer);
    glBufferData(target, bytes, data, GL_STATIC_DRAW);
  };
  upload(GL_ARRAY_BUFFER, b[kMoonPositions], static_cast<GLsizeiptr>(mesh.positions.size() * sizeof(Vec3)),
         mesh.positions.data());
  upload(GL_ARRAY_BUFFER, b[kMoonNormals], static_cast<GLsizeiptr>(mesh.normals.size() * sizeof(Vec3)), mesh.normals.data());
  upload(GL_ARRAY_BUFFER, b[kMoonColours], static_cast<GLsizeiptr>(mesh.colours.size()), mesh.colours.data());
  upload(GL_ELEMENT_ARRAY_BUFFER, b[kMoonIndices], static_cast<GLsizeiptr>(mesh.indices.size() * sizeof(uint16_t)),
         mesh.indices.data());
  glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
  gWebGl.moonIndices = static_cast<uint32_t>(mesh.indices.size());
}

void WebGlPlanets(const SkyBodies& sky) {
  const SkyProgram& program = gWebGl.programs.sky;
  float points[kPlanetCount * 3];
  for (int i = 0; i < kPlanetCount; ++i) {
    const Vec3 p = Scaled(sky.planets[i].direction, kSkyRadius);
    points[3 * i] = p.x, points[3 * i + 1] = p.y, points[3 * i + 2] = p.z;
  }
  glBindBuffer(GL_ARRAY_BUFFER, gWebGl.buffers[kPlanetPoints]);
  glBufferSubData(GL_ARRAY_BUFFER, 0, sizeof points, points);
  glVertexAttribPointer(kPositionAttribute, 3, GL_FLOAT, GL_FALSE, 0, nullptr);
  glEnableVertexAttribArray(kPositionAttribute);
  glDisableVertexAttribArray(kColourAttribute);
  for (int i = 0; i < kPlanetCount; ++i) {
    const PlanetPoint point = PlanetPointOf(i, sky.planets[i].magnitude);
    glVertexAttrib4fv(kColourAttribute, point.rgba);
    glUniform1f(program.pointSize, point.size);
    glDrawArrays(GL_POINTS, i, 1);
  }
}

void WebGlMoons(const FrameRequest& recorded, const FrameView& view, MoonLayer layer) {
  if (!recorded.sky.shown || gWebGl.moonIndices == 0) return;
  bool started = false;
  for (const MoonBody& moon : recorded.sky.moons) {
    const MoonPlacement place = PlaceMoon(recorded, moon);
    if (place.layer != layer) continue;
    if (!started) StartMoons(recorded);
    started = true;
    DrawMoon(recorded, view, moon, place);
  }
}

void WebGlMoonDepth(const SkyBodies& sky, const Mat4& lightMatrix) {
  if (!sky.shown || gWebGl.moonIndices == 0) return;
  const DepthProgram& depth = gWebGl.programs.depth;
  glUniform1i(depth.useTexture, 0);
  ArrayFrom(kPositionAttribute, gWebGl.buffers[kMoonPositions], 3, GL_FLOAT, false);
  glDisableVertexAttribArray(kTexCoordAttribute);
  for (const MoonBody& moon : sky.moons) {
    UniformRows(depth.matrix, Mat4Multiply(lightMatrix, MoonModel(moon)));
    DrawMoonMesh();
  }
}
