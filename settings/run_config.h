// The configuration of one run: what the run draws and how it flies, resolved once on the window
// thread from the stored settings, what the back end offers and the levels the data folder holds
// (mapdata/resolve_run_config.h), then handed down to the loader (its LoadRequest), the mesh
// worker, the renderer and its back end, and the camera. A plain record: it does not include the
// settings record, so nothing that receives it can reach for the settings themselves.
#pragma once

#include <cstdint>

#include "platform/data_paths.h"

// What the OpenGL implementation offers that the configuration depends on; read from the
// capabilities record after the context is made.
struct RunLimits {
  bool depthTextures;      // OpenGL 1.4: shadows can be drawn
  int32_t maxTextureSize;  // GL_MAX_TEXTURE_SIZE: the cloud layer and the sea image follow it
  // The mesh's triangle limits divided by 2^triangleShift before adaptive quality: 0 where the
  // slot's arrays reach the graphics memory cheaply, more where the whole slot is copied through
  // a slow path every frame (WebGL, whose buffers are filled from the page's own memory).
  uint32_t triangleShift;
};

// How the globe meets several monitors (the stored values of "Monitors").
enum class MonitorMode : uint8_t {
  Each = 0,     // every monitor its own view of the one camera
  Span = 1,     // one view across the whole window
  Primary = 2,  // the primary monitor's view only; the others stay dark
};

// One run's configuration. Written by the window thread before the loader starts and never
// changed afterwards; the renderer, the mesh worker and the camera get it as a parameter (the mesh
// worker's copy is read on its thread only after the hand-over starts). `shadows` is what the run
// may draw: the back end may still find that it cannot (its set-up says so).
struct RunConfig {
  char dataPath[kDataPathSize];  // the data folder
  uint32_t level;                // the level loaded: the stored one when the folder has it, else the nearest
  int32_t maxTextureSize;        // GL_MAX_TEXTURE_SIZE: sea width and cloud image follow it
  bool shadows;                  // cast shadows: the setting, and depth textures (OpenGL 1.4)
  bool clouds;                   // the cloud layer: the setting, and textures of kCloudTextureSize texels
  bool atmosphere;               // the atmosphere shell: the setting
  bool automatic;                // the automatic flyby or the tour: input ends the saver (else manual control)
  bool tour;                     // the guided tour of landmarks in place of the flyby
  float reliefFactor;            // starting relief exaggeration, 1..10
  uint32_t sunPosition;          // season of the sun, 0 (winter) .. 4 (summer), or kSunPosNow
  uint32_t terraformMode;        // 0 none, 1 once, 2 periodic
  float terraformPeriodSeconds;  // the periodic cycle
  float baseFieldOfView;         // vertical, degrees, for landscape views (FieldOfViewFor widens it)
  bool showFrameRate;            // the frame rate in a corner
  bool adaptQuality;             // shadows and detail step down while frames run late
  MonitorMode monitors;          // a view per monitor, one spanning them, or the primary only
  uint32_t triangleShift;        // the back end's RunLimits::triangleShift
  // The mesh worker has a thread of its own; false where the platform runs one thread (a web page
  // without cross-origin isolation): each build then runs on the window thread when requested.
  bool meshThread;
};

constexpr float kBaseFieldOfView = 24.0f;  // degrees, vertical, for landscape windows

// The vertical field of view for a view of this aspect (width / height): the base for landscape
// views, widened for portrait ones so the globe keeps its width.
inline float FieldOfViewFor(const RunConfig& config, float aspect) {
  return aspect >= 1.0f ? config.baseFieldOfView : config.baseFieldOfView / aspect;
}
