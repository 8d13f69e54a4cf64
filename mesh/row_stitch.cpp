// Row stitching in its three variants: one zipper merge and one seam closing, differing only in
// the attribute each vertex carries and in the normals written.
#include "mesh/row_stitch.h"

#include <algorithm>
#include <cstdlib>

namespace {

// One vertex of a triangle: a row and an index into it.
struct Corner {
  const RowVertices* row;
  uint32_t index;
};

// Shell texture coordinate of a corner. A pole vertex takes the s of its neighbour (poleS), so
// the texture does not smear across the fan; in the seam-closing triangles the first vertex of a
// row continues past 1.0 instead of jumping back to 0.
inline TexCoord ShellCoord(Corner v, bool closing, float poleS) {
  TexCoord coord = v.row->texCoords[v.index];
  if (v.row->count == 1)
    coord.s = poleS;
  else if (closing && v.index == 0)
    coord.s += 1.0f;
  return coord;
}

inline Vec3 Difference(const Vec3& a, const Vec3& b) { return Vec3{a.x - b.x, a.y - b.y, a.z - b.z}; }

inline Vec3 Cross(const Vec3& u, const Vec3& v) {
  return Vec3{u.y * v.z - u.z * v.y, u.z * v.x - u.x * v.z, u.x * v.y - u.y * v.x};
}

template <StitchVariant V>
inline void Emit(TriangleSink& sink, Corner a, Corner b, Corner c, bool closing, float poleS) {
  const Vec3 pa = a.row->positions[a.index];
  const Vec3 pb = b.row->positions[b.index];
  const Vec3 pc = c.row->positions[c.index];
  // (a - b) x (a - c), unnormalised: GL_NORMALIZE scales it.
  const Vec3 normal = Cross(Difference(pa, pb), Difference(pa, pc));
  // Near a pole, where rows are small circles, a candidate joining run ends tens of degrees apart
  // can wind clockwise seen from outside although it is counter-clockwise in longitude and
  // latitude. Such a triangle would face inward (culled, lit and shadowed wrongly), so it is left
  // out. The test does not depend on heights: normal . a is the winding of the three directions
  // from the planet centre, whatever their radii.
  if (!(normal.x * pa.x + normal.y * pa.y + normal.z * pa.z > 0.0f)) return;
  if (sink.count >= sink.limit) FailMesh();
  const uint32_t base = 3 * sink.count;
  sink.positions[base] = pa;
  sink.positions[base + 1] = pb;
  sink.positions[base + 2] = pc;
  if constexpr (V == StitchVariant::ColourFaceNormals) {
    sink.normals[base] = normal;
    sink.normals[base + 1] = normal;
    sink.normals[base + 2] = normal;
  } else {
    sink.normals[base] = pa;
    sink.normals[base + 1] = pb;
    sink.normals[base + 2] = pc;
  }
  if constexpr (V == StitchVariant::Texture) {
    sink.texCoords[base] = ShellCoord(a, closing, poleS);
    sink.texCoords[base + 1] = ShellCoord(b, closing, poleS);
    sink.texCoords[base + 2] = ShellCoord(c, closing, poleS);
  } else {
    sink.colours[base] = a.row->colours[a.index];
    sink.colours[base + 1] = b.row->colours[b.index];
    sink.colours[base + 2] = c.row->colours[c.index];
  }
  ++sink.count;
}

template <StitchVariant V>
inline float SOf(Corner v) {
  if constexpr (V == StitchVariant::Texture)
    return v.row->texCoords[v.index].s;
  else
    return 0.0f;
}

// True when a row stops short of the seam by more than three of its spacings.
inline bool OpenAtSeam(const RowVertices& row) {
  return 360.0f - row.longitudes[row.count - 1] + row.longitudes[0] > 3.0f * row.spacing;
}

template <StitchVariant V>
void Stitch(const RowVertices& p, const RowVertices& r, TriangleSink& sink) {
  // Candidates spanning more than three spacings of the coarser row bridge a hole in the view.
  const float gap = std::max(3.0f * p.spacing, 3.0f * r.spacing);
  const uint32_t lastP = p.count - 1, lastR = r.count - 1;
  uint32_t i = 0, j = 0;
  for (;;) {
    bool advanceP;
    if (i < lastP && j < lastR)
      advanceP = !(p.longitudes[i + 1] > r.longitudes[j + 1]);  // a tie takes the southern row first
    else if (i < lastP)
      advanceP = true;
    else if (j < lastR)
      advanceP = false;
    else
      break;
    const Corner third = advanceP ? Corner{&p, i + 1} : Corner{&r, j + 1};
    const float l0 = r.longitudes[j], l1 = p.longitudes[i], l2 = third.row->longitudes[third.index];
    const float span = std::max({l0, l1, l2}) - std::min({l0, l1, l2});
    if (span <= gap) Emit<V>(sink, Corner{&r, j}, Corner{&p, i}, third, false, SOf<V>(third));
    if (advanceP)
      ++i;
    else
      ++j;
  }

  // Both rows are at their last vertex; close across the seam where both reach round to it.
  if (j != 0 && i == 0) {
    if (OpenAtSeam(r)) return;
    Emit<V>(sink, Corner{&r, j}, Corner{&p, 0}, Corner{&r, 0}, true, SOf<V>(Corner{&r, j}));
  } else if (j == 0 && i != 0) {
    if (OpenAtSeam(p)) return;
    Emit<V>(sink, Corner{&r, 0}, Corner{&p, i}, Corner{&p, 0}, true, SOf<V>(Corner{&p, i}));
  } else if (p.longitudes[i] > r.longitudes[j]) {
    if (OpenAtSeam(r)) return;
    Emit<V>(sink, Corner{&r, j}, Corner{&p, i}, Corner{&r, 0}, true, 0.0f);
    if (OpenAtSeam(p)) return;
    Emit<V>(sink, Corner{&r, 0}, Corner{&p, i}, Corner{&p, 0}, true, 0.0f);
  } else {
    if (OpenAtSeam(p)) return;
    Emit<V>(sink, Corner{&r, j}, Corner{&p, i}, Corner{&p, 0}, true, 0.0f);
    if (OpenAtSeam(r)) return;
    Emit<V>(sink, Corner{&r, j}, Corner{&p, 0}, Corner{&r, 0}, true, 0.0f);
  }
}

}  // namespace

void FailMesh() { std::_Exit(1); }

void StitchRows(StitchVariant variant, const RowVertices& previous, const RowVertices& current, TriangleSink& sink) {
  if (previous.count == 0 || current.count == 0 || (previous.count == 1 && current.count == 1)) return;
  switch (variant) {
    case StitchVariant::ColourFaceNormals:
      Stitch<StitchVariant::ColourFaceNormals>(previous, current, sink);
      break;
    case StitchVariant::Texture:
      Stitch<StitchVariant::Texture>(previous, current, sink);
      break;
    case StitchVariant::ColourSphereNormals:
      Stitch<StitchVariant::ColourSphereNormals>(previous, current, sink);
      break;
  }
}
