// What the passes of every back end work out on the processor alike: the sky's projection and
// view, the sun's square on the sky sphere, the shadow camera's box around a slot's visible
// surface and the matrix that carries a world point into the shadow map, and the lighting presets
// as plain numbers. No graphics API: the fixed-function and the WebGL back end both draw from these.
#pragma once

#include "camera/sky_now.h"
#include "math/vector_math.h"
#include "mesh/mesh_slot.h"

// One lighting preset: the light's ambient and diffuse grey levels and the material's specular
// grey level and shininess (the vertex colour is the material's ambient and diffuse colour).
struct LightPreset {
  float ambient, diffuse, specular, shininess;
};
constexpr LightPreset kPlainLight{0.1f, 0.9f, 0.02f, 16.0f};
constexpr LightPreset kWaterLight{0.1f, 0.9f, 0.4f, 128.0f};
constexpr LightPreset kAtmosphereLight{0.15f, 0.85f, 0.0f, 32.0f};
constexpr float kCloudInsideDiffuse = 0.2f;  // the far side of the cloud shell, seen through the near side
constexpr float kNearSideDiffuse = 0.9f;     // the near side of the cloud shell
constexpr float kSunlitAlpha = 0.9f;         // a lit fragment keeps its alpha (1), a shadowed one gets 0
constexpr float kCloudShadowAlpha = 0.5f;    // faded cloud texels above this cast shadows

constexpr double kSkyNear = 1.0, kSkyFar = 11.0;  // around the sky sphere of radius 10

// The sky's projection for a view: its field of view and aspect inside the 1..11 depth range.
Mat4 SkyProjection(float fieldOfView, float aspect);
// The camera view's rotation without its translation: the sky stays at infinity.
Mat4 SkyView(const Mat4& cameraView);
// The four corners of the sun's square, about two degrees across, around the sun direction on
// the sky sphere of radius `skyRadius`; each corner a quarter turn about it from the last.
void SunDiscCorners(const Vec3& light, float skyRadius, Vec3 corners[4]);
// The texture coordinates of those corners, in order.
constexpr float kSunDiscTexCoords[4][2] = {{0, 0}, {0, 1}, {1, 1}, {1, 0}};

// A planet's point of light: its colour (premultiplied as the star colours are: the level in both
// the tint and the alpha) and its size in pixels, 3 when brighter than magnitude 0, else 2.
struct PlanetPoint {
  float rgba[4];
  float size;
};
PlanetPoint PlanetPointOf(int planet, float magnitude);

// The shadow camera's orthographic projection: the light-space box of the slot's visible surface
// with a margin for the relief, reaching towards the sun far enough to hold a moon of the sky
// whose shadow can fall inside it (a moon beyond the mesh is clipped by the far plane).
Mat4 ShadowProjection(const MeshSlot& slot, const SkyBodies& sky = SkyBodies{});
// World point to the shadow map's [0, 1] cube: the light's view, its box, then halved and moved by
// a half.
Mat4 ShadowTextureMatrix(const MeshSlot& slot, const SkyBodies& sky = SkyBodies{});
