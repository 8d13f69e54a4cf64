// Textures and star arrays made from the loaded map data at GL set-up; each image is released
// as soon as its texture exists, so the large images are never held twice.
#pragma once

#include <GL/glew.h>

#include <cstdint>

#include "mapdata/map_data.h"
#include "mapdata/map_formats.h"
#include "mapdata/sky_sphere.h"  // kSkyRadius, StarPosition

// Textures and star arrays; written by the window thread in InitRenderer and ShutdownRenderer,
// read by the sky, surface and shadow passes on the same thread. Names and pointers are 0 until
// made.
struct SceneTextures {
  GLuint SeaTexture;
  GLuint SunTexture;
  GLuint CloudTexture;  // only when the run draws the cloud layer
  float* starPositions;       // starCount x (x, y, z) on the sky sphere of radius 10
  Colour* starColours;        // starCount colours
  uint32_t brightCount;       // drawn as 2-pixel points, first
  uint32_t dimCount;          // then 1-pixel points
};

extern SceneTextures gTextures;

// Highest mipmap level kept for an image width: the smallest level used is 256 x 128 for the
// standard widths 2048, 4096 and 8192.
int32_t MaxMipLevel(uint32_t width);

// Sea texture, then sun texture, then star arrays, then (when the run draws clouds and a cloud
// image was loaded) the cloud texture, from the loaded map; releases each of its images once
// uploaded. Ends the process (status 1) when the star arrays cannot be allocated.
void BuildSceneTextures(MapData& map, bool clouds);
// Deletes the textures and releases the star arrays; harmless for what was never made.
void DeleteSceneTextures();

