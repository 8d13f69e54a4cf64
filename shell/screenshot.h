// Screenshots of the current frame: the 24-bit bitmap layout shared by the clipboard image and
// the numbered files, and the file itself. The clipboard and the desktop folder are the platform's.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr size_t kBmpFileHeaderSize = 14;
constexpr size_t kBmpInfoHeaderSize = 40;

// Bytes per pixel row: width * 3 padded up to a multiple of 4, as glReadPixels writes with the
// default pack alignment.
uint32_t BmpRowSize(int32_t width);
uint32_t BmpImageSize(int32_t width, int32_t height);
// The 40-byte BITMAPINFOHEADER of a bottom-up 24-bit image (the clipboard's CF_DIB header).
void WriteBmpInfoHeader(uint8_t out[kBmpInfoHeaderSize], int32_t width, int32_t height);
// The 14-byte file header in front of it.
void WriteBmpFileHeader(uint8_t out[kBmpFileHeaderSize], uint32_t imageSize);

// "Screenshot %02u.bmp" for the run's next number (01, 02, ... 100), then counts on. Window thread.
void NextScreenshotName(char* out, size_t size);
// Restarts the numbering at 01 (a new run).
void ResetScreenshotCounter();

// Writes a frame read back by the back end (bottom-up rows of blue, green, red, each padded to 4
// bytes) as a bitmap file at path; false when the file cannot be written.
bool SaveScreenshotFile(const char* path, const uint8_t* bgr, int32_t width, int32_t height);
// Saves the frame as the next numbered file in folder (the desktop). Failures are silent, but a
// number once formatted is used up.
void SaveNumberedScreenshot(const char* folder, const uint8_t* bgr, int32_t width, int32_t height);
