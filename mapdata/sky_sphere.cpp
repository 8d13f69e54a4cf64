// The star arrays of the sky passes, made from the loaded star list.
#include "mapdata/sky_sphere.h"

#include <cstdlib>

#include "platform/failure_report.h"

StarArrays MakeStarArrays(const StarRecord* stars, uint32_t count) {
  StarArrays arrays{static_cast<float*>(std::malloc(size_t{count} * 3 * sizeof(float) + 1)),
                    static_cast<Colour*>(std::malloc(size_t{count} * sizeof(Colour) + 1))};
  if (!arrays.positions || !arrays.colours) FailSetUp("no memory for the arrays of %u stars", count);
  for (uint32_t i = 0; i < count; ++i) {
    StarPosition(stars[i], arrays.positions + 3 * size_t{i});
    arrays.colours[i] = stars[i].colour;
  }
  return arrays;
}
