// The WebGL back end: the same frames as the fixed-function OpenGL back end, drawn with small
// GLSL ES shaders on WebGL 2, or WebGL 1 where that is all the browser has. Its overlays are the
// page's own text over the canvas.
#pragma once

#include "render/back_end.h"

// Slot limits divided by 2^kWebTriangleShift: the drawn slot is copied from the page's memory into
// WebGL's buffers every frame (WebGL cannot map a buffer or draw from client arrays), and without a
// worker the page's one thread builds the mesh too. At the native limits the page ran at 0.4 to 0.5
// of the Linux program's frame rate in SwiftShader, at a quarter 0.7 to 1.1 (docs/performance.md).
constexpr uint32_t kWebTriangleShift = 2;

const RenderBackEnd& WebGlBackEnd();
// The cloud layer, when its image comes after the scene was set up (the page fetches it last):
// its texture is made and the image released. Nothing before the scene's set-up, which takes the
// image itself, or when the run draws no clouds.
void WebGlAddCloudLayer(MapData& map);
