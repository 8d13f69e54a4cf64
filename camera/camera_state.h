// The camera, its heading, the start pose and the sun direction in the planet frame, the few
// operations that move them, the distance limits and the initial view. Manual control and the
// flyby move these records; the saver window, the renderer and the mesh worker read them.
#pragma once

#include "camera/sky_now.h"
#include "settings/run_config.h"
#include "math/vector_math.h"

constexpr float kMaxCameraDistance = 27168000.0f;  // metres from the planet centre; the start distance
constexpr float kLookAtDistance = 3375000.0f;      // metres; where the saver window aims gluLookAt
constexpr float kAtmosphereTopHeight = 45000.0f;   // highest ground plus atmosphere shell, metres
constexpr float kGroundTopHeight = 16000.0f;       // highest ground when no atmosphere is drawn

// A point given both ways, kept in step: distance and angles, and the Cartesian position. The
// renderer copies it as six floats in this order.
struct SpherePoint {
  float distance;   // from the planet centre: metres for the camera, 1 for the sun
  float latitude;   // degrees in [0, 360): a southern latitude of -10 is kept as 350
  float longitude;  // degrees in [0, 360), from +z towards +x
  float x, y, z;    // position: (r cos lat sin lon, r sin lat, r cos lat cos lon)
};

// A viewpoint with its own viewing frame; 15 floats, copied whole to the mesh worker.
struct CameraPose {
  SpherePoint point;  // where the camera is
  Vec3 forward;       // unit viewing direction
  Vec3 up;            // unit up direction of the picture
  Vec3 right;         // unit right direction of the picture
};
static_assert(sizeof(SpherePoint) == 6 * sizeof(float), "the renderer copies a sun point as 6 floats");
static_assert(sizeof(CameraPose) == 15 * sizeof(float), "the renderer copies a camera pose as 15 floats");

// The cameras of a run, in the saver core's record, all zero until SetupInitialView. Written only
// by the window thread (initial view, manual control, flyby, tour, once per frame); other threads
// get copies through the frame's request and never read it directly.
struct CameraState {
  CameraPose camera;         // the current viewpoint of every frame
  CameraPose heading;        // the frame the camera would have without looking aside; only its vectors count
  CameraPose initialCamera;  // the start pose, target of the reset request
  SpherePoint sun;           // unit direction towards the sun (distance 1)
  float spinAngle;           // turn of the sun about the polar axis, degrees in [0, 360)
  bool clockSun;             // the sun, the stars' turn and the sky's bodies follow the Mars clock
  SkyBodies sky;             // the moons and planets, shown only on the clock
  float minDistance;         // closest allowed camera distance, metres (SetupInitialView)
  float topHeight;           // highest the globe reaches above the reference radius, metres
};


// An angle in degrees brought into [0, 360).
float WrapDegrees(float degrees);

// Stores r and both angles (wrapped into [0, 360)) and recomputes the position.
void SetSpherical(SpherePoint& point, float r, float latitude, float longitude);
// Stores r and recomputes the position from it and the stored angles.
void SetDistance(SpherePoint& point, float r);
inline Vec3 PointPosition(const SpherePoint& point) { return Vec3{point.x, point.y, point.z}; }
inline SphereCoords PointSpherical(const SpherePoint& point) {
  return SphereCoords{point.distance, point.latitude, point.longitude};
}
// position = rotation * position; distance and angles follow from the new position.
void RotatePosition(SpherePoint& point, const Mat3& rotation);
// Sets the position; distance and angles follow (a SpherePoint keeps both in step).
void SetPointPosition(SpherePoint& point, const Vec3& position);

void SetOrientation(CameraPose& pose, const Vec3& forward, const Vec3& up, const Vec3& right);
// The three vectors only; the position of `into` stays.
void CopyOrientation(CameraPose& into, const CameraPose& from);
// Turns the three vectors; the position stays. Nothing renormalises them: they stay unit length
// as far as the rotations preserve it.
void RotateOrientation(CameraPose& pose, const Mat3& rotation);
// Turns the position and then the vectors.
void RotatePose(CameraPose& pose, const Mat3& rotation);

// The distance limit, top height, start pose (camera, heading and initial camera) and sun of a
// scene that has just become ready; width and height are the client size in pixels. Takes the
// atmosphere and the sun's season from the run, and ppd from the loaded map data (its samples per
// degree: a finer map lets the camera closer). Window thread, once, on the first ready frame.
void SetupInitialView(CameraState& state, const RunConfig& config, uint32_t ppd, float width, float height);
