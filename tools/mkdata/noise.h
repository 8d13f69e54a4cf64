// Deterministic gradient noise for the synthesized relief, the colour detail and the cloud detail:
// a value depends only on the seed and the position, so every run, thread split and level agrees.
#pragma once

#include <cstdint>

#include "tools/mkdata/sphere_geometry.h"

// Gradient noise of a 3D point, in about [-1, 1], zero on the integer lattice.
double GradientNoise(uint32_t seed, double x, double y, double z);

// Fractal sum of `octaves` layers of noise over the sphere: the first has the wavelength
// `wavelengthKm` on the surface, each further one half the wavelength and `gain` times the
// amplitude. Normalised by the amplitudes, so the result stays in [-1, 1] (mostly within +-0.5).
double SphereFbm(uint32_t seed, const Vec3d& unit, double wavelengthKm, int octaves, double gain);
