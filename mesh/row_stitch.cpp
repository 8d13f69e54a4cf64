// Row stitching in its three variants: one zipper merge and one seam closing, differing only in
// the attribute each vertex carries and in the normals written. The variants are instances of one
// template, so the per-triangle work of each has no branches on the variant.
#include "mesh/row_stitch.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <type_traits>

namespace {

// The per-triangle helpers must inline into the merge loop, whatever the compiler's estimate.
#if defined(__GNUC__)
#define REDSPHERE_FORCE_INLINE __attribute__((always_inline))
#else
#define REDSPHERE_FORCE_INLINE
#endif
#define REDSPHERE_INLINE inline REDSPHERE_FORCE_INLINE

// A vertex attribute as one value: a colour travels as its 32-bit word, since copying the four
// bytes of a Colour one by one costs a dozen instructions per corner.
template <StitchVariant V>
using Attribute = std::conditional_t<V == StitchVariant::Texture, TexCoord, uint32_t>;

template <StitchVariant V>
using AttributeArray = std::conditional_t<V == StitchVariant::Texture, const TexCoord*, const Colour*>;

template <StitchVariant V>
REDSPHERE_INLINE AttributeArray<V> AttributesOf(const RowVertices& row) {
  if constexpr (V == StitchVariant::Texture)
    return row.texCoords;
  else
    return row.colours;
}

template <StitchVariant V>
REDSPHERE_INLINE Attribute<V> LoadAttribute(AttributeArray<V> attributes, uint32_t index) {
  if constexpr (V == StitchVariant::Texture) {
    return attributes[index];
  } else {
    uint32_t word;
    std::memcpy(&word, attributes + index, sizeof word);
    return word;
  }
}

// The sink's arrays and counter held in locals while a strip is written.
template <StitchVariant V>
struct Writer {
  Vec3* positions;
  Vec3* normals;
  Colour* colours;      // colour variants
  TexCoord* texCoords;  // texture variant
  uint32_t count;
  uint32_t limit;
  bool full;

