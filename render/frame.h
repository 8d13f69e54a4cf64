// One frame of the scene, the front end's side of the seam: hands the mesh worker this frame's
// request and has the back end draw the slot the worker finished during the previous frame, as
// that slot's request recorded it. The picture is one frame late; mesh, matrices and views always
// match.
#pragma once

#include "render/back_end.h"
#include "render/frame_request.h"

// Renderer state besides the slots; window thread only.
struct FrameState {
  const RenderBackEnd* backEnd;     // the back end the scene was set up on (InitRenderer)
  FrameRequest slotRequests[2];     // the request each slot was filled for: a slot is drawn as recorded
  FrameTimings* timings;            // null except in the benchmark
};

extern FrameState gFrame;

// Window thread, once the scene is set up: waits for the worker's slot, gives the other slot this
// request's camera, view and levels and wakes the worker, then has the back end draw the finished
// slot (one frame late) with this request's window and overlays. The request's matrices must be
// set (SetFrameMatrices).
void RenderFrame(const FrameRequest& request);
