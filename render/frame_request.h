// One frame as the front end decides it and a back end draws it: the camera, the sun and the
// stars' turn, the relief and terraform level, the quality, the window and its views, the
// matrices made from them on the processor, and the overlays. Plain values only: a request is
// copied, kept with the mesh slot built for it, and never points into GL.
#pragma once

#include <cstdint>

#include "camera/camera_state.h"
#include "math/vector_math.h"
#include "render/quality_governor.h"

// One monitor's part of the window: a viewport in window pixels from the bottom-left corner with
// the perspective of that monitor's shape and its pixel scale (1 at 96 dots per inch, 2 at 192).
// Every view shows the one camera and the one mesh.
struct FrameView {
  int32_t x, y, width, height;
  float fieldOfView;  // vertical, degrees
  float aspect;       // width / height
  float scale;        // the overlays' pixel scale
};
constexpr int32_t kMaxFrameViews = 16;
struct FrameViews {
  int32_t count;  // 1 .. kMaxFrameViews
  FrameView views[kMaxFrameViews];
};

// One view of the whole window at scale 1 (an ordinary window, the benchmark, the tests).
inline FrameViews WholeWindowView(int32_t width, int32_t height, float fieldOfView, float aspect) {
  FrameViews views{};
  views.count = 1;
  views.views[0] = FrameView{0, 0, width, height, fieldOfView, aspect, 1.0f};
  return views;
}

// The narrowest perspective, from the same eye along the same direction, that holds every view:
// the mesh is built for it. A view that already holds the others is returned as it is.
FrameView EnclosingView(const FrameViews& views);

// What is drawn over the scene, in this frame's views. Caption texts are the overlay font's
// codes and live as long as the run.
struct FrameOverlays {
  bool loading;               // "Loading..." on every view (the map data is not there yet)
  int32_t helpView;           // the view the help picture shows on; -1 for none
  int32_t frameRateView;      // the view whose corner shows the frame rate; -1 for none
  double framesPerSecond;     // the rate shown there
  const char* captionTitle;   // the tour's caption on every view while captionOpacity > 0
  const char* captionFacts;
  float captionOpacity;       // 0..1
};

constexpr FrameOverlays kNoOverlays{false, -1, -1, 0.0, nullptr, nullptr, 0.0f};

struct FrameRequest {
  // The scene.
  CameraPose camera;        // the eye
  SpherePoint sun;          // unit direction towards the sun; the light and the shadow camera
  float spinAngle;          // the stars' turn about +y, degrees
  SkyBodies sky;            // the moons and planets of a run on the Mars clock
  float reliefFactor;       // relief exaggeration, 1..10
  float topHeight;          // highest the globe reaches above the reference radius at relief 1, metres
  int32_t terraformLevel;   // whole part of the terraform level, 0..60
  QualityLevel quality;     // shadows (only where the run draws them) and the triangle limits' shift
  // The window.
  int32_t width, height;    // client size in pixels, both at least 1
  FrameViews views;         // a viewport per monitor part
  FrameOverlays overlays;
  // Worked out from the above by SetFrameMatrices.
  FrameView enclosing;      // the perspective holding every view: the mesh's visible region
  float nearPlane, farPlane;
  Mat4 view;                // look-at view of the camera, row by row
  Mat4 projection;          // the enclosing perspective
  Mat4 lightView;           // the shadow camera: on the sun direction at the camera's distance
};

// The scene of a request from the camera state as it stands (camera, sun, the stars' turn, the
// globe's top height), with the relief, terraform level and quality of this frame.
void SetRequestScene(FrameRequest& request, const CameraState& cameras, float reliefFactor, int32_t terraformLevel,
                     const QualityLevel& quality);

// The enclosing view, the clipping planes hugging the globe at the request's relief, and the
// view, projection and light matrices, from the request's camera, sun, relief and views.
void SetFrameMatrices(FrameRequest& request);

// The projection of one view of a request: the enclosing projection's near and far planes with
// the view's field of view and aspect; a view of the enclosing shape takes it as it is.
Mat4 ViewProjection(const FrameRequest& request, const FrameView& view);

// Where a moon goes in a view's picture. The globe's clipping planes hug the globe, so a moon
// beyond them is drawn before the surface with planes of its own (the globe covers it), one
// within them after the surface against its depth, one nearer than them last, and one behind the
// eye not at all.
enum class MoonLayer : uint8_t { Hidden, Behind, AmongGlobe, InFront };
struct MoonPlacement {
  MoonLayer layer;
  Mat4 model;                 // the unit mesh to the planet frame: the axes scaled by the radii, at the centre
  float nearPlane, farPlane;  // hugging the body, for the Behind and InFront layers
};
MoonPlacement PlaceMoon(const FrameRequest& request, const MoonBody& moon);

// The unit moon mesh to the planet frame, row by row.
Mat4 MoonModel(const MoonBody& moon);

// A moon's outermost reach, metres: its longest radius with room for the crater rims.
float MoonReach(const MoonBody& moon);
