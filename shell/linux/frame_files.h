// The pictures of --frames: the current frame, as the back end read it, written as a numbered PNG
// file (frame-00001.png, ...), for stills and for videos made from the sequence.
#pragma once

#include <cstdint>
#include <string>

// "frame-00001.png" for number 1: five digits, more once the count needs them.
std::string FrameFileName(uint32_t number);

// Writes RGB pixels given bottom row first (as OpenGL reads them) as an 8-bit RGB PNG, top row
// first. False, with the reason in *why, when the file cannot be written.
bool WritePngBottomUp(const std::string& path, int32_t width, int32_t height, const uint8_t* rgb, std::string* why);

// Writes a width x height frame read back by the back end (bottom-up rows of blue, green, red,
// each padded to 4 bytes) to path as an 8-bit RGB PNG, top row first. False, with the reason in
// *why, when the file cannot be written.
bool WriteFramePng(const std::string& path, const uint8_t* bgr, int32_t width, int32_t height, std::string* why);
