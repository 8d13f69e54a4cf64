// Bitmap headers and screenshot files.
#include "shell/screenshot.h"

#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/atomic_file.h"

namespace {

// Run-wide counter of the numbered files; window thread only.
uint32_t gScreenshotCounter = 1;

void Put16(uint8_t* out, uint32_t value) {
  out[0] = static_cast<uint8_t>(value);
  out[1] = static_cast<uint8_t>(value >> 8);
}

void Put32(uint8_t* out, uint32_t value) {
  for (int i = 0; i < 4; ++i) out[i] = static_cast<uint8_t>(value >> (8 * i));
}

}  // namespace

uint32_t BmpRowSize(int32_t width) { return (static_cast<uint32_t>(width) * 3 + 3) & ~3u; }

uint32_t BmpImageSize(int32_t width, int32_t height) { return BmpRowSize(width) * static_cast<uint32_t>(height); }

void WriteBmpInfoHeader(uint8_t out[kBmpInfoHeaderSize], int32_t width, int32_t height) {
  for (size_t i = 0; i < kBmpInfoHeaderSize; ++i) out[i] = 0;
  Put32(out + 0, kBmpInfoHeaderSize);
  Put32(out + 4, static_cast<uint32_t>(width));
  Put32(out + 8, static_cast<uint32_t>(height));  // positive: rows run bottom up
  Put16(out + 12, 1);                              // planes
  Put16(out + 14, 24);                             // bits per pixel
  Put32(out + 20, BmpImageSize(width, height));    // compression (16) stays 0: BI_RGB
}

void WriteBmpFileHeader(uint8_t out[kBmpFileHeaderSize], uint32_t imageSize) {
  out[0] = 'B';
  out[1] = 'M';
  Put32(out + 2, imageSize + kBmpFileHeaderSize + kBmpInfoHeaderSize);
  Put32(out + 6, 0);
  Put32(out + 10, kBmpFileHeaderSize + kBmpInfoHeaderSize);
}

void NextScreenshotName(char* out, size_t size) { std::snprintf(out, size, "Screenshot %02u.bmp", gScreenshotCounter++); }

void ResetScreenshotCounter() { gScreenshotCounter = 1; }

// Written under a temporary name and moved over the numbered name once whole: a full disk or a
// failed write leaves an earlier run's picture of that name as it was, never half a picture.
bool SaveScreenshotFile(const char* path, const uint8_t* bgr, int32_t width, int32_t height) {
  if (width <= 0 || height <= 0 || !bgr) return false;
  const uint32_t imageSize = BmpImageSize(width, height);
  uint8_t headers[kBmpFileHeaderSize + kBmpInfoHeaderSize];
  WriteBmpFileHeader(headers, imageSize);
  WriteBmpInfoHeader(headers + kBmpFileHeaderSize, width, height);
  AtomicFile file;
  std::string error;  // unused: a screenshot fails silently
  return BeginAtomicFile(path, AtomicWrite::Quick, file, error) &&
         AppendAtomicFile(file, headers, sizeof headers, error) && AppendAtomicFile(file, bgr, imageSize, error) &&
         FinishAtomicFile(file, error) && CommitAtomicFile(file, error);
}

void SaveNumberedScreenshot(const char* folder, const uint8_t* bgr, int32_t width, int32_t height) {
  if (!folder || !folder[0]) return;
  char name[32];
  NextScreenshotName(name, sizeof name);
  std::string path = folder;
  if (path.back() != '/' && path.back() != '\\') path += '/';
  SaveScreenshotFile((path + name).c_str(), bgr, width, height);
}
