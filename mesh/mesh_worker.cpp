// The mesh worker thread, its set-up and tear-down, the renderer's side of the hand-over, and the
// build of one slot: sea shell, cloud shell, surface and atmosphere, back to back in the slot.
#include "mesh/mesh_worker.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "mapdata/map_data.h"
#include "platform/failure_report.h"

MeshWorkerState gMeshWorker{};

namespace {

constexpr float kSeaRadius = 3375000.0f;         // metres: the sphere the sea and clouds are seen against
constexpr float kSeaDepthPerRelief = 300.0f;     // the sea sphere sinks this far per unit of relief factor
constexpr float kCloudHeight = 10000.0f;         // metres above the areoid, times the relief factor
// Margins that widen the field of view as the camera nears a layer, so that nothing at the edge
// of the screen is cut off: degrees per ratio of layer radius to the camera's height above it.
constexpr float kShellMargin = 5.0f;
constexpr float kShadowedCloudMargin = 10.0f;    // clouds cast shadows from beyond the screen's edge
constexpr float kSurfaceMargin = 2.6f;
// A layer whose build reached its limit is thinned twice as hard by the next build, up to this
// factor; one that used under 1 / kRelaxShare of its limit is thinned half as hard again (halving
// the factor about quadruples the triangles, so the next build stays well inside the limit).
constexpr uint32_t kMaxExtraThinning = 256;
constexpr uint32_t kRelaxShare = 8;

template <typename T>
T* AllocateOrFail(size_t count) {
  void* memory = std::malloc(count * sizeof(T));
  if (memory == nullptr) FailSetUp("no memory for the mesh work arrays (%s bytes)", Grouped(count * sizeof(T)).text);
  return static_cast<T*>(memory);
}

void Release(void* memory) { std::free(memory); }

// The slot's arrays from triangle `first` on; shells write texture coordinates, the rest colours.
TriangleSink SinkAt(MeshSlot& slot, uint32_t first, uint32_t limit, bool textured) {
  return TriangleSink{slot.positions + 3 * size_t{first}, slot.normals + 3 * size_t{first},
                      textured ? nullptr : slot.colours + 3 * size_t{first},
                      textured ? slot.texCoords + 3 * size_t{first} : nullptr, 0, limit, false};
}

void FollowLimit(uint32_t& extra, const TriangleSink& sink) {
  if (extra < 1) extra = 1;
  if (sink.full) {
    if (extra < kMaxExtraThinning) extra *= 2;
  } else if (extra > 1 && sink.count < sink.limit / kRelaxShare) {
    extra /= 2;
  }
}

}  // namespace

void SetupMeshWork(const RunConfig& config, const MapData& map) {
  MeshWorkerState& w = gMeshWorker;
  w.map = &map;
  w.ppd = map.ppd;
  w.nodeDensity = map.ppd > 0 ? map.nodeCount / (map.ppd * map.ppd) : 0;
  w.cloudLayer = config.clouds;
  w.atmosphere = config.atmosphere;
  w.inlineBuilds = !config.meshThread;
  w.triangleShift = config.triangleShift;

  ReleaseMeshWork();
  w.visibleTable = AllocateOrFail<VisibleEntry>(kVisibleEntries);
  const size_t rowCapacity = size_t{MaxRowCount(w.ppd)} + 1;
  for (RowBuffer& buffer : w.rowBuffers) {
    buffer.positions = AllocateOrFail<Vec3>(rowCapacity);
    buffer.longitudes = AllocateOrFail<float>(rowCapacity);
    buffer.colours = AllocateOrFail<Colour>(rowCapacity);
    buffer.texCoords = AllocateOrFail<TexCoord>(rowCapacity);
  }
  FillAtmospherePalette(w.palette);
  for (MeshSlot& slot : w.slots) {
    std::memset(static_cast<void*>(&slot), 0, sizeof slot);
    slot.positions = AllocateOrFail<Vec3>(3 * size_t{kSlotTriangles});
    slot.normals = AllocateOrFail<Vec3>(3 * size_t{kSlotTriangles});
    slot.colours = AllocateOrFail<Colour>(3 * size_t{kSlotTriangles});
    slot.texCoords = AllocateOrFail<TexCoord>(3 * size_t{kSlotTexturedTriangles});
  }
  // Slot 0 is drawn, empty, by the first frame.
  Mat4Identity(w.slots[0].inputs.view);
  w.slotIndex = 0;
  w.light = LightBox{};
  for (uint32_t& extra : w.extraThinning) extra = 1;
}

