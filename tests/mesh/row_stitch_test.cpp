// Row stitching: the zipper order, the gap and seam rules, pole fans and the texture seam, the
// outward winding, and the limit past which nothing is written.
#include "mesh/row_stitch.h"

#include <gtest/gtest.h>

#include <vector>

#include "tests/mesh/mesh_views.h"

namespace {

// A row on a sphere; colours name the row (tag) and the vertex index, s = longitude / 360.
struct TestRow {
  uint8_t tag;
  std::vector<float> longitudes;
  float spacing;
  std::vector<Vec3> positions;
  std::vector<Colour> colours;
  std::vector<TexCoord> texCoords;

  TestRow(uint8_t rowTag, float latitude, std::vector<float> lons, float rowSpacing)
      : tag(rowTag), longitudes(std::move(lons)), spacing(rowSpacing) {
    for (size_t k = 0; k < longitudes.size(); ++k) {
      positions.push_back(Place(3396000.0f, latitude, longitudes[k]));
      colours.push_back(Colour{tag, static_cast<uint8_t>(k & 0xFF), static_cast<uint8_t>(k >> 8), 255});
      texCoords.push_back(TexCoord{longitudes[k] / 360.0f, latitude / 180.0f + 0.5f});
    }
  }
  RowVertices Vertices() const {
    return RowVertices{positions.data(), longitudes.data(), colours.data(), texCoords.data(),
                       static_cast<uint32_t>(longitudes.size()), spacing};
  }
};

std::vector<float> Steps(float from, float to, float step) {
  std::vector<float> values;
  for (float v = from; v <= to + 1e-3f; v += step) values.push_back(v);
  return values;
}

struct Output {
  std::vector<Vec3> positions, normals;
  std::vector<Colour> colours;
  std::vector<TexCoord> texCoords;
  TriangleSink sink;

  explicit Output(uint32_t limit)
      : positions(3 * limit), normals(3 * limit), colours(3 * limit), texCoords(3 * limit),
        sink{positions.data(), normals.data(), colours.data(), texCoords.data(), 0, limit, false} {}

