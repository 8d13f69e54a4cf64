// InitRenderer and ShutdownRenderer, in the order the back end and the worker rely on.
#include "render/renderer.h"

#include "mesh/mesh_worker.h"
#include "render/frame.h"

namespace {

// The first frame draws slot 0 before any build. Its view and projection are the identity, which
// is the start camera's orientation (looking down -z, +y up): the sky then shows the stars the
// first scene frame will show. No views are recorded, so it is drawn into the first frame's; with
// the relief factor the shadow pass gets a valid, if empty, box.
void PrepareFirstSlot(const RunConfig& config, bool shadows, int32_t width, int32_t height) {
  FrameRequest& first = gFrame.slotRequests[0];
  first = FrameRequest{};
  first.enclosing.aspect = static_cast<float>(width) / static_cast<float>(height);
  first.enclosing.fieldOfView = FieldOfViewFor(config, first.enclosing.aspect);
  first.reliefFactor = config.reliefFactor;
  first.quality = QualityLevel{shadows, 0};
  first.width = width;
  first.height = height;
  Mat4Identity(first.view);
  Mat4Identity(first.projection);
  gFrame.slotRequests[1] = FrameRequest{};
  MeshInputs& inputs = gMeshWorker.slots[0].inputs;
  inputs.aspect = first.enclosing.aspect;
  inputs.fieldOfView = first.enclosing.fieldOfView;
  inputs.reliefFactor = first.reliefFactor;
  inputs.shadowed = shadows;
}

}  // namespace

bool InitRenderer(const RenderBackEnd& backEnd, const RunConfig& config, MapData& map, int32_t width,
                  int32_t height) {
  gFrame.backEnd = &backEnd;
  const bool shadows = backEnd.setUpScene(config, map, width, height);
  // Work buffers, palette, both slots' arrays and the empty slot 0.
  SetupMeshWork(config, map);
  PrepareFirstSlot(config, shadows, width, height);
  StartMeshWorker();
  return shadows;
}

void ShutdownRenderer() {
  StopMeshWorker();
  if (gFrame.backEnd) gFrame.backEnd->shutDownScene();
  ReleaseMeshWork();
}
