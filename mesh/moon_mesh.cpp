// An icosahedron divided four times (2,562 vertices, 5,120 triangles): no seam and no pole, so
// the averaged normals are smooth everywhere. Craters are bowls with raised rims, more small ones
// than large, as on Phobos and Deimos; their floors are a little darker than the plains.
#include "mesh/moon_mesh.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <utility>

namespace {

constexpr int kDivisions = 4;
constexpr int kCraterCount = 90;
constexpr float kPlainGrey = 0.36f;   // the moons are dark: geometric albedo about 0.07
constexpr float kFloorDarkening = 0.4f;

struct Crater {
  Vec3 centre;   // unit
  float radius;  // angular, radians
};

// A small linear congruential generator: the same craters on every platform.
struct Random {
  uint32_t state;
  float Next() {
    state = state * 1664525u + 1013904223u;
    return static_cast<float>(state >> 8) / 16777216.0f;
  }
};

std::vector<Crater> MakeCraters() {
  Random random{20260928u};
  std::vector<Crater> craters;
  for (int i = 0; i < kCraterCount; ++i) {
    const float z = 2.0f * random.Next() - 1.0f, angle = 6.2831853f * random.Next();
    const float ring = std::sqrt(std::max(0.0f, 1.0f - z * z));
    // Sizes fall off as a power law: many pits, a few large craters.
    const float size = 0.05f + 0.4f * std::pow(random.Next(), 3.0f);
    craters.push_back(Crater{Vec3{ring * std::cos(angle), z, ring * std::sin(angle)}, size});
  }
  return craters;
}

// Height change and floor shade at a unit direction: a bowl inside the rim, a raised rim fading
// out to one and a half radii.
void CraterRelief(const std::vector<Crater>& craters, const Vec3& direction, float* height, float* floor) {
  *height = 0.0f;
  *floor = 0.0f;
  for (const Crater& crater : craters) {
    const float angle = std::acos(std::clamp(Dot(direction, crater.centre), -1.0f, 1.0f));
    const float x = angle / crater.radius, depth = 0.2f * crater.radius;
    if (x < 1.0f) {
      *height += depth * (x * x - 1.0f) + 0.25f * depth;
      *floor = std::max(*floor, 1.0f - x);
    } else if (x < 1.5f) {
      const float t = (1.5f - x) / 0.5f;
      *height += 0.25f * depth * t * t;
    }
  }
}

struct Builder {
  MoonMesh mesh;
  std::map<std::pair<uint16_t, uint16_t>, uint16_t> midpoints;

  uint16_t Add(const Vec3& v) {
    mesh.positions.push_back(Normalized(v));
    return static_cast<uint16_t>(mesh.positions.size() - 1);
  }
  uint16_t Midpoint(uint16_t a, uint16_t b) {
    const auto key = std::minmax(a, b);
    const auto found = midpoints.find(key);
    if (found != midpoints.end()) return found->second;
    const uint16_t made = Add(::Add(mesh.positions[a], mesh.positions[b]));
    midpoints.emplace(key, made);
    return made;
  }
};

void StartIcosahedron(Builder& b) {
  const float t = (1.0f + std::sqrt(5.0f)) * 0.5f;
  const Vec3 corners[12] = {{-1, t, 0}, {1, t, 0}, {-1, -t, 0}, {1, -t, 0}, {0, -1, t}, {0, 1, t},
                            {0, -1, -t}, {0, 1, -t}, {t, 0, -1}, {t, 0, 1}, {-t, 0, -1}, {-t, 0, 1}};
  for (const Vec3& corner : corners) b.Add(corner);
  b.mesh.indices = {0, 11, 5, 0, 5, 1, 0, 1, 7, 0, 7, 10, 0, 10, 11, 1, 5, 9, 5, 11, 4, 11, 10, 2, 10, 7, 6, 7, 1, 8,
                    3, 9, 4, 3, 4, 2, 3, 2, 6, 3, 6, 8, 3, 8, 9, 4, 9, 5, 2, 4, 11, 6, 2, 10, 8, 6, 7, 9, 8, 1};
}

void Divide(Builder& b) {
  const std::vector<uint16_t> old = b.mesh.indices;
  b.mesh.indices.clear();
  b.midpoints.clear();
  for (size_t i = 0; i < old.size(); i += 3) {
    const uint16_t a = old[i], c = old[i + 1], e = old[i + 2];
    const uint16_t ac = b.Midpoint(a, c), ce = b.Midpoint(c, e), ea = b.Midpoint(e, a);
    b.mesh.indices.insert(b.mesh.indices.end(), {a, ac, ea, ac, c, ce, ea, ce, e, ac, ce, ea});
  }
}

void AverageNormals(MoonMesh& mesh) {
  mesh.normals.assign(mesh.positions.size(), Vec3{0.0f, 0.0f, 0.0f});
  for (size_t i = 0; i < mesh.indices.size(); i += 3) {
    const uint16_t a = mesh.indices[i], b = mesh.indices[i + 1], c = mesh.indices[i + 2];
    const Vec3 face = Cross(Sub(mesh.positions[b], mesh.positions[a]), Sub(mesh.positions[c], mesh.positions[a]));
    for (const uint16_t v : {a, b, c}) mesh.normals[v] = Add(mesh.normals[v], face);
  }
  for (Vec3& normal : mesh.normals) normal = Normalized(normal);
}

}  // namespace

MoonMesh MakeMoonMesh() {
  Builder b;
  StartIcosahedron(b);
  for (int i = 0; i < kDivisions; ++i) Divide(b);
  MoonMesh& mesh = b.mesh;
  const std::vector<Crater> craters = MakeCraters();
  for (Vec3& position : mesh.positions) {
    float height = 0.0f, floor = 0.0f;
    CraterRelief(craters, position, &height, &floor);
    const uint8_t grey = static_cast<uint8_t>(255.0f * kPlainGrey * (1.0f - kFloorDarkening * floor));
    mesh.colours.insert(mesh.colours.end(), {grey, grey, static_cast<uint8_t>(grey * 0.95f), 255});
    position = Scaled(position, 1.0f + height);
  }
  AverageNormals(mesh);
  return mesh;
}
