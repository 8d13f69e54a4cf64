// The guided tour's flight: the order of the landmarks, the transit between two of them, the
// circling over one, the sun's light on each, and the clearance over the ground.
#include "camera/tour.h"

#include <algorithm>
#include <cmath>

#include "mapdata/map_formats.h"

namespace {

constexpr float kCircleSeconds = 16.0f;        // time over each landmark
constexpr float kCaptionFadeSeconds = 1.5f;    // the caption fades in, and out before leaving
constexpr float kCircleRate = 4.0f;            // degrees a second the view turns about a landmark
constexpr float kTransitBaseSeconds = 6.0f;    // the shortest hop
constexpr float kTransitSecondsPerDegree = 0.2f;
constexpr float kClimbSpeed = 1500000.0f;      // metres a second of distance change a transit allows for
constexpr float kCruiseHeightPerDegree = 70000.0f;  // metres of height half way, per degree of the hop
constexpr float kTwistShare = 0.6f;            // share of a transit over which the view turns onto the path
constexpr float kCruiseTiltShare = 0.6f;       // the tilt half way, as a share of the ends' tilt
constexpr float kFrameRangePerSize = 3.0f;     // slant range over a landmark's size: about 19 degrees of view
constexpr float kLargestFramedKm = 1500.0f;    // a larger landmark is shown in part, from closer
constexpr float kCloseTilt = 60.0f;            // degrees from the vertical for a small landmark
constexpr float kWideTilt = 35.0f;             // and for the largest ones, seen from farther up
constexpr float kCloseSizeKm = 50.0f, kWideSizeKm = 4000.0f;
// The sun 18 degrees above a landmark's horizon (relief casts shadows several times its height),
// due east or west turned 15 degrees towards the equator: its latitude then stays within 23.3
// degrees, inside the 25.2 degrees Mars' tilt allows, wherever the landmark lies.
constexpr float kSunElevation = 18.0f;
constexpr float kSunTowardsEquator = 15.0f;
constexpr float kGroundClearance = 20000.0f;   // metres above the drawn relief, below and ahead
constexpr float kLookAheadSeconds[] = {0.5f, 1.0f, 2.0f, 3.0f};
constexpr float kFloorRiseSeconds = 0.3f;      // the camera climbs ahead of high ground this fast
constexpr float kFloorFallSeconds = 2.0f;      // and sinks back more gently behind it
constexpr float kLongestStep = 0.25f;          // seconds: a longer frame is flown as this much

float WrapSigned(float degrees) { return WrapDegrees(degrees + 180.0f) - 180.0f; }

Vec3 LandmarkUnit(const TourState& tour, int32_t index) {
  const Landmark& landmark = tour.landmarks->entries[index];
  return UnitAt(landmark.latitude, landmark.longitude);
}

float GroundAt(const TourTerrain& terrain, const Vec3& unit) {
  float latitude = 0.0f, longitude = 0.0f;
  LatitudeLongitudeOf(unit, latitude, longitude);
  return terrain.heightAt(terrain.context, latitude, longitude);
}

// The landmark nearest `from` not yet circled in this round, other than `except`; -1 when none.
int32_t Nearest(const TourState& tour, const Vec3& from, int32_t except) {
  int32_t best = -1;
  float bestCosine = -2.0f;
  for (int32_t i = 0; i < tour.landmarks->count; ++i) {
    if (i == except || (tour.visited >> i & 1u) != 0) continue;
    const float cosine = Dot(from, LandmarkUnit(tour, i));
    if (cosine > bestCosine) best = i, bestCosine = cosine;
  }
  return best;
}

// The view over a landmark: a slant range of a few times its size, steeper for the large ones,
// no closer than the minimum distance and no farther than the largest.
TourView CircleStartView(const TourState& tour, int32_t index, const Vec3& heading, const TourTerrain& terrain) {
  const Landmark& landmark = tour.landmarks->entries[index];
  TourView view{LandmarkUnit(tour, index), 0.0f, heading, 0.0f, 0.0f};
  view.focusHeight = GroundAt(terrain, view.focus);
  const float spread = std::log(landmark.sizeKm / kCloseSizeKm) / std::log(kWideSizeKm / kCloseSizeKm);
  view.tilt = Lerp(kCloseTilt, kWideTilt, std::clamp(spread, 0.0f, 1.0f));
  const double r = static_cast<double>(kReferenceRadius) + view.focusHeight;
  const double range = static_cast<double>(kFrameRangePerSize) * std::min(landmark.sizeKm, kLargestFramedKm) * 1000.0;
  const double d = std::sqrt(r * r + range * range + 2.0 * r * range * std::cos(view.tilt * kDegToRad));
  view.distance = std::clamp(static_cast<float>(d), tour.minDistance, kMaxCameraDistance);
  return view;
}

// The sun low in the landmark's morning or evening sky, whichever is nearer the sun as it is.
Vec3 LandmarkSun(const Vec3& unit, const Vec3& currentSun) {
  float latitude = 0.0f, longitude = 0.0f;
  LatitudeLongitudeOf(unit, latitude, longitude);
  const float equatorward = latitude > 0.0f ? kSunTowardsEquator : (latitude < 0.0f ? -kSunTowardsEquator : 0.0f);
  const Vec3 north = NorthAt(unit);
  // Azimuths from north towards east; SunInSky counts from the tangent towards normal x tangent,
  // which is west of north.
  const Vec3 morning = SunInSky(SkyDirection{kSunElevation, -(90.0f + equatorward)}, unit, north);
  const Vec3 evening = SunInSky(SkyDirection{kSunElevation, -(270.0f - equatorward)}, unit, north);
  return Dot(morning, currentSun) >= Dot(evening, currentSun) ? morning : evening;
}

// The great circle's tangent at a point of it, in the direction of travel.
Vec3 PathTangent(const TourState& tour, const Vec3& point) { return Normalized(Cross(tour.pathAxis, point)); }

// Sets out from `from` (the view as it is) towards landmark `target`. The sun comes by value:
// the caller may pass tour.sun, which this replaces.
void BeginTransit(TourState& tour, const TourView& from, int32_t target, Vec3 currentSun,
                  const TourTerrain& terrain) {
  const Vec3 end = LandmarkUnit(tour, target);
  const Vec3 across = Cross(from.focus, end);
  // No single great circle joins a point to itself or to its opposite: go the way the view looks.
  tour.pathAxis = Normalized(Length(across) > 1e-6f ? across : Cross(from.focus, from.heading));
  tour.pathAngle = std::atan2(Length(across), Dot(from.focus, end)) * kRadToDeg;
  const Vec3 startTangent = PathTangent(tour, from.focus), endTangent = PathTangent(tour, end);
  tour.from = from;
  tour.to = CircleStartView(tour, target, endTangent, terrain);
  tour.twist = SignedAngle(startTangent, from.heading, from.focus);
  const float cruise = kReferenceRadius + kCruiseHeightPerDegree * tour.pathAngle;
  tour.climb = std::max(0.0f, cruise - 0.5f * (from.distance + tour.to.distance));
  tour.sun = LandmarkSun(end, currentSun);
  tour.sunFrom = SkyDirectionOf(currentSun, from.focus, startTangent);
  tour.sunTo = SkyDirectionOf(tour.sun, end, endTangent);
  tour.target = target;
  tour.phase = TourPhase::Transit;
  tour.phaseTime = 0.0f;
  tour.phaseLength = kTransitBaseSeconds + kTransitSecondsPerDegree * tour.pathAngle +
                     std::fabs(from.distance - tour.to.distance) / kClimbSpeed;
}

// The view and the sun `u` (0..1) of the way through the transit: the focus slides along the
// great circle, the view turns onto the path early, and the camera climbs in between; the sun
// keeps its place relative to the path, blended from one end's to the other's.
TourView TransitView(const TourState& tour, float u, Vec3& sun) {
  const float eased = Smooth(u);
  const float hump = SinF(u * 3.14159265f) * SinF(u * 3.14159265f);  // 0 at both ends, level there
  TourView view;
  view.focus = RotatedAbout(tour.from.focus, tour.pathAxis, tour.pathAngle * eased);
  const Vec3 tangent = PathTangent(tour, view.focus);
  view.heading = RotatedAbout(tangent, view.focus, tour.twist * (1.0f - Smooth(u / kTwistShare)));
  view.focusHeight = Lerp(tour.from.focusHeight, tour.to.focusHeight, eased);
  view.tilt = Lerp(tour.from.tilt, tour.to.tilt, eased) * (1.0f - (1.0f - kCruiseTiltShare) * hump);
  view.distance = std::min(Lerp(tour.from.distance, tour.to.distance, eased) + tour.climb * hump, kMaxCameraDistance);
  const SkyDirection sky{Lerp(tour.sunFrom.elevation, tour.sunTo.elevation, eased),
                         tour.sunFrom.azimuth + WrapSigned(tour.sunTo.azimuth - tour.sunFrom.azimuth) * eased};
  sun = SunInSky(sky, view.focus, tangent);
  return view;
}

TourView CircleView(const TourState& tour, float seconds) {
  TourView view = tour.to;
  view.heading = RotatedAbout(tour.to.heading, tour.to.focus, tour.circleRate * seconds);
  return view;
}

// The landmarks circled last, which a new round leaves for later.
uint64_t RecentlySeen(const TourState& tour) {
  uint64_t seen = 0;
  for (int32_t index : tour.recent)
    if (index >= 0) seen |= uint64_t{1} << index;
  return seen;
}

// Over the target: counts it seen, picks the next (a new round once all were seen, which starts
// near here but not at the few just circled, unless the table holds no others) and circles the
// way the next hop will leave.
void Arrive(TourState& tour) {
  const Vec3 here = LandmarkUnit(tour, tour.target);
  tour.visited |= uint64_t{1} << tour.target;
  for (int32_t i = kRecentVisits - 1; i > 0; --i) tour.recent[i] = tour.recent[i - 1];
  tour.recent[0] = tour.target;
  tour.next = Nearest(tour, here, tour.target);
  if (tour.next < 0) {
    tour.visited = RecentlySeen(tour);
    tour.next = Nearest(tour, here, tour.target);
  }
  if (tour.next < 0) {
    tour.visited = uint64_t{1} << tour.target;
    tour.next = Nearest(tour, here, tour.target);
    if (tour.next < 0) tour.next = tour.target;
  }
  const Vec3 leaving = Cross(Cross(here, LandmarkUnit(tour, tour.next)), here);
  const float turn = Length(leaving) > 1e-6f ? SignedAngle(tour.to.heading, leaving, here) : 0.0f;
  tour.circleRate = turn < 0.0f ? -kCircleRate : kCircleRate;
  tour.phase = TourPhase::Linger;
  tour.phaseTime = 0.0f;
  tour.phaseLength = kCircleSeconds;
}

// Moves `position` out along its vertical as far as the minimum distance, the ground below it
// and (eased) the ground it is heading for ask.
Vec3 KeepClear(TourState& tour, const Vec3& position, float dt, const TourTerrain& terrain) {
  const Vec3 velocity = dt > 0.0f ? Scaled(Sub(position, tour.lastPosition), 1.0f / dt) : Vec3{0.0f, 0.0f, 0.0f};
  float ahead = -kReferenceRadius;
  for (float seconds : kLookAheadSeconds)
    ahead = std::max(ahead, GroundAt(terrain, Normalized(Add(position, Scaled(velocity, seconds)))));
  const float wanted = kReferenceRadius + ahead + kGroundClearance;
  const float ease = wanted > tour.groundFloor ? kFloorRiseSeconds : kFloorFallSeconds;
  tour.groundFloor += (wanted - tour.groundFloor) * std::min(1.0f, dt / ease);
  const Vec3 up = Normalized(position);
  const float below = kReferenceRadius + GroundAt(terrain, up) + kGroundClearance;
  const float distance = std::max({Length(position), tour.minDistance, tour.groundFloor, below});
  tour.lastPosition = Scaled(up, distance);
  return tour.lastPosition;
}

void UpdateCaption(TourState& tour) {
  if (tour.phase != TourPhase::Linger) {
    tour.visiting = -1;
    tour.captionOpacity = 0.0f;
    return;
  }
  const float edge = std::min(tour.phaseTime, tour.phaseLength - tour.phaseTime);
  tour.visiting = tour.target;
  tour.captionOpacity = std::clamp(edge / kCaptionFadeSeconds, 0.0f, 1.0f);
}

// Moves to the next phase when this one is over.
void AdvancePhase(TourState& tour, const TourTerrain& terrain) {
  if (tour.phaseTime < tour.phaseLength) return;
  if (tour.phase == TourPhase::Transit) {
    Arrive(tour);
  } else {
    BeginTransit(tour, CircleView(tour, tour.phaseLength), tour.next, tour.sun, terrain);
  }
}

}  // namespace

