// Row stitching: the zipper order, the gap and seam rules, pole fans, the texture seam, the
// outward winding and the limit that ends the process before an array is overrun.
#include "mesh/row_stitch.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "tests/mesh/mesh_views.h"

namespace {

constexpr float kRadius = 3396000.0f;

// A row with every attribute filled: colours name the row and the vertex index, s = longitude / 360.
struct TestRow {
  uint8_t tag;
  std::vector<float> longitudes;
  std::vector<Vec3> positions;
  std::vector<Colour> colours;
  std::vector<TexCoord> texCoords;
  float spacing;

  RowVertices Vertices() const {
    return RowVertices{positions.data(), longitudes.data(), colours.data(), texCoords.data(),
                       static_cast<uint32_t>(longitudes.size()), spacing};
  }
};

TestRow MakeRow(uint8_t tag, float latitude, std::vector<float> longitudes, float spacing) {
  TestRow row{tag, std::move(longitudes), {}, {}, {}, spacing};
  for (size_t k = 0; k < row.longitudes.size(); ++k) {
    row.positions.push_back(Place(kRadius, latitude, row.longitudes[k]));
    row.colours.push_back(Colour{tag, static_cast<uint8_t>(k & 0xFF), static_cast<uint8_t>(k >> 8), 255});
    row.texCoords.push_back(TexCoord{row.longitudes[k] / 360.0f, latitude / 180.0f + 0.5f});
  }
  return row;
}

std::vector<float> Steps(float from, float to, float step) {
  std::vector<float> values;
  for (float v = from; v <= to + 1e-3f; v += step) values.push_back(v);
  return values;
}

// Output arrays of a given room and the sink over them.
struct Output {
  std::vector<Vec3> positions, normals;
  std::vector<Colour> colours;
  std::vector<TexCoord> texCoords;
  TriangleSink sink;