void ReleaseMeshWork() {
  MeshWorkerState& w = gMeshWorker;
  Release(w.visibleTable);
  w.visibleTable = nullptr;
  for (RowBuffer& buffer : w.rowBuffers) {
    Release(buffer.positions);
    Release(buffer.longitudes);
    Release(buffer.colours);
    Release(buffer.texCoords);
    buffer = RowBuffer{};
  }
  for (MeshSlot& slot : w.slots) {
    Release(slot.positions);
    Release(slot.normals);
    Release(slot.colours);
    Release(slot.texCoords);
    slot.positions = nullptr;
    slot.normals = nullptr;
    slot.colours = nullptr;
    slot.texCoords = nullptr;
  }
}

void StartMeshWorker() {
  MeshWorkerState& w = gMeshWorker;
  if (w.thread.joinable()) return;
  EventReset(w.MeshReadyEvent, true);
  EventReset(w.MeshRequestEvent, false);
  w.running.store(1);
  if (!w.inlineBuilds) w.thread = std::thread(MeshWorkerMain);
}

void StopMeshWorker() {
  MeshWorkerState& w = gMeshWorker;
  if (!w.thread.joinable()) return;
  // Cleared before the wake-up, so the worker sees it whether it is idle or finishing a build.
  w.running.store(0);
  EventSet(w.MeshRequestEvent);
  w.thread.join();
}

void WaitMeshReady() { EventWait(gMeshWorker.MeshReadyEvent); }

void RequestMeshBuild(uint32_t slot) {
  MeshWorkerState& w = gMeshWorker;
  w.slotIndex = slot;
  if (!w.inlineBuilds) {
    EventSet(w.MeshRequestEvent);
    return;
  }
  BuildMeshSlot(slot);
  EventSet(w.MeshReadyEvent);
}

int MeshWorkerMain() {
  MeshWorkerState& w = gMeshWorker;
  if (w.running.load() == 0) return 0;
  for (;;) {
    EventWait(w.MeshRequestEvent);
    if (w.running.load() == 0) return 0;
    BuildMeshSlot(w.slotIndex);
    EventSet(w.MeshReadyEvent);
    if (w.running.load() == 0) return 0;
  }
}

BuildWork MeshBuildWork() {
  MeshWorkerState& w = gMeshWorker;
  return BuildWork{w.map, w.visibleTable, {w.rowBuffers[0], w.rowBuffers[1]}, MaxRowCount(w.ppd) + 1, w.ppd,
                   w.nodeDensity, &w.light, w.palette};
}

namespace {

// The build's view from the slot's inputs: the camera and the view made from it.
BuildView SlotView(const MeshInputs& inputs) {
  BuildView view;
  // The transpose of the view's rotation, which carries eye directions into the planet frame.
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) view.rotation.m[3 * i + j] = inputs.view.m[4 * j + i];
  const SpherePoint& camera = inputs.camera.point;
  float latitude = camera.latitude, longitude = camera.longitude;
  FoldLatLon(latitude, longitude);
  view.distance = camera.distance;
  view.latitude = latitude;
  view.longitude = longitude;
  view.position = Vec3{camera.x, camera.y, camera.z};
  view.aspect = inputs.aspect;
  view.relief = inputs.reliefFactor;
  return view;
}

// What every layer's build shares: the work memory, the view, the level and the field of view.
struct LayerBuild {
  MeshWorkerState& worker;
  MeshSlot& slot;
  const BuildWork work;
  const BuildView& view;
  int32_t level;
  float fovy;
};

using LayerBuilder = uint32_t (*)(const BuildWork&, const BuildView&, const LayerSpec&, TriangleSink&);

// One group's build into the slot from triangle `first` on, within its limit, at its current
// thinning (which it then follows); `spec` holds the layer's spheres, angle and height.
uint32_t BuildGroup(LayerBuild& b, MeshGroup group, LayerBuilder builder, LayerSpec spec, uint32_t first,
                    bool textured) {
  uint32_t& extra = b.worker.extraThinning[group];
  spec.terraformLevel = b.level;
  spec.extraThinning = extra;
  spec.limit >>= b.slot.inputs.limitShift + b.worker.triangleShift;
  TriangleSink sink = SinkAt(b.slot, first, spec.limit, textured);
  const uint32_t count = builder(b.work, b.view, spec, sink);
  FollowLimit(extra, sink);
  return count;
}

