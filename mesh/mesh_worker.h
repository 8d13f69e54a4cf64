// The mesh worker: one thread that builds, on request and one frame ahead of the renderer, the
// water shell, cloud shell, planet surface and atmosphere of the visible globe into one of two
// MeshSlots; and the hand-over, two auto-reset events, through which it alternates strictly with
// the renderer. The worker never calls OpenGL.
#pragma once

#include <atomic>
#include <cstdint>
#include <thread>

#include "camera/camera_state.h"
#include "settings/run_config.h"
#include "mesh/auto_reset_event.h"
#include "mesh/builders.h"
#include "mesh/mesh_slot.h"

// One process-wide record. The window thread writes everything in SetupMeshWork, before the
// worker starts, and releases it after the worker has been joined. In between ownership
// alternates: the renderer (window thread) writes slotIndex and the inputs of the slot it names
// only between its wait on MeshReadyEvent and its MeshRequestEvent; the worker reads them and
// writes that slot's arrays and ranges, `light`, extraThinning and the work buffers only between
// its wake on MeshRequestEvent and its MeshReadyEvent. The atomics are the only fields touched
// outside that alternation.
struct MeshWorkerState {
  MeshSlot slots[2];                       // the two slots, drawn and built in turn
  uint32_t slotIndex;                      // the slot the worker builds when woken; renderer only
  AutoResetEvent MeshReadyEvent;           // set by the worker when a slot is finished; starts set
  AutoResetEvent MeshRequestEvent;         // set by the renderer to request a build; starts clear
  std::atomic<uint32_t> running;           // 1 while the worker is to run; window thread writes
  std::atomic<uint32_t> buildsStarted;     // builds begun; worker writes (a test stops the worker inside one)
  const MapData* map;                      // the loaded level (the saver core's); read-only once set up
  uint32_t ppd;                            // map rows per degree of the loaded level
  uint32_t nodeDensity;                    // node count / ppd^2
  uint8_t cloudLayer;                      // the run draws the cloud layer
  uint8_t atmosphere;                      // the run draws the atmosphere shell
  uint8_t inlineBuilds;                    // no thread: RequestMeshBuild builds on the caller's thread
  uint32_t triangleShift;                  // the run's triangle limits are divided by 2^triangleShift
  LightBox light;                          // shadow camera and the box of the visible surface; worker
  uint32_t extraThinning[kMeshGroups];     // per group, in slot order: 1, doubled after a build of the group
                                           // reached its limit, halved after one far below it; worker
  VisibleEntry* visibleTable;              // kVisibleEntries entries; worker
  RowBuffer rowBuffers[2];                 // 360 * ppd + 1 vertices each; worker
  Colour palette[kPaletteSize];            // atmosphere colours by terraform level; read-only once set up
  std::thread thread;                      // the worker, while started
};

extern MeshWorkerState gMeshWorker;

// The groups of a slot, in their order there; indices of MeshWorkerState::extraThinning.
enum MeshGroup : uint32_t { kWaterGroup, kCloudGroup, kPlanetGroup, kAtmosphereGroup };

// Window thread, after the map data is loaded and before StartMeshWorker: keeps the map, which
// must outlive the worker, takes its ppd and node density and the run's features, allocates the
// work buffers and both slots' arrays at full size, fills the palette and empties both slots (slot
// index 0, all ranges 0, slot 0's view the identity). A failed allocation ends the process with
// status 1.
void SetupMeshWork(const RunConfig& config, const MapData& map);
// Window thread, the last step of the GL set-up: MeshReadyEvent set, MeshRequestEvent clear,
// running 1, then the thread (none for a run without a mesh thread). The first frame's wait therefore passes at once and finds slot 0 empty.
void StartMeshWorker();
// Window thread, at tear-down: clears running, wakes the worker and joins it. An idle worker returns
// at once; a building one finishes its slot first. Does nothing when the worker is not running.
void StopMeshWorker();
// Window thread, after StopMeshWorker: frees what SetupMeshWork allocated; harmless when repeated.
void ReleaseMeshWork();

// Renderer, once per frame: blocks, without a time limit, until the slot named by slotIndex is
// finished; from then until RequestMeshBuild the renderer owns the slots.
void WaitMeshReady();
// Renderer: names `slot` (already given its inputs) for the worker and wakes it; for a run without
// a mesh thread, builds it at once and sets MeshReadyEvent.
void RequestMeshBuild(uint32_t slot);

// One whole build of a slot from its inputs; the worker calls it for each
// request, tests and benchmarks call it directly on their own thread.
void BuildMeshSlot(uint32_t slot);
// The worker's work memory and level constants as the builders take them.
BuildWork MeshBuildWork();
// Thread entry of the worker.
int MeshWorkerMain();