bool StartTour(TourState& tour, const LandmarkTable& landmarks, float minDistance, const TourTerrain& terrain,
               const CameraPose& camera, const SpherePoint& sun) {
  tour = TourState{};
  if (landmarks.count < 1 || landmarks.count > kMaxLandmarks) return false;
  tour.landmarks = &landmarks;
  tour.minDistance = std::min(minDistance, kMaxCameraDistance);  // a range the clamps can rely on
  tour.visiting = -1;
  for (int32_t& index : tour.recent) index = -1;
  const Vec3 position = PointPosition(camera.point);
  const Vec3 below = Normalized(position);
  // Looking straight down, the picture's top is the heading: keep the camera's own.
  Vec3 heading = Sub(camera.up, Scaled(below, Dot(camera.up, below)));
  heading = Length(heading) > 1e-6f ? Normalized(heading) : NorthAt(below);
  const TourView from{below, GroundAt(terrain, below), heading, 0.0f, Length(position)};
  tour.groundFloor = minDistance;
  tour.lastPosition = position;
  BeginTransit(tour, from, Nearest(tour, below, -1), PointPosition(sun), terrain);
  return true;
}

void TourStep(TourState& tour, float dt, const TourTerrain& terrain, CameraPose& camera, SpherePoint& sun,
              float& spinAngle) {
  if (tour.landmarks == nullptr) return;  // StartTour found nothing to fly to
  dt = dt > 0.0f ? std::min(dt, kLongestStep) : 0.0f;
  tour.phaseTime += dt;
  AdvancePhase(tour, terrain);
  Vec3 light = tour.sun;
  TourView view = tour.phase == TourPhase::Transit ? TransitView(tour, tour.phaseTime / tour.phaseLength, light)
                                                   : CircleView(tour, tour.phaseTime);
  camera = AimedPose(view, KeepClear(tour, ViewPosition(view), dt, terrain));
  const float oldLongitude = sun.longitude;
  SetPointPosition(sun, light);
  // The stars turn with the sun's longitude, as when the planet spins under them.
  spinAngle = WrapDegrees(spinAngle + WrapSigned(sun.longitude - oldLongitude));
  UpdateCaption(tour);
}
