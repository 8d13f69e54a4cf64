// Properties of whole builds over many random camera poses on a flat full-count level-8 planet:
// no build reaches its limit, the groups lie back to back, every triangle faces outward, and for a
// camera looking at the centre the surface covers the planet's disc on screen without holes.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "camera/camera_state.h"
#include "mapdata/map_data.h"
#include "mesh/mesh_worker.h"
#include "mesh/moon_mesh.h"
#include "settings/saver_settings.h"
#include "tests/mesh/mesh_views.h"
#include "tests/support/mesh_grids.h"

namespace {

constexpr uint32_t kPpd = 8;
constexpr double kRadius = 3396000.0;
constexpr int kMaskSize = 256;

float gMinDistance = 0.0f;  // the scene's initial view's, set with the scene

class MeshPropertiesTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    gMinDistance = InstallMeshScene(grid, kPpd, FullCountRows(kPpd), GridHeights::Flat);
  }
  static void TearDownTestSuite() {
    ReleaseMeshWork();
    RemoveMeshGrid(grid);
  }
  static MeshGrid grid;
};
MeshGrid MeshPropertiesTest::grid;

struct Pose {
  Vec3 eye;
  float view[16];
  float fieldOfView, aspect, relief;
  int32_t level;
};

// A random view rotation: a uniformly random unit quaternion.
void RandomFrame(std::mt19937& random, Vec3& forward, Vec3& up) {
  std::normal_distribution<float> normal;
  float q[4];
  float length = 0;
  for (float& v : q) {
    v = normal(random);
    length += v * v;
  }
  length = std::sqrt(length);
  const float w = q[0] / length, x = q[1] / length, y = q[2] / length, z = q[3] / length;
  forward = Vec3{2 * (x * z + w * y), 2 * (y * z - w * x), 1 - 2 * (x * x + y * y)};
  up = Vec3{2 * (x * y - w * z), 1 - 2 * (x * x + z * z), 2 * (y * z + w * x)};
}

Pose RandomPose(std::mt19937& random, bool lookAtCentre) {
  std::uniform_real_distribution<float> unit(0.0f, 1.0f);
  Pose pose;
  const float distance = gMinDistance + unit(random) * (kMaxCameraDistance - gMinDistance);
  const float latitude = std::asin(2.0f * unit(random) - 1.0f) * kRadToDeg;
  pose.eye = Place(distance, latitude, 360.0f * unit(random));
  Vec3 forward, up;
  RandomFrame(random, forward, up);
  if (lookAtCentre) {
    forward = Vec3{-pose.eye.x, -pose.eye.y, -pose.eye.z};
    if (std::fabs(Dot(Normalized(forward), Normalized(up))) > 0.99f) up = Vec3{up.y, up.z, up.x};
  }
  ViewAlong(pose.view, pose.eye, forward, up);
  pose.fieldOfView = 30.0f + 40.0f * unit(random);
  const float aspects[] = {4.0f / 3.0f, 16.0f / 9.0f, 1.0f, 0.75f};
  pose.aspect = aspects[random() % 4];
  pose.relief = 1.0f + 9.0f * unit(random);
  pose.level = static_cast<int32_t>(random() % 61);
  return pose;
}

void Build(const Pose& pose) {
  FillSlotInputs(gMeshWorker.slots[1], pose.view, pose.eye, pose.fieldOfView, pose.aspect, pose.level, pose.relief);
  gMeshWorker.slots[1].inputs.lightView = Mat4{{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, -20000000, 0, 0, 0, 1}};
  gMeshWorker.slots[1].inputs.shadowed = true;  // the scene draws shadows
  BuildMeshSlot(1);
}

