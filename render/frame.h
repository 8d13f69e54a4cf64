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

// Renderer state besides the slots; window thread only.
struct FrameState {
  RunConfig config;         // the run's configuration as InitRenderer settled it; the passes get it from here
  QualityLevel quality;     // what the next slot is built and recorded for (adaptive quality)
  SpherePoint sun;          // this frame's sun, copied for the light position and the shadow camera
  FrameTimings* timings;    // null except in the benchmark
};

extern FrameState gFrame;

// Window thread, with the caller's projection and camera view loaded and GL_LIGHT0 placed.
// width and height size the shadow map when there are no framebuffer objects. Returns with the
// caller's matrices restored and GL_PROJECTION current.
void RenderFrame(int32_t width, int32_t height, float fieldOfView, float aspect, float frameSeconds, float spinAngle,
                 const CameraPose& camera, const SpherePoint& sun);
