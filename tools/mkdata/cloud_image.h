// The cloud images (clouds8, clouds16, clouds32: 2048, 4096 and 8192 texels wide) from a grey
// cloud cover, synthesized (cloud_cover.h) or imported by the user (--cloud-map): white texels
// whose alpha is the cloud density, contrast-stretched so clear sky is fully transparent,
// resampled with fractal detail so the wide images stay sharp.
#pragma once

#include <cstdint>
#include <string>

#include "mapdata/map_formats.h"
#include "tools/mkdata/source_image.h"

struct CloudSource {
  SourceImage grey;    // one channel, equirectangular like an imported colour map
  double clearLevel;   // grey level at and below which the sky is clear (alpha 0)
  double denseLevel;   // grey level at and above which the cloud is opaque (alpha 255)
};

// An imported cloud picture (grey or colour) as a cloud source.
CloudSource MakeCloudSource(const SourceImage& picture);
// Sets the grey levels of the stretch to percentiles of the picture, by area: at and below the
// clearShare one the sky is clear, from the denseShare one on the cloud is opaque.
void StretchCloudLevels(CloudSource& source, double clearShare, double denseShare);
// The stretch of an imported picture: 40 % of the sky clear, the densest 2 % opaque.
constexpr double kImportedClearShare = 0.40, kImportedDenseShare = 0.98;

// One texel row of a cloud image of the given width (height width / 2): row 0 at the south pole,
// column 0 at longitude 0, as the shell's texture coordinates expect.
void CloudTexelRow(const CloudSource& source, uint32_t seed, uint32_t width, uint32_t row, Colour* out);
