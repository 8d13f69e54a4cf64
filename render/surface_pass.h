// The globe without shadows: the relief in its vertex colours, and in the terraformed look the
// sea rising over the low land and the fading cloud layer; and the translucent atmosphere shell.
#pragma once

#include "mesh/mesh_slot.h"

// Called by RenderFrame with the slot's arrays in place, vertex, normal and colour arrays on,
// texture coordinate array off; returns in the same array state and the resting GL state.
// cloudLayer: the run draws the cloud layer.
void SurfacePass(const MeshSlot& slot, bool cloudLayer);
// The atmosphere shell, after either surface pass, when the run draws it.
void AtmospherePass(const MeshSlot& slot);
// Both sides of the cloud shell with the cloud texture, fade and blending already set: the far
// side darker, then the near side; leaves back faces culled and the plain diffuse light.
void DrawCloudShell(const MeshRanges& ranges);
// Whether the cloud layer is drawn at a level: the run draws it (cloudLayer), its texture was
// made, and the level is above 30.
bool CloudsDrawn(bool cloudLayer, int32_t level);
