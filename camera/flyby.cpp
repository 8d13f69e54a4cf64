// The flyby's zoom rule, and its visits to the moons.
#include "camera/flyby.h"

#include <algorithm>
#include <cmath>

#include "camera/camera_state.h"
#include "camera/control_step.h"
#include "camera/tour_view.h"

namespace {

constexpr float kVisitEvery = 150.0f;   // seconds of orbit between visits
constexpr float kRetryAfter = 20.0f;    // no moon to visit: look again this much later
constexpr float kOutSeconds = 18.0f, kAroundSeconds = 14.0f, kBackSeconds = 18.0f;
constexpr float kAroundDegrees = 120.0f;
constexpr float kVisitRadii = 5.0f;     // the viewpoint's distance from the moon, in its longest radii
constexpr float kSameSide = 0.3f;       // cosine: the moon lies on the camera's side of Mars

Vec3 Lerp(const Vec3& a, const Vec3& b, float t) { return Add(a, Scaled(Sub(b, a), t)); }

// A sunlit moon on the camera's side of Mars, Phobos first; -1 when neither is.
int32_t MoonToVisit(const CameraState& cameras) {
  const Vec3 camera = Normalized(PointPosition(cameras.camera.point));
  for (int32_t m = 0; m < 2; ++m) {
    const MoonBody& moon = cameras.sky.moons[m];
    if (!moon.eclipsed && Dot(camera, Normalized(moon.centre)) > kSameSide) return m;
  }
  return -1;
}

// Between the sun and the way out from Mars: the moon lit, Mars behind it.
void ChooseSide(MoonVisit& visit, const MoonBody& moon, const SpherePoint& sun) {
  const Vec3 side = Normalized(Sub(Vec3{sun.x, sun.y, sun.z}, moon.axes[0]));
  for (int i = 0; i < 3; ++i) visit.side[i] = Dot(side, moon.axes[i]);
}

// The viewpoint's direction from the moon, turned about its orbit's pole by degrees.
Vec3 SideNow(const MoonVisit& visit, const MoonBody& moon, float degrees) {
  Vec3 side = Add(Add(Scaled(moon.axes[0], visit.side[0]), Scaled(moon.axes[1], visit.side[1])),
                  Scaled(moon.axes[2], visit.side[2]));
  Mat3 turn;
  Mat3Rotation(turn, moon.axes[2], degrees);
  Vec3 turned;
  Mat3MulVec3(turned, turn, side);
  return turned;
}

// The camera at eye looking along forward, its up kept as near the orbit's as forward allows.
void Place(CameraPose& camera, const Vec3& eye, const Vec3& forward, const Vec3& upHint) {
  const Vec3 f = Normalized(forward);
  Vec3 right = Cross(f, upHint);
  if (Length(right) < 1e-4f) right = Cross(f, Vec3{1.0f, 0.0f, 0.0f});
  right = Normalized(right);
  SetPointPosition(camera.point, eye);
  SetOrientation(camera, f, Cross(right, f), right);
}

void FlyVisit(const MoonVisit& visit, const MoonBody& moon, CameraPose& camera) {
  const float distance = kVisitRadii * moon.radii[0];
  const Vec3 orbitEye = PointPosition(visit.from.point);
  const Vec3& orbitForward = visit.from.forward;
  const Vec3& up = visit.from.up;
  if (visit.phase == VisitPhase::Out) {
    const float t = visit.time / kOutSeconds;
    const Vec3 eye = Lerp(orbitEye, Add(moon.centre, Scaled(SideNow(visit, moon, 0.0f), distance)), Smooth(t));
    Place(camera, eye, Lerp(orbitForward, Normalized(Sub(moon.centre, eye)), Smooth(1.5f * t)), up);
  } else if (visit.phase == VisitPhase::Around) {
    const Vec3 eye = Add(moon.centre, Scaled(SideNow(visit, moon, kAroundDegrees * Smooth(visit.time / kAroundSeconds)), distance));
    Place(camera, eye, Sub(moon.centre, eye), up);
  } else {
    const float t = Smooth(visit.time / kBackSeconds);
    const Vec3 eye = Lerp(Add(moon.centre, Scaled(SideNow(visit, moon, kAroundDegrees), distance)), orbitEye, t);
    Place(camera, eye, Lerp(Normalized(Sub(moon.centre, eye)), orbitForward, t), up);
  }
}

// Moves the visit on by its phase's length; false once it is back on the orbit.
bool AdvanceVisit(MoonVisit& visit) {
  const float length = visit.phase == VisitPhase::Out ? kOutSeconds
                     : visit.phase == VisitPhase::Around ? kAroundSeconds : kBackSeconds;
  if (visit.time < length) return true;
  visit.time -= length;
  if (visit.phase == VisitPhase::Back) {
    visit.phase = VisitPhase::Waiting;
    return false;
  }
  visit.phase = visit.phase == VisitPhase::Out ? VisitPhase::Around : VisitPhase::Back;
  return true;
}

}  // namespace

void FlybyStep(AutoState& flyby, InputState& input, const CameraState& cameras) {
  const CameraPose& camera = cameras.camera;
  const SpherePoint& sun = cameras.sun;
  const float d = camera.point.distance;
  Vec3 u = PointPosition(camera.point);
  Vec3Scale(u, 1.0f / d);
  const float alignment = u.x * sun.x + u.y * sun.y + u.z * sun.z;
  if (alignment > flyby.previousAlignment) input.zoom = d > cameras.minDistance ? -1 : 0;
  else input.zoom = d < kMaxCameraDistance ? 1 : 0;
  flyby.previousAlignment = alignment;
}

bool FlybyVisitStep(AutoState& flyby, float dt, CameraState& cameras) {
  MoonVisit& visit = flyby.visit;
  if (!cameras.sky.shown) return false;
  visit.time += std::max(dt, 0.0f);
  if (visit.phase == VisitPhase::Waiting) {
    if (visit.time < kVisitEvery) return false;
    visit.moon = MoonToVisit(cameras);
    if (visit.moon < 0) {
      visit.time = kVisitEvery - kRetryAfter;
      return false;
    }
    visit.phase = VisitPhase::Out;
    visit.time = 0.0f;
    visit.from = cameras.camera;
    ChooseSide(visit, cameras.sky.moons[visit.moon], cameras.sun);
  }
  if (!AdvanceVisit(visit)) {
    cameras.camera = visit.from;
    visit.time = 0.0f;
    return true;
  }
  FlyVisit(visit, cameras.sky.moons[visit.moon], cameras.camera);
  return true;
}
