// The guided tour ("Tour", the third kind of automatic control): the camera flies from landmark
// to landmark of the real Mars along great circles, climbing between them with the distance,
// comes down to a low oblique view framed by each landmark's size, circles it for a while with
// its caption shown, then flies on. The sun is turned so that every landmark is seen in a low
// morning or evening light. Plain logic on the camera records, driven by the frame time.
//
// How the shell uses it, all on the window thread:
//  - once at start: LoadBuiltInLandmarks into a LandmarkTable that lives for the run; if it
//    fails (a broken table was built in), report the line and fly the ordinary flyby instead;
//  - when the scene becomes ready, after SetupInitialView: StartTour with the table, the camera
//    state's minimum distance, the ground, and the initial camera and sun;
//  - every ready frame, after TerraformStep and instead of FlybyStep and ControlStep (no
//    commands, no drift, no spin of ControlStep's own): TourStep on the camera state's camera,
//    sun and spin angle, then the frame's request and RenderFrame as always;
//  - captions: while TourCaptionOpacity is above 0, draw the caption of landmark
//    `tour.visiting` (EncodeCodePage1252 makes its text the font's codes) with that opacity.
// The ground is a TourTerrain; MapGroundHeight (camera/map_ground.h) reads it from the loaded map
// at the relief the mesh is built with, which the shell keeps up to date in its MapGround.
#pragma once

#include <cstdint>

#include "camera/camera_state.h"
#include "camera/landmarks.h"
#include "camera/tour_view.h"

// The ground the flight keeps clear of: heightAt(context, latitude, longitude) is the height in
// metres above the reference radius of the surface as drawn (areoid + topography x relief) at a
// planetocentric latitude (-90..90) and east longitude (0..360). Called a few times a frame.
struct TourTerrain {
  float (*heightAt)(const void* context, float latitude, float longitude);
  const void* context;
};

constexpr int32_t kRecentVisits = 3;  // a new round does not start at the landmarks circled last

enum class TourPhase : uint8_t {
  Transit,  // flying to `target`
  Linger,   // circling `target`, its caption shown
};

// The tour's one state record. Written by StartTour and TourStep on the window thread; the shell
// reads `visiting` and the caption's opacity there.
struct TourState {
  const LandmarkTable* landmarks;  // the places, read-only; outlives the tour
  float minDistance;               // closest allowed camera distance from the centre, metres
  TourPhase phase;
  float phaseTime;                 // seconds into the phase
  float phaseLength;               // seconds the phase lasts
  int32_t target;                  // the landmark flown to or circled
  int32_t next;                    // the landmark after it, chosen on arrival
  uint64_t visited;                // bit i: landmark i circled in this round
  int32_t recent[kRecentVisits];   // the landmarks circled last, newest first; -1 for none yet
  TourView from, to;               // the transit's first and last view
  Vec3 pathAxis;                   // unit axis of the great circle from from.focus to to.focus
  float pathAngle;                 // degrees of that arc
  float climb;                     // metres added to the distance half way
  float twist;                     // degrees the first heading is turned from the path's direction
  SkyDirection sunFrom, sunTo;     // the sun at the transit's ends, relative to the path
  Vec3 sun;                        // the sun while circling (unit)
  float circleRate;                // degrees a second the heading turns while circling
  float groundFloor;               // metres from the centre the ground ahead asks for, eased
  Vec3 lastPosition;               // the camera's previous position: its motion, to look ahead
  int32_t visiting;                // the landmark whose caption shows, or -1
  float captionOpacity;            // 0..1: fades in as the circling starts, out before leaving
};

// Starts the tour from the camera and sun as they are (SetupInitialView's pose looks at the
// planet's centre; a camera that looks elsewhere turns towards the ground as the flight starts).
// The first landmark is the one nearest below the camera. False (and nothing to fly) when the
// table holds no landmark; a table ParseLandmarks accepted always has some.
bool StartTour(TourState& tour, const LandmarkTable& landmarks, float minDistance, const TourTerrain& terrain,
               const CameraPose& camera, const SpherePoint& sun);

// Advances the flight by dt seconds and sets the camera pose, the sun and the spin angle (the
// stars turn with the sun's longitude, as they do when the planet spins). The camera stays at
// least minDistance from the centre and clear of the ground below and ahead of it.
void TourStep(TourState& tour, float dt, const TourTerrain& terrain, CameraPose& camera, SpherePoint& sun,
              float& spinAngle);

// The caption's opacity, 0..1, for landmark `tour.visiting`.
inline float TourCaptionOpacity(const TourState& tour) { return tour.visiting >= 0 ? tour.captionOpacity : 0.0f; }