// Pixels whose ray meets the planet (shrunk by a thousandth, well beyond any chord's sag) and that no
// planet triangle covers.
uint32_t UncoveredPixels(const Pose& pose, const MeshSlot& slot) {
  const double t = std::tan(pose.fieldOfView * 3.14159265358979 / 360.0);
  const double u = pose.aspect * t;
  const float* m = pose.view;
  std::vector<uint8_t> covered(kMaskSize * kMaskSize, 0);
  const MeshRanges& r = slot.ranges;
  for (uint32_t tri = r.planetFirst; tri < r.planetFirst + r.planetCount; ++tri) {
    double sx[3], sy[3];
    bool inFront = true;
    for (int k = 0; k < 3; ++k) {
      const Vec3 p = slot.positions[3 * tri + k];
      const double ex = m[0] * p.x + m[4] * p.y + m[8] * p.z + m[12];
      const double ey = m[1] * p.x + m[5] * p.y + m[9] * p.z + m[13];
      const double ez = m[2] * p.x + m[6] * p.y + m[10] * p.z + m[14];
      if (ez >= 0.0) inFront = false;
      sx[k] = (ex / -ez / u + 1.0) * 0.5 * kMaskSize;
      sy[k] = (ey / -ez / t + 1.0) * 0.5 * kMaskSize;
    }
    if (!inFront) continue;
    const int x0 = std::max(0, static_cast<int>(std::floor(std::min({sx[0], sx[1], sx[2]}))));
    const int x1 = std::min(kMaskSize - 1, static_cast<int>(std::ceil(std::max({sx[0], sx[1], sx[2]}))));
    const int y0 = std::max(0, static_cast<int>(std::floor(std::min({sy[0], sy[1], sy[2]}))));
    const int y1 = std::min(kMaskSize - 1, static_cast<int>(std::ceil(std::max({sy[0], sy[1], sy[2]}))));
    // Back faces are culled, as the renderer draws the planet: only counter-clockwise ones count.
    const double area = (sx[1] - sx[0]) * (sy[2] - sy[0]) - (sx[2] - sx[0]) * (sy[1] - sy[0]);
    if (area <= 0.0) continue;
    const double sign = 1.0;
    const double slack = -1e-7 * std::fabs(area);  // shared edges belong to both neighbours
    for (int y = y0; y <= y1; ++y)
      for (int x = x0; x <= x1; ++x) {
        const double px = x + 0.5, py = y + 0.5;
        const double e0 = sign * ((sx[1] - sx[0]) * (py - sy[0]) - (sy[1] - sy[0]) * (px - sx[0]));
        const double e1 = sign * ((sx[2] - sx[1]) * (py - sy[1]) - (sy[2] - sy[1]) * (px - sx[1]));
        const double e2 = sign * ((sx[0] - sx[2]) * (py - sy[2]) - (sy[0] - sy[2]) * (px - sx[2]));
        if (e0 >= slack && e1 >= slack && e2 >= slack) covered[y * kMaskSize + x] = 1;
      }
  }
  uint32_t holes = 0;
  const double eye[3] = {pose.eye.x, pose.eye.y, pose.eye.z};
  for (int y = 0; y < kMaskSize; ++y)
    for (int x = 0; x < kMaskSize; ++x) {
      const double dx = ((x + 0.5) / kMaskSize * 2.0 - 1.0) * u, dy = ((y + 0.5) / kMaskSize * 2.0 - 1.0) * t;
      // Eye direction (dx, dy, -1) into the planet frame: the transpose of the view's rotation.
      double dir[3];
      for (int i = 0; i < 3; ++i) dir[i] = m[4 * i] * dx + m[4 * i + 1] * dy - m[4 * i + 2];
      const double along = -(eye[0] * dir[0] + eye[1] * dir[1] + eye[2] * dir[2]);
      const double dirLength2 = dir[0] * dir[0] + dir[1] * dir[1] + dir[2] * dir[2];
      const double eyeLength2 = eye[0] * eye[0] + eye[1] * eye[1] + eye[2] * eye[2];
      const double miss2 = eyeLength2 - along * along / dirLength2;
      const double shrunk = kRadius * (1.0 - 1e-3);
      if (along > 0.0 && miss2 < shrunk * shrunk && !covered[y * kMaskSize + x]) ++holes;
    }
  return holes;
}

