// The colour grade of the Viking colour mosaic. The mosaic is dim and pinkish-grey with bluish dark
// regions; graded, the present-day globe reads as Mars does to the eye (butterscotch plains,
// dark brown Syrtis and Acidalium, white ice and frost), and its saturation is what the program's
// terraformed colours take their green tint from.
#pragma once

#include <cstdint>

#include "tools/mkdata/source_image.h"

// One sRGB colour graded; the same colour always gives the same result.
void GradeMarsColour(const uint8_t in[3], uint8_t out[3]);

// Grades every pixel of an RGB picture in place (grey pictures are left alone).
void GradeMarsPicture(SourceImage& picture);