// The field of view widened by `margin` degrees per ratio of a layer's radius to the camera's
// height above it.
float LayerAngle(const LayerBuild& b, float margin, float radius) {
  return margin * radius / (b.view.distance - radius) + b.fovy;
}

uint32_t BuildWater(LayerBuild& b) {
  if (b.level == 0) return 0;
  const float radius = kSeaRadius - kSeaDepthPerRelief * b.view.relief;
  // The sea rises 100 m per level, to the coast at level 60.
  const float height = kCoastHeight - 100.0f * static_cast<float>(kMaxTerraformLevel - b.level);
  const LayerSpec spec{radius, radius, LayerAngle(b, kShellMargin, radius), height, 0, kWaterLimit, 0};
  return BuildGroup(b, kWaterGroup, BuildShell, spec, 0, true);
}

uint32_t BuildClouds(LayerBuild& b, uint32_t first) {
  if (b.level == 0 || !b.worker.cloudLayer || b.level <= kCloudLevel) return 0;
  const float radius = kReferenceRadius + kCloudHeight * b.view.relief;
  const float margin = b.slot.inputs.shadowed ? kShadowedCloudMargin : kShellMargin;
  const LayerSpec spec{kSeaRadius, radius, LayerAngle(b, margin, radius), kCloudHeight, 0, kCloudLimit, 0};
  return BuildGroup(b, kCloudGroup, BuildShell, spec, first, true);
}

uint32_t BuildPlanet(LayerBuild& b, uint32_t first) {
  const float outer = kReferenceRadius + kGroundTopHeight * b.view.relief;
  const float inner = kReferenceRadius - kGroundTopHeight * b.view.relief;
  const LayerSpec spec{inner, outer, LayerAngle(b, kSurfaceMargin, outer), 0.0f, 0, kPlanetLimit, 0};
  return BuildGroup(b, kPlanetGroup, BuildSurface, spec, first, false);
}

uint32_t BuildAir(LayerBuild& b, uint32_t first) {
  if (!b.worker.atmosphere) return 0;
  const float radius = kReferenceRadius + kAtmosphereTopHeight * b.view.relief;
  const LayerSpec spec{radius, radius, LayerAngle(b, kShellMargin, radius), kAtmosphereTopHeight, 0,
                       kAtmosphereLimit, 0};
  return BuildGroup(b, kAtmosphereGroup, BuildAtmosphere, spec, first, false);
}

void CopyLightBox(const LightBox& light, MeshRanges& ranges) {
  ranges.lightMinX = light.minX;
  ranges.lightMaxX = light.maxX;
  ranges.lightMinY = light.minY;
  ranges.lightMaxY = light.maxY;
  ranges.lightMinZ = light.minZ;
  ranges.lightMaxZ = light.maxZ;
}

void RecordRanges(MeshRanges& ranges, uint32_t water, uint32_t clouds, uint32_t planet, uint32_t air) {
  ranges.total = water + clouds + planet + air;
  ranges.waterFirst = 0;
  ranges.waterCount = water;
  ranges.cloudFirst = water;
  ranges.cloudCount = clouds;
  ranges.planetFirst = water + clouds;
  ranges.planetCount = planet;
  ranges.atmosphereFirst = water + clouds + planet;
  ranges.atmosphereCount = air;
}

}  // namespace

void BuildMeshSlot(uint32_t s) {
  MeshWorkerState& w = gMeshWorker;
  MeshSlot& slot = w.slots[s & 1];
  const MeshInputs& inputs = slot.inputs;
  // The light-space box is only needed where the slot is drawn with shadows.
  const bool shadows = inputs.shadowed;
  if (shadows) {
    w.light.lightMatrix = inputs.lightView;
    w.light.reset = 1;
  }
  const BuildView view = SlotView(inputs);
  w.buildsStarted.fetch_add(1, std::memory_order_relaxed);
  // The renderer stores the whole part of a level it keeps in 0..60; the clamp guards the palette.
  LayerBuild build{w, slot, MeshBuildWork(), view, std::clamp(inputs.terraformLevel, 0, kMaxTerraformLevel),
                   inputs.fieldOfView};
  // The groups lie back to back in the slot: water, clouds, planet, atmosphere.
  const uint32_t water = BuildWater(build);
  const uint32_t clouds = BuildClouds(build, water);
  const uint32_t planet = BuildPlanet(build, water + clouds);
  if (shadows) CopyLightBox(w.light, slot.ranges);
  const uint32_t air = BuildAir(build, water + clouds + planet);
  RecordRanges(slot.ranges, water, clouds, planet, air);
}