TEST_F(MeshPropertiesTest, RandomPosesStayInsideLimitsAndFaceOutward) {
  std::mt19937 random(20240601);
  uint32_t withPlanet = 0;
  for (int n = 0; n < 150; ++n) {
    const Pose pose = RandomPose(random, n % 3 == 0);
    Build(pose);
    SCOPED_TRACE(testing::Message() << "pose " << n << ": level " << pose.level << ", relief " << pose.relief);
    const MeshRanges& r = gMeshWorker.slots[1].ranges;
    EXPECT_LT(r.waterCount, pose.level == 0 ? 1 : kWaterLimit);
    EXPECT_LT(r.cloudCount, pose.level < 31 ? 1 : kCloudLimit);
    EXPECT_LT(r.planetCount, kPlanetLimit);
    EXPECT_LT(r.atmosphereCount, kAtmosphereLimit);
    EXPECT_EQ(r.waterFirst, 0u);
    EXPECT_EQ(r.cloudFirst, r.waterCount);
    EXPECT_EQ(r.planetFirst, r.cloudFirst + r.cloudCount);
    EXPECT_EQ(r.atmosphereFirst, r.planetFirst + r.planetCount);
    EXPECT_EQ(r.total, r.atmosphereFirst + r.atmosphereCount);
    withPlanet += r.planetCount > 0;
    const Vec3* positions = gMeshWorker.slots[1].positions;
    uint32_t inward = 0;
    for (uint32_t tri = 0; tri < r.total; ++tri) {
      const Vec3 a = positions[3 * tri], b = positions[3 * tri + 1], c = positions[3 * tri + 2];
      inward += !(Dot(Cross(Sub(b, a), Sub(c, a)), Vec3{a.x + b.x + c.x, a.y + b.y + c.y, a.z + b.z + c.z}) > 0.0f);
    }
    EXPECT_EQ(inward, 0u);
  }
  // The random views see the planet often enough for the checks above to mean something.
  EXPECT_GT(withPlanet, 50u) << withPlanet;
}

TEST_F(MeshPropertiesTest, SurfaceCoversThePlanetsDisc) {
  std::mt19937 random(777);
  for (int n = 0; n < 40; ++n) {
    Pose pose = RandomPose(random, true);
    // Include the closest and the farthest camera.
    if (n == 0) pose.eye = Place(gMinDistance, 12.0f, 359.5f);
    if (n == 1) pose.eye = Place(kMaxCameraDistance, -60.0f, 180.0f);
    if (n < 2) LookAt(pose.view, pose.eye, Vec3{0, 0, 0}, Vec3{0, 1, 0});
    Build(pose);
    EXPECT_EQ(UncoveredPixels(pose, gMeshWorker.slots[1]), 0u)
        << "pose " << n << ": distance " << std::sqrt(Dot(pose.eye, pose.eye)) << ", field of view "
        << pose.fieldOfView << ", aspect " << pose.aspect << ", relief " << pose.relief;
  }
}

// The moons' mesh is drawn with back faces culled and no depth test outside the globe's planes:
// every triangle must face outwards, every vertex be used, and the craters leave it near the unit
// sphere with unit normals.
TEST(MoonMesh, ClosedOutwardFacingAndNearTheUnitSphere) {
  const MoonMesh mesh = MakeMoonMesh();
  ASSERT_EQ(mesh.positions.size(), 2562u);
  ASSERT_EQ(mesh.indices.size(), 3u * 5120u);
  std::vector<int> uses(mesh.positions.size(), 0);
  for (size_t i = 0; i < mesh.indices.size(); i += 3) {
    const Vec3& a = mesh.positions[mesh.indices[i]];
    const Vec3& b = mesh.positions[mesh.indices[i + 1]];
    const Vec3& c = mesh.positions[mesh.indices[i + 2]];
    const Vec3 centroid = Scaled(Add(Add(a, b), c), 1.0f / 3.0f);
    ASSERT_GT(Dot(Cross(Sub(b, a), Sub(c, a)), centroid), 0.0f) << "triangle " << i / 3 << " faces inwards";
    for (size_t k = 0; k < 3; ++k) ++uses[mesh.indices[i + k]];
  }
  for (size_t v = 0; v < mesh.positions.size(); ++v) {
    EXPECT_GE(uses[v], 5) << "vertex " << v;  // 5 at the icosahedron's corners, 6 elsewhere
    EXPECT_NEAR(Length(mesh.positions[v]), 1.0f, 0.2f);
    EXPECT_NEAR(Length(mesh.normals[v]), 1.0f, 1e-4f);
  }
  EXPECT_EQ(mesh.colours.size(), 4 * mesh.positions.size());
}

}  // namespace
