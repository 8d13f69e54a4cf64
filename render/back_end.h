// The seam between the front end, which decides what each frame shows and fills one FrameRequest,
// and a back end, which owns the graphics API and only draws what it is handed: the scene's set-up
// from the run's configuration and the loaded map, a frame from a finished mesh slot and its
// request, the overlays, and the pixels of the frame for screenshots. The fixed-function OpenGL
// back end (render/fixed_function_back_end.h) is one implementation; a shell chooses which one
// its saver runs on. Nothing on this side of the seam includes a graphics header.
#pragma once

#include <cstdint>

#include "mapdata/map_data.h"
#include "settings/run_config.h"
#include "mesh/mesh_slot.h"
#include "render/frame_request.h"

// Where a frame's time goes, for the benchmark: filled only when asked for, and then each part
// waits for the graphics work it issued, so the work is counted where it is issued.
struct FrameTimings {
  double waitSeconds;    // blocked on the mesh worker
  double uploadSeconds;  // handing the slot's arrays to the graphics API
  double drawSeconds;    // sky, surface (or shadows) and atmosphere
};

// The platform's handles the overlays' fonts and pictures are made from, as plain pointers.
// Windows: the module instance (HINSTANCE) holding the help pictures and the window's device
// context (HDC); the Linux program carries its pictures in itself and passes null for both.
struct OverlayHandles {
  void* module;
  void* deviceContext;
};

// A frame read back for a screenshot: bottom-up rows of blue, green, red bytes, each row padded
// to a multiple of 4 bytes (the 24-bit bitmap layout, BmpRowSize).
struct FramePixels {
  int32_t width, height;
  uint8_t* bgr;  // owned by the caller, BmpImageSize(width, height) bytes
};

// Every function runs on the window thread with the back end's context current.
struct RenderBackEnd {
  // Once the context is made: the base state, what the implementation offers (`limits`, for the
  // run's configuration) and the overlays' fonts and pictures. False when the overlays cannot be
  // made; the saver then fails its creation.
  bool (*startContext)(const OverlayHandles& handles, RunLimits* limits);
  // Once the map data is loaded: textures and star arrays from the map (its images are released
  // as soon as they are uploaded), buffers, and the shadow target for a window of this size when
  // the run draws shadows. Returns whether shadows can be drawn: a target the implementation
  // cannot complete costs the shadows, not the run (one line says so). Any other failure ends
  // the process with status 1.
  bool (*setUpScene)(const RunConfig& config, MapData& map, int32_t width, int32_t height);
  // One frame: the window cleared, the slot drawn as its request recorded it (its matrices, views,
  // sun and shadows) into each of its views, then this frame's overlays into this frame's views.
  // timings: null except in the benchmark.
  void (*drawFrame)(const MeshSlot& slot, const FrameRequest& recorded, const FrameRequest& current,
                    FrameTimings* timings);
  // A frame without a scene: the window cleared and the request's overlays ("Loading...").
  void (*drawOverlaysOnly)(const FrameRequest& request);
  // The frame just drawn, from the back buffer, before the swap. False when it cannot be read.
  bool (*readFrame)(FramePixels& pixels);
  // The scene's resources released; harmless when setUpScene never ran.
  void (*shutDownScene)();
  // The overlays' pictures released, at the window's end (the fonts go with the context).
  void (*endContext)();
};
