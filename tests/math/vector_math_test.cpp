// Sphere coordinates, folding, tolerance and matrix layout: the conventions every camera and mesh
// computation depends on (a wrong sign or a transposed matrix puts the globe in the wrong place).
#include "math/vector_math.h"

#include <gtest/gtest.h>

namespace {

constexpr float kEps = 1e-5f;

void ExpectVec3(const Vec3& v, float x, float y, float z) {
  EXPECT_NEAR(v.x, x, kEps);
  EXPECT_NEAR(v.y, y, kEps);
  EXPECT_NEAR(v.z, z, kEps);
}

TEST(VectorMath, SphereCoordinatesAndBack) {
  struct Case {
    Vec3 v;
    SphereCoords expected;
  } cases[] = {
      {{0, 0, 1}, {1, 0, 0}},          {{1, 0, 0}, {1, 0, 90}},        {{0, -1, 0}, {1, 270, 0}},
      {{0, 1, 0}, {1, 90, 0}},         {{-2, 0, 0}, {2, 0, 270}},      {{0, 0, -3}, {3, 0, 180}},
      {{1, -1, 0}, {1.41421356f, 315, 90}},
  };
  for (const Case& c : cases) {
    SphereCoords s;
    Vec3ToSphere(s, c.v);
    EXPECT_NEAR(s.r, c.expected.r, kEps);
    EXPECT_NEAR(s.lat, c.expected.lat, 1e-4f);
    EXPECT_NEAR(s.lon, c.expected.lon, 1e-4f);
    // Latitudes in [0, 360) go straight back in.
    Vec3 back;
    SphereToVec3(back, s);
    EXPECT_NEAR(back.x, c.v.x, 1e-5f);
    EXPECT_NEAR(back.y, c.v.y, 1e-5f);
    EXPECT_NEAR(back.z, c.v.z, 1e-5f);
  }
  Vec3 v;
  SphereToVec3(v, SphereCoords{10, 0, 0});
  ExpectVec3(v, 0, 0, 10);
  SphereToVec3(v, SphereCoords{10, 0, 90});
  ExpectVec3(v, 10, 0, 0);
}

TEST(VectorMath, FoldLatLon) {
  struct Case {
    float lat, lon, wantLat, wantLon;
  } cases[] = {
      {350, 10, -10, 10}, {100, 300, 80, 120}, {90, 5, 90, 5},   {270, 40, -90, 40},
      {180, 200, 0, 20},  {45, 359, 45, 359},  {0, 0, 0, 0},     {91, 180, 89, 360},
  };
  for (const Case& c : cases) {
    float lat = c.lat, lon = c.lon;
    FoldLatLon(lat, lon);
    EXPECT_NEAR(lat, c.wantLat, 1e-4f) << c.lat << "," << c.lon;
    EXPECT_NEAR(lon, c.wantLon, 1e-4f) << c.lat << "," << c.lon;
  }
}

TEST(VectorMath, ZeroToleranceAndDiffer) {
  EXPECT_EQ(IsNonZero(1e-8f), 0);
  EXPECT_EQ(IsNonZero(-2e-7f), 1);
  EXPECT_EQ(IsNonZero(1.1920929e-7f), 0);  // the tolerance itself is still zero
  EXPECT_EQ(IsNonZero(0.0f), 0);
  EXPECT_EQ(Vec3Differ(Vec3{1, 2, 3}, Vec3{1, 2, 3.00000005f}), 0);
  EXPECT_EQ(Vec3Differ(Vec3{1, 2, 3}, Vec3{1, 2.001f, 3}), 1);
}

TEST(VectorMath, RotationIsRightHandedAboutItsAxis) {
  Mat3 m;
  Vec3 out;
  Mat3Rotation(m, Vec3{0, 1, 0}, 90);
  Mat3MulVec3(out, m, Vec3{0, 0, 1});
  ExpectVec3(out, 1, 0, 0);
  Mat3Rotation(m, Vec3{0, 0, 1}, 90);
  Mat3MulVec3(out, m, Vec3{1, 0, 0});
  ExpectVec3(out, 0, 1, 0);
  // A rotation about an oblique axis keeps the axis and the length, and 120 degrees about the
  // diagonal cycles the coordinate axes.
  const float k = 1.0f / SqrtF(3.0f);
  Mat3Rotation(m, Vec3{k, k, k}, 120);
  Mat3MulVec3(out, m, Vec3{1, 0, 0});
  ExpectVec3(out, 0, 1, 0);
  Mat3MulVec3(out, m, Vec3{k, k, k});
  ExpectVec3(out, k, k, k);
}

TEST(VectorMath, MatricesAreRowMajorAndTransposeToOpenGL) {
  Mat4 m;
  for (int i = 0; i < 16; ++i) m.m[i] = static_cast<float>(i + 1);
  Vec4 out;
  Mat4MulVec4(out, m, Vec4{1, 0, 0, 0});  // first column
  EXPECT_FLOAT_EQ(out.x, 1);
  EXPECT_FLOAT_EQ(out.y, 5);
  EXPECT_FLOAT_EQ(out.z, 9);
  EXPECT_FLOAT_EQ(out.w, 13);
  Mat4MulVec4(out, m, Vec4{1, 1, 1, 1});
  EXPECT_FLOAT_EQ(out.x, 10);
  EXPECT_FLOAT_EQ(out.w, 58);

  Mat4 t;
  Mat4Transpose(t, m);
  EXPECT_FLOAT_EQ(t.m[1], 5);
  EXPECT_FLOAT_EQ(t.m[4], 2);
  EXPECT_FLOAT_EQ(t.m[15], 16);

  Mat3 upper;
  Mat3FromMat4(upper, m);
  const float want[9] = {1, 2, 3, 5, 6, 7, 9, 10, 11};
  for (int i = 0; i < 9; ++i) EXPECT_FLOAT_EQ(upper.m[i], want[i]);

  Mat4 id;
  Mat4Identity(id);
  Mat4MulVec4(out, id, Vec4{3, -4, 5, 6});
  EXPECT_FLOAT_EQ(out.x, 3);
  EXPECT_FLOAT_EQ(out.y, -4);
  EXPECT_FLOAT_EQ(out.z, 5);
  EXPECT_FLOAT_EQ(out.w, 6);
}

}  // namespace
