// PNG pictures of the data layers for the --preview option: 8-bit RGB, written atomically.
#pragma once

#include <cstdint>
#include <string>

// Writes width x height RGB pixels (row by row from the top); false with a one-line message.
bool WritePngFile(const std::string& path, uint32_t width, uint32_t height, const uint8_t* rgb, std::string& error);
