// Pixel runs: the simple run-length form in which the Linux program carries its help pictures
// (resources/pictures.h). make_pictures writes them and unpacks them again as a check; the
// program unpacks them once at start.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

constexpr size_t kRunPixelBytes = 4;           // B, G, R, A
constexpr int32_t kRunLongestLiteral = 128;    // head 0 ... 127: 1 ... 128 pixels as they are
constexpr int32_t kRunLongestRepeat = 129;     // head 128 ... 255: one pixel 2 ... 129 times
constexpr int32_t kRunRepeatHeadBase = 126;    // repeat count = head - 126

// Unpacks runs into exactly `bytes` bytes of pixels. False, with `pixels` partly written, when the
// runs end inside a record or would not fill the pixels exactly.
inline bool UnpackPixelRuns(const uint8_t* runs, size_t runBytes, uint8_t* pixels, size_t bytes) {
  size_t in = 0, out = 0;
  while (in < runBytes) {
    const uint8_t head = runs[in++];
    if (head < kRunLongestLiteral) {
      const size_t length = (size_t{head} + 1) * kRunPixelBytes;
      if (runBytes - in < length || bytes - out < length) return false;
      std::memcpy(pixels + out, runs + in, length);
      in += length;
      out += length;
    } else {
      const size_t count = size_t{head} - kRunRepeatHeadBase;
      if (runBytes - in < kRunPixelBytes || bytes - out < count * kRunPixelBytes) return false;
      for (size_t i = 0; i < count; ++i, out += kRunPixelBytes) std::memcpy(pixels + out, runs + in, kRunPixelBytes);
      in += kRunPixelBytes;
    }
  }
  return out == bytes;
}
