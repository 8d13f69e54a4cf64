// RenderFrame: the hand-over with the mesh worker, and the finished slot handed to the back end
// with the request it was filled for.
#include "render/frame.h"

#include <chrono>

#include "mesh/mesh_worker.h"

FrameState gFrame{};

namespace {

// What the worker builds the slot for: the request's camera with the view made from it.
void FillMeshInputs(MeshInputs& inputs, const FrameRequest& request) {
  inputs.camera = request.camera;
  inputs.view = request.view;
  inputs.lightView = request.lightView;
  inputs.fieldOfView = request.enclosing.fieldOfView;
  inputs.aspect = request.enclosing.aspect;
  inputs.reliefFactor = request.reliefFactor;
  inputs.terraformLevel = request.terraformLevel;
  inputs.limitShift = request.quality.limitShift;
  inputs.shadowed = request.quality.shadows;
}

}  // namespace

void RenderFrame(const FrameRequest& request) {
  FrameState& frame = gFrame;
  MeshWorkerState& worker = gMeshWorker;
  const auto waitStart = std::chrono::steady_clock::now();
  WaitMeshReady();
  if (frame.timings)
    frame.timings->waitSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - waitStart).count();
  const uint32_t drawn = worker.slotIndex, filled = 1 - drawn;
  FrameRequest recorded = frame.slotRequests[drawn];
  // The first slot was never filled: it shows this frame's views.
  if (recorded.views.count == 0) recorded.views = request.views;
  frame.slotRequests[filled] = request;
  FillMeshInputs(worker.slots[filled].inputs, request);
  // From here the worker builds the other slot; this frame reads only the drawn one.
  RequestMeshBuild(filled);
  frame.backEnd->drawFrame(worker.slots[drawn], recorded, request, frame.timings);
}
