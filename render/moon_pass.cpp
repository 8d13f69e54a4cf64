// The moons are small: a few thousand triangles from the processor's memory each frame, in the
// same lighting as the globe's plains.
#include "render/moon_pass.h"

#include <GL/glew.h>

#include "gl/gl_caps.h"
#include "gl/gl_matrix.h"
#include "math/view_matrices.h"
#include "render/lighting.h"

namespace {

void DrawMesh(const MoonMesh& mesh, bool withColours) {
  // The globe's arrays may sit in buffer objects; the moon's are plain memory.
  if (gGlCaps.version15) glBindBuffer(GL_ARRAY_BUFFER, 0);
  glVertexPointer(3, GL_FLOAT, 0, mesh.positions.data());
  glNormalPointer(GL_FLOAT, 0, mesh.normals.data());
  if (withColours) glColorPointer(4, GL_UNSIGNED_BYTE, 0, mesh.colours.data());
  glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(mesh.indices.size()), GL_UNSIGNED_SHORT, mesh.indices.data());
}

void DrawMoon(const MoonMesh& mesh, const FrameRequest& recorded, const FrameView& view, const MoonPlacement& placement,
              bool eclipsed) {
  const bool ownPlanes = placement.layer != MoonLayer::AmongGlobe;
  if (ownPlanes) {
    glPushMatrix();
    LoadRows(Perspective(view.fieldOfView, view.aspect, placement.nearPlane, placement.farPlane));
  }
  glMatrixMode(GL_MODELVIEW);
  LoadRows(Mat4Multiply(recorded.view, placement.model));
  // Outside the globe's depth range there is nothing to test against: the convex body's back
  // faces are culled and the globe's depth is left alone.
  if (ownPlanes) {
    glDisable(GL_DEPTH_TEST);
    glDepthMask(GL_FALSE);
  }
  if (eclipsed) glDisable(GL_LIGHT0);
  DrawMesh(mesh, true);
  if (eclipsed) glEnable(GL_LIGHT0);
  if (ownPlanes) {
    glDepthMask(GL_TRUE);
    glEnable(GL_DEPTH_TEST);
  }
  glMatrixMode(GL_PROJECTION);
  if (ownPlanes) glPopMatrix();
}

}  // namespace

void MoonPass(const MoonMesh& mesh, const FrameRequest& recorded, const FrameView& view, MoonLayer layer) {
  const SkyBodies& sky = recorded.sky;
  if (!sky.shown) return;
  bool drawn = false;
  for (const MoonBody& moon : sky.moons) {
    const MoonPlacement placement = PlaceMoon(recorded, moon);
    if (placement.layer != layer) continue;
    if (!drawn) PlainLight();
    drawn = true;
    DrawMoon(mesh, recorded, view, placement, moon.eclipsed);
  }
  if (!drawn) return;
  glMatrixMode(GL_MODELVIEW);
  LoadRows(recorded.view);
  glMatrixMode(GL_PROJECTION);
}

void MoonShadowDepth(const MoonMesh& mesh, const SkyBodies& sky, const Mat4& lightView) {
  if (!sky.shown) return;
  glMatrixMode(GL_MODELVIEW);
  for (const MoonBody& moon : sky.moons) {
    LoadRows(Mat4Multiply(lightView, MoonModel(moon)));
    DrawMesh(mesh, false);
  }
  LoadRows(lightView);
}
