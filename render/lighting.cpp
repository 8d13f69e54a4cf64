// Lighting presets, as grey levels with alpha 1.
#include "render/lighting.h"

#include <GL/glew.h>

#include "render/pass_geometry.h"
#include "render/terraform_blend.h"

namespace {

void Grey(GLenum target, GLenum name, float grey, bool material) {
  const GLfloat value[4] = {grey, grey, grey, 1.0f};
  if (material) glMaterialfv(target, name, value);
  else glLightfv(target, name, value);
}

void Preset(const LightPreset& preset) {
  Grey(GL_LIGHT0, GL_AMBIENT, preset.ambient, false);
  Grey(GL_LIGHT0, GL_DIFFUSE, preset.diffuse, false);
  Grey(GL_FRONT, GL_SPECULAR, preset.specular, true);
  glMaterialf(GL_FRONT, GL_SHININESS, preset.shininess);
}

}  // namespace

void PlainLight() { Preset(kPlainLight); }
void WaterLight() { Preset(kWaterLight); }
void AtmosphereLight() { Preset(kAtmosphereLight); }

void ShadowedLight(int level) {
  Grey(GL_LIGHT0, GL_DIFFUSE, ShadowedDiffuse(level), false);
  Grey(GL_FRONT, GL_SPECULAR, 0.0f, true);
  glMaterialf(GL_FRONT, GL_SHININESS, 0.0f);
}

void CloudInsideLight() { SetLightDiffuse(kCloudInsideDiffuse); }

void SetLightDiffuse(float grey) { Grey(GL_LIGHT0, GL_DIFFUSE, grey, false); }
