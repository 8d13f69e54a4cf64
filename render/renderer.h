// The renderer's lifecycle: one set-up once the map data is loaded, one shutdown at the end of the
// run. The set-up hands the run's configuration to the passes and the mesh worker, makes the scene
// (lighting, mesh work, textures and star arrays, the GL objects) and starts the worker last, after
// every array it uses exists; the shutdown stops the worker first.
#pragma once

#include <cstdint>

#include "mapdata/map_data.h"
#include "mapdata/run_config.h"
#include "render/quality_governor.h"

// Window thread, context current, once the loaded flag has been seen; width and height are the
// client size (both positive). A shadow target the implementation cannot complete costs the
// shadows, not the run: config.shadows is cleared (one failure line says so). Any other failure
// ends the process with status 1. The mesh worker reads `map` until ShutdownRenderer; its images
// are released once they are textures.
void InitRenderer(RunConfig& config, MapData& map, int32_t width, int32_t height);
// Window thread, at destruction, before FreeMapData; also safe when InitRenderer never ran.
void ShutdownRenderer();
// Window thread, between frames: the slots built from the next frame on use this quality (shadows
// only where the run has them). Each slot is drawn as it was built, so the change shows one frame
// later, whole.
void ApplyQualityLevel(const QualityLevel& level);
