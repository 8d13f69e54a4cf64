// The lighting presets of the surface drawing: GL_LIGHT0 ambient and diffuse and the front
// material's specular and shininess. PlainLight is the resting state every pass returns to.
#pragma once

void PlainLight();
void WaterLight();
void AtmosphereLight();
// The dark side in the shadowed drawing; ambient is left as it is.
void ShadowedLight(int level);
// The far side of the cloud shell, seen through the near side; only the diffuse changes.
void CloudInsideLight();
// Sets GL_LIGHT0's diffuse grey level alone (the cloud passes switch back to 0.9 with it).
void SetLightDiffuse(float grey);