  explicit Output(uint32_t limit)
      : positions(3 * limit), normals(3 * limit), colours(3 * limit), texCoords(3 * limit),
        sink{positions.data(), normals.data(), colours.data(), texCoords.data(), 0, limit} {}
};

struct Corner {
  uint8_t tag;
  uint32_t index;
};

Corner CornerOf(const Output& out, uint32_t vertex) {
  const Colour c = out.colours[vertex];
  return Corner{c.r, static_cast<uint32_t>(c.g) | static_cast<uint32_t>(c.b) << 8};
}

// Longitude span of triangle t, from the rows its corners name.
float SpanOf(const Output& out, uint32_t t, const TestRow& p, const TestRow& r) {
  float lo = 1e9f, hi = -1e9f;
  for (uint32_t v = 3 * t; v < 3 * t + 3; ++v) {
    const Corner c = CornerOf(out, v);
    const float lon = (c.tag == p.tag ? p : r).longitudes[c.index];
    lo = std::min(lo, lon);
    hi = std::max(hi, lon);
  }
  return hi - lo;
}

// Every triangle faces away from the centre, and the face variant's normal is (a - b) x (a - c).
void ExpectOutwardWithFaceNormals(const Output& out) {
  for (uint32_t t = 0; t < out.sink.count; ++t) {
    const Vec3 a = out.positions[3 * t], b = out.positions[3 * t + 1], c = out.positions[3 * t + 2];
    const Vec3 face = CrossOf(Sub(b, a), Sub(c, a));
    EXPECT_GT(Dot(face, a), 0.0f) << "triangle " << t << " faces inward";
    const Vec3 expected = CrossOf(Sub(a, b), Sub(a, c));
    for (int k = 0; k < 3; ++k) {
      EXPECT_FLOAT_EQ(out.normals[3 * t + k].x, expected.x);
      EXPECT_FLOAT_EQ(out.normals[3 * t + k].y, expected.y);
      EXPECT_FLOAT_EQ(out.normals[3 * t + k].z, expected.z);
    }
  }
}

TEST(RowStitch, MergeOrderGapsAndSeam) {
  struct Case {
    const char* name;
    std::vector<float> south, north;
    float southSpacing, northSpacing;
    uint32_t triangles;        // all triangles written
    uint32_t seamTriangles;    // of them, those closing across 0/360
  } cases[] = {
      // Aligned rows: two triangles per pair of neighbours, nothing across the seam.
      {"aligned", Steps(10, 15, 1), Steps(10, 15, 1), 1, 1, 10, 0},
      // A hole of exactly three spacings is still bridged; a wider one is not.
      {"hole of 3 spacings", {10, 11, 12, 15, 16}, {10, 11, 12, 15, 16}, 1, 1, 8, 0},
      {"hole of 3.5 spacings", {10, 11, 12, 15.5f, 16.5f}, {10, 11, 12, 15.5f, 16.5f}, 1, 1, 6, 0},
      // Rows all the way round close the seam with two triangles.
      {"full rows", Steps(0, 359, 1), Steps(0, 359, 1), 1, 1, 720, 2},
      {"full rows, different spacings", Steps(0, 358, 2), Steps(0, 359, 1), 2, 1, 540, 2},
      // Either row stopping short by more than three of its spacings: no closing triangle.
      {"both short", Steps(0, 355, 1), Steps(0, 355, 1), 1, 1, 710, 0},
      // (the last southern vertices fan from the northern row's end until the span passes 3)
      {"north short, tested first", Steps(0, 359, 1), Steps(0, 355, 1), 1, 1, 713, 0},
      // The first test passes and the second fails: just one closing triangle.
      {"north starts late", Steps(0, 359, 1), Steps(4, 359, 1), 1, 1, 714, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const TestRow p = MakeRow(1, 10.0f, c.south, c.southSpacing);
    const TestRow r = MakeRow(2, 11.0f, c.north, c.northSpacing);
    Output out(2000);
    StitchRows(StitchVariant::ColourFaceNormals, p.Vertices(), r.Vertices(), out.sink);
    ASSERT_EQ(out.sink.count, c.triangles);
    uint32_t seam = 0;
    const float gap = 3.0f * std::max(c.southSpacing, c.northSpacing);
    for (uint32_t t = 0; t < out.sink.count; ++t) {
      const float span = SpanOf(out, t, p, r);
      if (span > 180.0f)
        ++seam;
      else
        EXPECT_LE(span, gap) << "triangle " << t << " bridges a hole";
      // The first corner is always on the northern row, the second on the southern one.
      EXPECT_EQ(CornerOf(out, 3 * t).tag, 2);
      EXPECT_EQ(CornerOf(out, 3 * t + 1).tag, 1);
    }
    EXPECT_EQ(seam, c.seamTriangles);
    ExpectOutwardWithFaceNormals(out);
  }
}

TEST(RowStitch, TieTakesTheSouthernRowFirst) {
  const TestRow p = MakeRow(1, 0.0f, {10, 11, 12}, 1);
  const TestRow r = MakeRow(2, 1.0f, {10, 11, 12}, 1);
  Output out(10);
  StitchRows(StitchVariant::ColourFaceNormals, p.Vertices(), r.Vertices(), out.sink);
  ASSERT_EQ(out.sink.count, 4u);
  // (R0, P0, P1), (R0, P1, R1), (R1, P1, P2), (R1, P2, R2)
  const Corner expected[12] = {{2, 0}, {1, 0}, {1, 1}, {2, 0}, {1, 1}, {2, 1},
                               {2, 1}, {1, 1}, {1, 2}, {2, 1}, {1, 2}, {2, 2}};
  for (uint32_t v = 0; v < 12; ++v) {
    EXPECT_EQ(CornerOf(out, v).tag, expected[v].tag) << "vertex " << v;
    EXPECT_EQ(CornerOf(out, v).index, expected[v].index) << "vertex " << v;
  }
}

TEST(RowStitch, PoleFansAndTextureSeam) {
  struct Case {
    const char* name;
    bool southPole;  // the single vertex is the southern row's (else the northern row's)
  } cases[] = {{"south pole", true}, {"north pole", false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const TestRow ring = MakeRow(c.southPole ? 2 : 1, c.southPole ? -89.0f : 89.0f, Steps(0, 359, 1), 1);
    const TestRow pole = MakeRow(c.southPole ? 1 : 2, c.southPole ? -90.0f : 90.0f, {0}, 360);
    const TestRow& p = c.southPole ? pole : ring;
    const TestRow& r = c.southPole ? ring : pole;
    Output out(400);
    StitchRows(StitchVariant::Texture, p.Vertices(), r.Vertices(), out.sink);
    // A fan of one triangle per ring vertex, the last one across the seam.
    ASSERT_EQ(out.sink.count, 360u);
    for (uint32_t t = 0; t < out.sink.count; ++t) {
      const bool closing = t == out.sink.count - 1;
      // Corner order: northern vertex, southern vertex, then the advanced (or seam) vertex.
      const uint32_t poleCorner = c.southPole ? 1 : 0;
      for (uint32_t k = 0; k < 3; ++k) {
        const TexCoord coord = out.texCoords[3 * t + k];
        const Vec3 position = out.positions[3 * t + k];
        // Sphere normals: the vertex positions themselves.
        EXPECT_EQ(out.normals[3 * t + k].y, position.y);
        if (k == poleCorner) {
          EXPECT_FLOAT_EQ(coord.t, pole.texCoords[0].t);  // the pole keeps its own t
          // In the merge the pole takes the s of the triangle's third vertex; closing, that of the
          // ring's last vertex.
          const float want = closing ? ring.texCoords.back().s : ring.texCoords[t + 1].s;
          EXPECT_FLOAT_EQ(coord.s, want) << "triangle " << t;
        } else if (closing && std::fabs(position.x) < 1.0f && position.z > 0.0f) {
          EXPECT_FLOAT_EQ(coord.s, 1.0f) << "the ring's first vertex continues past 1 across the seam";
        } else {
          EXPECT_LT(coord.s, 1.0f);
        }
      }
      const Vec3 a = out.positions[3 * t], b = out.positions[3 * t + 1], cc = out.positions[3 * t + 2];
      EXPECT_GT(Dot(CrossOf(Sub(b, a), Sub(cc, a)), a), 0.0f) << "fan triangle " << t << " faces inward";
    }
  }
}

TEST(RowStitch, SeamCoordinatesOfFullRowsLieBetweenOneAndTwo) {
  const TestRow p = MakeRow(1, 20.0f, Steps(0, 358, 2), 2);
  const TestRow r = MakeRow(2, 21.0f, Steps(0, 359, 1), 1);
  Output out(600);
  StitchRows(StitchVariant::Texture, p.Vertices(), r.Vertices(), out.sink);
  ASSERT_EQ(out.sink.count, 540u);
  uint32_t aboveOne = 0;
  for (uint32_t t = 0; t < out.sink.count; ++t) {
    const bool closing = t >= out.sink.count - 2;
    for (uint32_t k = 0; k < 3; ++k) {
      const float s = out.texCoords[3 * t + k].s;
      if (closing && s >= 1.0f) {
        EXPECT_LE(s, 2.0f);
        ++aboveOne;
      } else {
        EXPECT_LT(s, 1.0f) << "triangle " << t;
        // Within the merge, neighbours never jump across the texture.
        EXPECT_GT(s, out.texCoords[3 * t + (k + 1) % 3].s - 0.05f);
      }
    }
  }
  // Two closing triangles, three index-0 corners between them.
  EXPECT_EQ(aboveOne, 3u);
}

TEST(RowStitch, CandidatesWindingInwardAreLeftOut) {
  // Near a pole a candidate joining run ends far apart in longitude can turn clockwise seen from
  // outside: here (R0 at 72, P0 at 19, P1 at 38) on rows at -80 and -79 degrees.
  const TestRow p = MakeRow(1, -80.0f, {19, 38, 57}, 30);
  const TestRow r = MakeRow(2, -79.0f, {72, 90}, 30);
  Output out(10);
  StitchRows(StitchVariant::ColourFaceNormals, p.Vertices(), r.Vertices(), out.sink);
  ASSERT_EQ(out.sink.count, 2u);
  // (R0, P1, P2) and (R0, P2, R1) remain.
  const Corner expected[6] = {{2, 0}, {1, 1}, {1, 2}, {2, 0}, {1, 2}, {2, 1}};
  for (uint32_t v = 0; v < 6; ++v) {
    EXPECT_EQ(CornerOf(out, v).tag, expected[v].tag) << "vertex " << v;
    EXPECT_EQ(CornerOf(out, v).index, expected[v].index) << "vertex " << v;
  }
  ExpectOutwardWithFaceNormals(out);
}

TEST(RowStitch, NothingForEmptyOrSinglePairs) {
  const TestRow one = MakeRow(1, 0.0f, {0}, 360);
  const TestRow other = MakeRow(2, 1.0f, {0}, 360);
  const TestRow ring = MakeRow(2, 1.0f, Steps(0, 10, 1), 1);
  const TestRow none = MakeRow(1, 0.0f, {}, 1);
  Output out(10);
  StitchRows(StitchVariant::ColourSphereNormals, one.Vertices(), other.Vertices(), out.sink);
  StitchRows(StitchVariant::ColourSphereNormals, none.Vertices(), ring.Vertices(), out.sink);
  StitchRows(StitchVariant::ColourSphereNormals, ring.Vertices(), none.Vertices(), out.sink);
  EXPECT_EQ(out.sink.count, 0u);
}

TEST(RowStitchDeathTest, EndsTheProcessAtTheLimit) {
  const TestRow p = MakeRow(1, 0.0f, Steps(10, 15, 1), 1);
  const TestRow r = MakeRow(2, 1.0f, Steps(10, 15, 1), 1);
  // Exactly enough room: no exit.
  Output exact(10);
  StitchRows(StitchVariant::ColourFaceNormals, p.Vertices(), r.Vertices(), exact.sink);
  EXPECT_EQ(exact.sink.count, 10u);
  // One triangle short: the process ends with status 1 before the eleventh would be written.
  EXPECT_EXIT(
      {
        Output tight(9);
        StitchRows(StitchVariant::ColourFaceNormals, p.Vertices(), r.Vertices(), tight.sink);
      },
      ::testing::ExitedWithCode(1), "");
}

}  // namespace