  // Row tag and vertex index of a written corner.
  std::pair<int, uint32_t> Corner(uint32_t vertex) const {
    const Colour c = colours[vertex];
    return {c.r, static_cast<uint32_t>(c.g) | static_cast<uint32_t>(c.b) << 8};
  }
  bool Outward(uint32_t t) const {
    const Vec3 a = positions[3 * t], b = positions[3 * t + 1], c = positions[3 * t + 2];
    return Dot(Cross(Sub(b, a), Sub(c, a)), a) > 0.0f;
  }
};

TEST(RowStitch, MergeOrderGapsAndSeam) {
  struct Case {
    const char* name;
    std::vector<float> south, north;
    float southSpacing, northSpacing;
    uint32_t triangles, seamTriangles;  // all written, and of them those closing across 0/360
    std::pair<int, uint32_t> firstThird;  // third corner of the first triangle
  } cases[] = {
      // Aligned rows: two triangles per pair of neighbours; a tie takes the southern row first.
      {"aligned", Steps(10, 15, 1), Steps(10, 15, 1), 1, 1, 10, 0, {1, 1}},
      // A hole of exactly three spacings is bridged, a wider one is not.
      {"hole of 3 spacings", {10, 11, 12, 15, 16}, {10, 11, 12, 15, 16}, 1, 1, 8, 0, {1, 1}},
      {"hole of 3.5 spacings", {10, 11, 12, 15.5f, 16.5f}, {10, 11, 12, 15.5f, 16.5f}, 1, 1, 6, 0, {1, 1}},
      // All the way round: two closing triangles.
      {"full rows", Steps(0, 359, 1), Steps(0, 359, 1), 1, 1, 720, 2, {1, 1}},
      {"full rows, different spacings", Steps(0, 358, 2), Steps(0, 359, 1), 2, 1, 540, 2, {2, 1}},
      // Short of the seam by more than three spacings of the row tested first: none.
      {"both short", Steps(0, 355, 1), Steps(0, 355, 1), 1, 1, 710, 0, {1, 1}},
      {"north short", Steps(0, 359, 1), Steps(0, 355, 1), 1, 1, 713, 0, {1, 1}},
      // The first test passes and the second fails: one closing triangle.
      {"north starts late", Steps(0, 359, 1), Steps(4, 359, 1), 1, 1, 714, 1, {1, 2}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const TestRow p(1, 10.0f, c.south, c.southSpacing), r(2, 11.0f, c.north, c.northSpacing);
    Output out(2000);
    StitchRows(StitchVariant::ColourFaceNormals, p.Vertices(), r.Vertices(), out.sink);
    ASSERT_EQ(out.sink.count, c.triangles);
    EXPECT_EQ(out.Corner(2), c.firstThird);
    uint32_t seam = 0;
    for (uint32_t t = 0; t < out.sink.count; ++t) {
      // Corners: northern vertex, southern vertex, then the one the merge advanced to.
      ASSERT_EQ(out.Corner(3 * t).first, 2);
      ASSERT_EQ(out.Corner(3 * t + 1).first, 1);
      float lo = 360, hi = 0;
      for (uint32_t v = 3 * t; v < 3 * t + 3; ++v) {
        const auto [tag, index] = out.Corner(v);
        const float lon = (tag == 1 ? p : r).longitudes[index];
        lo = std::min(lo, lon);
        hi = std::max(hi, lon);
      }
      if (hi - lo > 180.0f)
        ++seam;
      else
        EXPECT_LE(hi - lo, 3.0f * std::max(c.southSpacing, c.northSpacing)) << "triangle " << t << " bridges a hole";
      EXPECT_TRUE(out.Outward(t)) << "triangle " << t;
      const Vec3 a = out.positions[3 * t], b = out.positions[3 * t + 1], cc = out.positions[3 * t + 2];
      const Vec3 face = Cross(Sub(a, b), Sub(a, cc));
      for (int k = 0; k < 3; ++k) EXPECT_FLOAT_EQ(out.normals[3 * t + k].y, face.y);
    }
    EXPECT_EQ(seam, c.seamTriangles);
  }
}

TEST(RowStitch, PoleFansAndTextureSeam) {
  for (bool southPole : {true, false}) {
    SCOPED_TRACE(southPole ? "south pole" : "north pole");
    const TestRow ring(southPole ? 2 : 1, southPole ? -89.0f : 89.0f, Steps(0, 359, 1), 1);
    const TestRow pole(southPole ? 1 : 2, southPole ? -90.0f : 90.0f, {0}, 360);
    Output out(400);
    StitchRows(StitchVariant::Texture, (southPole ? pole : ring).Vertices(), (southPole ? ring : pole).Vertices(),
               out.sink);
    // One triangle per ring vertex, the last across the seam.
    ASSERT_EQ(out.sink.count, 360u);
    const uint32_t poleCorner = southPole ? 1 : 0;
    for (uint32_t t = 0; t < out.sink.count; ++t) {
      const bool closing = t == out.sink.count - 1;
      EXPECT_TRUE(out.Outward(t)) << "triangle " << t;
      for (uint32_t k = 0; k < 3; ++k) {
        const TexCoord coord = out.texCoords[3 * t + k];
        const Vec3 position = out.positions[3 * t + k];
        EXPECT_EQ(out.normals[3 * t + k].x, position.x);  // normals are the positions
        if (k == poleCorner) {
          // The pole keeps its t and takes the s of the triangle's third corner, or closing,
          // that of the ring's last vertex.
          EXPECT_FLOAT_EQ(coord.t, pole.texCoords[0].t);
          EXPECT_FLOAT_EQ(coord.s, closing ? ring.texCoords.back().s : ring.texCoords[t + 1].s) << t;
        } else if (closing && std::fabs(position.x) < 1.0f) {
          EXPECT_FLOAT_EQ(coord.s, 1.0f);  // the ring's first vertex runs on past 1 across the seam
        } else {
          EXPECT_LT(coord.s, 1.0f);
        }
      }
    }
  }
}

TEST(RowStitch, CandidatesWindingInwardAreLeftOut) {
  // Near a pole a candidate joining run ends far apart in longitude turns clockwise seen from
  // outside: here (R0 at 72, P0 at 19, P1 at 38) on rows at -80 and -79 degrees.
  const TestRow p(1, -80.0f, {19, 38, 57}, 30), r(2, -79.0f, {72, 90}, 30);
  Output out(10);
  StitchRows(StitchVariant::ColourFaceNormals, p.Vertices(), r.Vertices(), out.sink);
  ASSERT_EQ(out.sink.count, 2u);
  const std::pair<int, uint32_t> expected[6] = {{2, 0}, {1, 1}, {1, 2}, {2, 0}, {1, 2}, {2, 1}};
  for (uint32_t v = 0; v < 6; ++v) EXPECT_EQ(out.Corner(v), expected[v]) << "vertex " << v;
  EXPECT_TRUE(out.Outward(0) && out.Outward(1));
}

TEST(RowStitch, NothingForEmptyOrSinglePairs) {
  const TestRow one(1, 0.0f, {0}, 360), other(2, 1.0f, {0}, 360), ring(2, 1.0f, Steps(0, 10, 1), 1), none(1, 0.0f, {}, 1);
  Output out(10);
  StitchRows(StitchVariant::ColourSphereNormals, one.Vertices(), other.Vertices(), out.sink);
  StitchRows(StitchVariant::ColourSphereNormals, none.Vertices(), ring.Vertices(), out.sink);
  StitchRows(StitchVariant::ColourSphereNormals, ring.Vertices(), none.Vertices(), out.sink);
  EXPECT_EQ(out.sink.count, 0u);
}

TEST(RowStitch, StopsAtTheLimit) {
  const TestRow p(1, 0.0f, Steps(10, 15, 1), 1), r(2, 1.0f, Steps(10, 15, 1), 1);
  Output exact(10);
  StitchRows(StitchVariant::ColourFaceNormals, p.Vertices(), r.Vertices(), exact.sink);
  EXPECT_EQ(exact.sink.count, 10u);
  EXPECT_FALSE(exact.sink.full);
  // One short: nine triangles as before, the tenth left out and the sink marked full.
  Output tight(10);
  tight.sink.limit = 9;
  StitchRows(StitchVariant::ColourFaceNormals, p.Vertices(), r.Vertices(), tight.sink);
  EXPECT_EQ(tight.sink.count, 9u);
  EXPECT_TRUE(tight.sink.full);
  for (uint32_t v = 0; v < 27; ++v) EXPECT_EQ(tight.Corner(v), exact.Corner(v)) << v;
  for (uint32_t v = 27; v < 30; ++v) EXPECT_EQ(tight.colours[v].a, 0) << "written past the limit at " << v;
}

}  // namespace
