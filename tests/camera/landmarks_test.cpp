// The landmark table: the built-in one against the MOLA relief the project carries, and a hand-
// edited table's mistakes named by line.
#include "camera/landmarks.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "math/vector_math.h"
#include "tests/support/test_data.h"

namespace {

// The MOLA grid of data/sources: 720 lines of 1440 big-endian int16 metres, line 0 at 90 N,
// sample 0 at 0 E, 4 samples a degree.
struct MolaGrid {
  std::vector<uint8_t> bytes;
  int32_t At(int32_t line, int32_t sample) const {
    const size_t i = 2 * (static_cast<size_t>(line) * 1440 + static_cast<size_t>((sample % 1440 + 1440) % 1440));
    return static_cast<int16_t>(bytes[i] << 8 | bytes[i + 1]);
  }
  int32_t Under(float latitude, float longitude) const {
    const int32_t line = std::min(719, static_cast<int32_t>((90.0f - latitude) * 4.0f));
    return At(line, static_cast<int32_t>(longitude * 4.0f));
  }
  // The highest and lowest samples whose centres lie within `degrees` of arc of a point.
  void Around(float latitude, float longitude, float degrees, int32_t& highest, int32_t& lowest) const {
    highest = -100000, lowest = 100000;
    const double lat0 = latitude * kDegToRad, lon0 = longitude * kDegToRad;
    for (int32_t line = 0; line < 720; ++line) {
      const double lat = (90.0 - (line + 0.5) / 4.0) * kDegToRad;
      if (std::fabs(lat - lat0) > degrees * kDegToRad) continue;
      for (int32_t sample = 0; sample < 1440; ++sample) {
        const double lon = (sample + 0.5) / 4.0 * kDegToRad;
        const double c = std::sin(lat0) * std::sin(lat) + std::cos(lat0) * std::cos(lat) * std::cos(lon - lon0);
        if (std::acos(std::min(1.0, c)) > degrees * kDegToRad) continue;
        highest = std::max(highest, At(line, sample));
        lowest = std::min(lowest, At(line, sample));
      }
    }
  }
};

const Landmark* Find(const LandmarkTable& table, const char* name) {
  for (int32_t i = 0; i < table.count; ++i)
    if (std::strcmp(table.entries[i].name, name) == 0) return &table.entries[i];
  return nullptr;
}

TEST(Landmarks, BuiltInTableLiesWhereMolaHasItsPlaces) {
  static LandmarkTable table;
  char error[kLandmarkErrorSize] = "";
  ASSERT_TRUE(LoadBuiltInLandmarks(table, error, sizeof(error))) << error;
  MolaGrid mola{ReadFileBytes(std::string(REDSPHERE_SOURCES_DIR) + "/mola/MEGT90N000CB.IMG")};
  ASSERT_EQ(mola.bytes.size(), 720u * 1440u * 2u);
  int32_t planetHighest = -100000;
  for (int32_t line = 0; line < 720; ++line)
    for (int32_t sample = 0; sample < 1440; ++sample) planetHighest = std::max(planetHighest, mola.At(line, sample));

  // A summit within `radius` degrees at least `summit` metres high, or the ground at the entry
  // itself at most `floor` metres: a swapped sign or an east longitude given as west fails.
  struct Case {
    const char* name;
    float radius;
    int32_t summit;  // the highest sample near the entry is at least this high (0: not checked)
    int32_t floor;   // the sample at the entry is at most this high (0: not checked)
  } cases[] = {
      {"Olympus Mons", 2, planetHighest, 0}, {"Arsia Mons", 2, 17000, 0},   {"Pavonis Mons", 2, 13500, 0},
      {"Ascraeus Mons", 2, 18000, 0},        {"Elysium Mons", 2, 13000, 0}, {"Alba Mons", 3, 6000, 0},
      {"Hellas Planitia", 0, 0, -5000},      {"Argyre Planitia", 0, 0, -2000}, {"Isidis Planitia", 0, 0, -3000},
      {"Valles Marineris", 0, 0, -3000},     {"Planum Australe", 1, 3000, 0}, {"Curiosity", 0, 0, -4000},
      {"Viking 1", 0, 0, -3000},             {"Viking 2", 0, 0, -4000},     {"Mars Pathfinder", 0, 0, -3000},
      {"Zhurong", 0, 0, -3500},              {"Perseverance", 0, 0, -2000}, {"Spirit", 0, 0, -1500},
  };
  for (const Case& c : cases) {
    const Landmark* landmark = Find(table, c.name);
    ASSERT_NE(landmark, nullptr) << c.name;
    int32_t highest = 0, lowest = 0;
    mola.Around(landmark->latitude, landmark->longitude, c.radius, highest, lowest);
    if (c.summit != 0) {
      EXPECT_GE(highest, c.summit) << c.name;
    }
    if (c.floor != 0) {
      EXPECT_LE(mola.Under(landmark->latitude, landmark->longitude), c.floor) << c.name;
    }
  }
  // Every place the tour names, with a caption the overlay font can draw.
  for (const char* name : {"Noctis Labyrinthus", "Syrtis Major Planum", "Planum Boreum", "Korolev", "Opportunity"})
    EXPECT_NE(Find(table, name), nullptr) << name;
  for (int32_t i = 0; i < table.count; ++i) {
    char codes[kMaxCaptionCharacters + 1];
    const Landmark& l = table.entries[i];
    EXPECT_TRUE(EncodeCodePage1252(l.caption, std::strlen(l.caption), codes, sizeof(codes))) << l.name;
  }
}

TEST(Landmarks, EditedTableReadOrItsFirstBadLineNamed) {
  const std::string header = "name,latitude,longitude,size_km,caption\n";
  const std::string gale = "Gale,-4.59,137.44,154,Curiosity \xe2\x80\x93 rover, landed 2012\r\n";
  const std::string jezero = " Jezero , 18.44 ,77.45,45,  Perseverance  \n";
  static LandmarkTable table;
  char error[kLandmarkErrorSize] = "";

  const std::string good = "\xef\xbb\xbf" + header + gale + jezero;
  ASSERT_TRUE(ParseLandmarks(good.data(), good.size(), table, error, sizeof(error))) << error;
  ASSERT_EQ(table.count, 2);
  EXPECT_STREQ(table.entries[0].name, "Gale");
  EXPECT_FLOAT_EQ(table.entries[0].latitude, -4.59f);
  EXPECT_FLOAT_EQ(table.entries[0].longitude, 137.44f);
  EXPECT_FLOAT_EQ(table.entries[0].sizeKm, 154.0f);
  EXPECT_STREQ(table.entries[0].caption, "Curiosity \xe2\x80\x93 rover, landed 2012");
  EXPECT_STREQ(table.entries[1].name, "Jezero");
  EXPECT_STREQ(table.entries[1].caption, "Perseverance");
  char codes[64];
  ASSERT_TRUE(EncodeCodePage1252(table.entries[0].caption, std::strlen(table.entries[0].caption), codes, sizeof(codes)));
  EXPECT_STREQ(codes, "Curiosity \x96 rover, landed 2012");  // the en dash is code 150

  std::string many = header;
  for (int i = 0; i <= kMaxLandmarks; ++i) many.append("P").append(std::to_string(i)).append(",0,0,10,c\n");
  struct Case {
    std::string text;
    const char* says;
  } cases[] = {
      {"name,lat,lon,size,caption\n" + gale + jezero, "line 1: the header"},
      {header + gale + "Jezero,18.44,77.45,45\n", "line 3: fewer than five fields"},
      {header + gale + "\n" + jezero, "line 3: the line is empty"},
      {header + gale + "X,90.5,10,5,c\n", "line 3: latitude 90.5 is outside"},
      {header + gale + "X,10,360,5,c\n", "line 3: longitude 360 is outside"},
      {header + gale + "X,10,-1,5,c\n", "line 3: longitude -1 is outside"},
      {header + gale + "X,1e3,10,5,c\n", "line 3: latitude \"1e3\" is not a decimal"},
      {header + gale + "X,nan,10,5,c\n", "line 3: latitude \"nan\" is not a decimal"},
      {header + gale + "X,10,,5,c\n", "line 3: longitude \"\" is not a decimal"},
      {header + gale + "X,10,10,0.5,c\n", "line 3: size_km 0.5 is outside"},
      {header + gale + ",10,10,5,c\n", "line 3: the name is empty"},
      {header + gale + "X,10,10,5,\n", "line 3: the caption is empty"},
      {header + gale + "X,10,10,5,north \xe2\x86\x92 south\n", "line 3: the caption holds a character"},
      {header + gale + "X,10,10,5,bad \xff byte\n", "line 3: the caption holds a character"},
      {header + gale + "X,10,10,5,tab\there\n", "line 3: the caption holds a character"},
      {header + gale + "X,10,10,5,na\xc3\xaf\xc3\xbf\n", "line 3: the caption holds a character"},  // no glyph for y-umlaut
      {header + gale + "X,10,10,5," + std::string(kMaxCaptionCharacters + 1, 'c') + "\n",
       "line 3: the caption has 101 characters"},
      {header + gale + "Gale,1,1,5,c\n", "line 3: \"Gale\" is named twice"},
      {header + gale, "line 3: fewer than 2 landmarks"},
      {many, "line 66: more than 64 landmarks"},
  };
  for (const Case& c : cases) {
    std::strcpy(error, "");
    EXPECT_FALSE(ParseLandmarks(c.text.data(), c.text.size(), table, error, sizeof(error))) << c.says;
    EXPECT_EQ(std::string(error).rfind(c.says, 0), 0u) << "got: " << error;
  }
}

}  // namespace
