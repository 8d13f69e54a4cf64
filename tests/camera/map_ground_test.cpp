// The ground the tour keeps clear of, read from a map's node rows: row 0 is the south pole, a
// row's last node neighbours its first, and the poles' single nodes close the grid.
#include "camera/map_ground.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(MapGround, HighestOfTheFourNodesAround) {
  // Level 1: 181 rows a degree apart, four nodes 90 degrees apart in each row but the poles'.
  // Node j of row i is 10 i + j metres high on an areoid of 100 m.
  static MapData map{};
  std::vector<NodeRow> rows(181);
  std::vector<int16_t> topo, areoid;
  topo.reserve(181 * 4), areoid.reserve(181 * 4);
  for (uint32_t i = 0; i <= 180; ++i) {
    const uint32_t count = (i == 0 || i == 180) ? 1 : 4;
    for (uint32_t j = 0; j < count; ++j) topo.push_back(static_cast<int16_t>(10 * i + j)), areoid.push_back(100);
  }
  for (uint32_t i = 0, first = 0; i <= 180; first += rows[i].count, ++i) {
    rows[i].count = (i == 0 || i == 180) ? 1 : 4;
    rows[i].lonStep = 360.0 / rows[i].count;
    rows[i].topo = topo.data() + first;
    rows[i].areoid = areoid.data() + first;
  }
  map.lastRow = 180, map.rowSpacing = 1.0f, map.ppd = 1, map.rows = rows.data();
  const MapGround ground{&map, 2.0f};

  struct Case {
    float latitude, longitude, metres;
  } cases[] = {
      {0.0f, 90.0f, 100 + 2 * 912},    // rows 90 and 91, nodes 1 and 2
      {0.5f, 135.0f, 100 + 2 * 912},   // between the same four
      {0.0f, 350.0f, 100 + 2 * 913},   // the last node and the first of rows 90 and 91
      {0.0f, -10.0f, 100 + 2 * 913},   // the same place given west of zero
      {-90.0f, 0.0f, 100 + 2 * 11},    // the south pole's node and row 1
      {90.0f, 200.0f, 100 + 2 * 1800}, // the north pole's node alone
      {-45.2f, 270.0f, 100 + 2 * 453}, // rows 44 and 45, nodes 3 and 0
  };
  for (const Case& c : cases)
    EXPECT_FLOAT_EQ(MapGroundHeight(&ground, c.latitude, c.longitude), c.metres) << c.latitude << " " << c.longitude;
}

}  // namespace
