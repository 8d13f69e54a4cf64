// The star field and the sun disc, drawn first in every frame at an infinite distance: the sky
// uses the rotation of the view only and writes no depth, so the planet covers it.
#pragma once

#include "camera/camera_state.h"
#include "math/vector_math.h"
#include "render/frame_request.h"

// Called with the vertex and colour arrays enabled, in one view with the camera's view matrix
// (row by row), the stars' turn, the unit sun direction and the planets the drawn slot was
// recorded with; returns with both matrices as they were and GL_PROJECTION current.
void SkyPass(const FrameView& view, const Mat4& cameraView, float spinAngle, const SpherePoint& sun,
             const SkyBodies& sky);