  // The corners come by value: the stores below could otherwise alias the row buffers they were
  // read from, and every later read of a corner would go back to memory.
  REDSPHERE_INLINE void Put(const Vec3 a, const Vec3 b, const Vec3 c, Attribute<V> aa, Attribute<V> ab,
                            Attribute<V> ac) {
    // (a - b) x (a - c), unnormalised: GL_NORMALIZE scales it. Written out in scalars: kept as
    // Vec3 values, the compiler packs and unpacks them into vector registers at every step.
    const float ux = a.x - b.x, uy = a.y - b.y, uz = a.z - b.z;
    const float vx = a.x - c.x, vy = a.y - c.y, vz = a.z - c.z;
    const Vec3 normal{uy * vz - uz * vy, uz * vx - ux * vz, ux * vy - uy * vx};
    // Near a pole, where rows are small circles, a candidate joining run ends tens of degrees apart
    // can wind clockwise seen from outside although it is counter-clockwise in longitude and
    // latitude. Such a triangle would face inward (culled, lit and shadowed wrongly), so it is left
    // out. The test does not depend on heights: normal . a is the winding of the three directions
    // from the planet centre, whatever their radii.
    if (!(normal.x * a.x + normal.y * a.y + normal.z * a.z > 0.0f)) return;
    if (count >= limit) {
      full = true;
      return;
    }
    const size_t base = 3 * size_t{count};
    Vec3* position = positions + base;
    Vec3* normalOut = normals + base;
    position[0] = a;
    position[1] = b;
    position[2] = c;
    if constexpr (V == StitchVariant::ColourFaceNormals) {
      normalOut[0] = normal;
      normalOut[1] = normal;
      normalOut[2] = normal;
    } else {
      normalOut[0] = a;
      normalOut[1] = b;
      normalOut[2] = c;
    }
    if constexpr (V == StitchVariant::Texture) {
      texCoords[base] = aa;
      texCoords[base + 1] = ab;
      texCoords[base + 2] = ac;
    } else {
      const uint32_t words[3] = {aa, ab, ac};
      std::memcpy(colours + base, words, sizeof words);
    }
    ++count;
  }
};

// True when a row stops short of the seam by more than three of its spacings.
REDSPHERE_INLINE bool OpenAtSeam(const RowVertices& row) {
  return 360.0f - row.longitudes[row.count - 1] + row.longitudes[0] > 3.0f * row.spacing;
}

// Shell texture coordinate of a closing-phase corner: a pole vertex takes the s of the other row's
// last vertex (poleS), so the texture does not smear across the fan; otherwise the first vertex of
// a row continues past 1.0 instead of jumping back to 0 across the seam.
template <StitchVariant V>
REDSPHERE_INLINE Attribute<V> ClosingAttribute(const RowVertices& row, uint32_t index, float poleS) {
  Attribute<V> value = LoadAttribute<V>(AttributesOf<V>(row), index);
  if constexpr (V == StitchVariant::Texture) {
    if (row.count == 1)
      value.s = poleS;
    else if (index == 0)
      value.s += 1.0f;
  }
  return value;
}

template <StitchVariant V>
REDSPHERE_INLINE float SOf(const RowVertices& row, uint32_t index) {
  if constexpr (V == StitchVariant::Texture)
    return row.texCoords[index].s;
  else
    return 0.0f;
}

// The zipper merge of the two rows by longitude, up to the last vertex of each. Candidates spanning
// more than three spacings of the coarser row bridge a hole in the view and are left out.
template <StitchVariant V>
REDSPHERE_INLINE void MergeRows(const RowVertices& p, const RowVertices& r, Writer<V>& out) {
  const Vec3* pPos = p.positions;
  const Vec3* rPos = r.positions;
  const float* pLon = p.longitudes;
  const float* rLon = r.longitudes;
  const AttributeArray<V> pAttr = AttributesOf<V>(p);
  const AttributeArray<V> rAttr = AttributesOf<V>(r);
  const bool pPole = p.count == 1, rPole = r.count == 1;

  const float gap = std::max(3.0f * p.spacing, 3.0f * r.spacing);
  const uint32_t lastP = p.count - 1, lastR = r.count - 1;
  uint32_t i = 0, j = 0;
  // The candidate (R[j], P[i], P[i+1]), advancing the southern row. Only the northern row can be a
  // single pole vertex here; it takes the s of the triangle's third vertex.
  auto advanceSouth = [&]() REDSPHERE_FORCE_INLINE {
    const float l0 = rLon[j], l1 = pLon[i], l2 = pLon[i + 1];
    if (std::max(std::max(l0, l1), l2) - std::min(l0, l1) <= gap) {
      Attribute<V> a = LoadAttribute<V>(rAttr, j);
      const Attribute<V> c = LoadAttribute<V>(pAttr, i + 1);
      if constexpr (V == StitchVariant::Texture) {
        if (rPole) a.s = c.s;
      }
      out.Put(rPos[j], pPos[i], pPos[i + 1], a, LoadAttribute<V>(pAttr, i), c);
    }
    ++i;
  };
  // The candidate (R[j], P[i], R[j+1]), advancing the northern row.
  auto advanceNorth = [&]() REDSPHERE_FORCE_INLINE {
    const float l0 = rLon[j], l1 = pLon[i], l2 = rLon[j + 1];
    if (std::max(std::max(l0, l1), l2) - std::min(l0, l1) <= gap) {
      Attribute<V> b = LoadAttribute<V>(pAttr, i);
      const Attribute<V> c = LoadAttribute<V>(rAttr, j + 1);
      if constexpr (V == StitchVariant::Texture) {
        if (pPole) b.s = c.s;
      }
      out.Put(rPos[j], pPos[i], rPos[j + 1], LoadAttribute<V>(rAttr, j), b, c);
    }
    ++j;
  };
  // Merge by longitude; a tie takes the southern row first. Once one row is at its last vertex
  // (at once for a pole), the other fans from it. (Longitudes ascend, so the smaller of the
  // current two is the candidate's smallest.)
  while (i < lastP && j < lastR) {
    if (pLon[i + 1] > rLon[j + 1])
      advanceNorth();
    else
      advanceSouth();
  }
  while (i < lastP) advanceSouth();
  while (j < lastR) advanceNorth();
}

// With both rows at their last vertex, the triangles that close the strip across the seam where
// both rows reach round to it.
template <StitchVariant V>
REDSPHERE_INLINE void CloseAtSeam(const RowVertices& p, const RowVertices& r, Writer<V>& out) {
  const Vec3* pPos = p.positions;
  const Vec3* rPos = r.positions;
  const uint32_t i = p.count - 1, j = r.count - 1;
  if (j != 0 && i == 0) {
    if (!OpenAtSeam(r)) {
      const float poleS = SOf<V>(r, j);
      out.Put(rPos[j], pPos[0], rPos[0], ClosingAttribute<V>(r, j, 0.0f), ClosingAttribute<V>(p, 0, poleS),
              ClosingAttribute<V>(r, 0, 0.0f));
    }
  } else if (j == 0 && i != 0) {
    if (!OpenAtSeam(p)) {
      const float poleS = SOf<V>(p, i);
      out.Put(rPos[0], pPos[i], pPos[0], ClosingAttribute<V>(r, 0, poleS), ClosingAttribute<V>(p, i, 0.0f),
              ClosingAttribute<V>(p, 0, 0.0f));
    }
  } else if (p.longitudes[i] > r.longitudes[j]) {
    if (!OpenAtSeam(r)) {
      out.Put(rPos[j], pPos[i], rPos[0], ClosingAttribute<V>(r, j, 0.0f), ClosingAttribute<V>(p, i, 0.0f),
              ClosingAttribute<V>(r, 0, 0.0f));
      if (!OpenAtSeam(p))
        out.Put(rPos[0], pPos[i], pPos[0], ClosingAttribute<V>(r, 0, 0.0f), ClosingAttribute<V>(p, i, 0.0f),
                ClosingAttribute<V>(p, 0, 0.0f));
    }
  } else {
    if (!OpenAtSeam(p)) {
      out.Put(rPos[j], pPos[i], pPos[0], ClosingAttribute<V>(r, j, 0.0f), ClosingAttribute<V>(p, i, 0.0f),
              ClosingAttribute<V>(p, 0, 0.0f));
      if (!OpenAtSeam(r))
        out.Put(rPos[j], pPos[0], rPos[0], ClosingAttribute<V>(r, j, 0.0f), ClosingAttribute<V>(p, 0, 0.0f),
                ClosingAttribute<V>(r, 0, 0.0f));
    }
  }
}

// The strip between the southern row p and the northern row r, written into the sink.
template <StitchVariant V>
void Stitch(const RowVertices& p, const RowVertices& r, TriangleSink& sink) {
  Writer<V> out{sink.positions, sink.normals, sink.colours, sink.texCoords, sink.count, sink.limit, sink.full};
  MergeRows<V>(p, r, out);
  CloseAtSeam<V>(p, r, out);
  sink.count = out.count;
  sink.full = out.full;
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
