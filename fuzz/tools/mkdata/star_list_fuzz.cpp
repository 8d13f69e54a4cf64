// Fuzz target of the data builder's star list reader: the fuzzer's bytes are the list. A list is
// either refused with one line, or gives stars within the sky's ranges, every one of which becomes
// a record of the bright or the dim star file at a place on the sky sphere.
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz/support/fuzz_support.h"
#include "tests/support/temp_folder.h"
#include "tests/support/test_data.h"
#include "tools/mkdata/star_catalogue.h"

namespace {

struct Harness {
  TempFolder root;
  std::string list;
};

Harness& TheHarness() {
  static Harness harness;  // its folder goes when libFuzzer ends the run
  if (harness.list.empty()) harness.list = (harness.root / "stars.txt").string();
  return harness;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Harness& harness = TheHarness();
  FuzzCheck(WriteFileBytes(harness.list, data, size), "the harness can write the list");
  const int filesBefore = OpenFileCount();
  std::vector<CatalogueStar> stars;
  std::string error;
  const bool read = ReadStarList(harness.list, stars, error);
  FuzzCheck(OpenFileCount() == filesBefore, "the reader closes the list");
  if (!read) {
    FuzzCheck(!error.empty() && error.find('\n') == std::string::npos, "a refused list says why in one line");
    return 0;
  }
  FuzzCheck(!stars.empty(), "a list gives stars");
  for (const CatalogueStar& star : stars)
    FuzzCheck(std::fabs(star.decDeg) <= 90.0 && star.raHours >= 0.0 && star.raHours < 24.0 &&
                  std::isfinite(star.magnitude) && std::isfinite(star.colourIndex),
              "a star lies on the sky with a finite magnitude and colour");

  std::vector<StarRecord> bright, dim;
  MakeStarRecords(stars, bright, dim);
  FuzzCheck(bright.size() + dim.size() == stars.size(), "every star goes to one of the star files");
  for (const std::vector<StarRecord>* records : {&bright, &dim})
    for (const StarRecord& record : *records)
      FuzzCheck(std::fabs(record.elevation) <= 90.0f && record.azimuth >= 0.0f && record.azimuth <= 360.0f &&
                    record.colour.a > 0,
                "a star record has a place on the sky sphere and shows");
  return 0;
}
