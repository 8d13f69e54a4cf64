// The renderer's lifecycle: one set-up once the map data is loaded, one shutdown at the end of the
// run. The set-up has the back end make the scene (lighting, textures and star arrays, buffers,
// the shadow target), prepares the mesh work and the first slot and starts the worker last, after
// every array it uses exists; the shutdown stops the worker first.
#pragma once

#include <cstdint>

#include "mapdata/map_data.h"
#include "settings/run_config.h"
#include "render/back_end.h"

// Window thread, context current, once the loaded flag has been seen; width and height are the
// client size (both positive). Returns whether shadows are drawn: the run's choice, unless the
// back end cannot complete its shadow target (one failure line says so). Any other failure ends
// the process with status 1. The mesh worker reads `map` until ShutdownRenderer; its images are
// released once they are textures.
bool InitRenderer(const RenderBackEnd& backEnd, const RunConfig& config, MapData& map, int32_t width,
                  int32_t height);
// Window thread, at destruction, before FreeMapData; also safe when InitRenderer never ran.
void ShutdownRenderer();
