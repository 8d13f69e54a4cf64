// Lighting presets, as grey levels with alpha 1.
#include "render/lighting.h"

#include <GL/glew.h>

#include "render/terraform_blend.h"

namespace {

void Grey(GLenum target, GLenum name, float grey, bool material) {
  const GLfloat value[4] = {grey, grey, grey, 1.0f};
  if (material) glMaterialfv(target, name, value);
  else glLightfv(target, name, value);
}

void Preset(float ambient, float diffuse, float specular, float shininess) {
  Grey(GL_LIGHT0, GL_AMBIENT, ambient, false);
  Grey(GL_LIGHT0, GL_DIFFUSE, diffuse, false);
  Grey(GL_FRONT, GL_SPECULAR, specular, true);
  glMaterialf(GL_FRONT, GL_SHININESS, shininess);
}

}  // namespace

void PlainLight() { Preset(0.1f, 0.9f, 0.02f, 16.0f); }
void WaterLight() { Preset(0.1f, 0.9f, 0.4f, 128.0f); }
void AtmosphereLight() { Preset(0.15f, 0.85f, 0.0f, 32.0f); }

void ShadowedLight(int level) {
  Grey(GL_LIGHT0, GL_DIFFUSE, ShadowedDiffuse(level), false);
  Grey(GL_FRONT, GL_SPECULAR, 0.0f, true);
  glMaterialf(GL_FRONT, GL_SHININESS, 0.0f);
}

void CloudInsideLight() { SetLightDiffuse(0.2f); }

void SetLightDiffuse(float grey) { Grey(GL_LIGHT0, GL_DIFFUSE, grey, false); }
