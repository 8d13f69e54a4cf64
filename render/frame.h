// One frame of the scene: hands the mesh worker this frame's camera and matrices and draws the
// slot it finished during the previous frame (sky, surface with sea and clouds, with or without
// shadows, then the atmosphere). The picture is one frame late; mesh and matrices always match.
#pragma once

#include <cstdint>

#include "camera/camera_state.h"
#include "mapdata/run_config.h"
#include "mesh/mesh_slot.h"
#include "render/quality_governor.h"

// Where a frame's time goes, for the benchmark: filled only when FrameState::timings is set, and
// then each part ends with glFinish so the GL work is counted where it is issued.
struct FrameTimings {
  double waitSeconds;    // blocked on the mesh worker
  double uploadSeconds;  // handing the slot's arrays to GL
  double drawSeconds;    // sky, surface (or shadows) and atmosphere
};

// One monitor's part of the window: a viewport in window pixels from the bottom-left corner with
// the perspective of that monitor's shape. Every view shows the one camera and the one mesh.
struct FrameView {
  int32_t x, y, width, height;
  float fieldOfView;  // vertical, degrees
  float aspect;       // width / height
};
constexpr int32_t kMaxFrameViews = 16;
struct FrameViews {
  int32_t count;  // 1 .. kMaxFrameViews
  FrameView views[kMaxFrameViews];
};

// One view of the whole window (an ordinary window, the benchmark, the tests).
inline FrameViews WholeWindowView(int32_t width, int32_t height, float fieldOfView, float aspect) {
  FrameViews views{};
  views.count = 1;
  views.views[0] = FrameView{0, 0, width, height, fieldOfView, aspect};
  return views;
}

// The narrowest perspective, from the same eye along the same direction, that holds every view:
// the mesh is built for it. A view that already holds the others is returned as it is.
FrameView EnclosingView(const FrameViews& views);

// Renderer state besides the slots; window thread only.
struct FrameState {
  RunConfig config;         // the run's configuration as InitRenderer settled it; the passes get it from here
  QualityLevel quality;     // what the next slot is built and recorded for (adaptive quality)
  SpherePoint sun;          // this frame's sun, copied for the light position and the shadow camera
  FrameViews slotViews[2];  // the views each slot was filled for; a slot is drawn into its own
  FrameTimings* timings;    // null except in the benchmark
};

extern FrameState gFrame;

// Window thread, with the caller's projection (the enclosing view's, fieldOfView and aspect) and
// camera view loaded and GL_LIGHT0 placed. width and height are the window's client size: the
// whole window is cleared, each view drawn inside its own viewport and scissor box, and the shadow
// map is sized from them when there are no framebuffer objects. Returns with the caller's matrices
// restored, GL_PROJECTION current, the viewport on the whole window and the scissor test off.
void RenderFrame(int32_t width, int32_t height, float fieldOfView, float aspect, float frameSeconds, float spinAngle,
                 const CameraPose& camera, const SpherePoint& sun, const FrameViews& views);
