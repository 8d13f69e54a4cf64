// A minimal PNG encoder: signature, IHDR, one zlib-compressed IDAT with the Sub filter on every
// row (it shrinks smooth maps well), IEND; CRCs from zlib.
#include "tools/mkdata/png_writer.h"

#include <zlib.h>

#include <vector>

#include "platform/atomic_file.h"

namespace {

void PutBigEndian32(std::vector<uint8_t>& out, uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(value >> shift));
}

void PutChunk(std::vector<uint8_t>& out, const char type[4], const std::vector<uint8_t>& data) {
  PutBigEndian32(out, static_cast<uint32_t>(data.size()));
  const size_t start = out.size();
  out.insert(out.end(), type, type + 4);
  out.insert(out.end(), data.begin(), data.end());
  const uLong crc = crc32(0L, out.data() + start, static_cast<uInt>(out.size() - start));
  PutBigEndian32(out, static_cast<uint32_t>(crc));
}

}  // namespace

bool WritePngFile(const std::string& path, uint32_t width, uint32_t height, const uint8_t* rgb, std::string& error) {
  const size_t stride = size_t{width} * 3;
  std::vector<uint8_t> filtered;
  filtered.reserve((stride + 1) * height);
  for (uint32_t y = 0; y < height; ++y) {
    const uint8_t* row = rgb + y * stride;
    filtered.push_back(1);  // filter type Sub: each byte minus the same channel of the pixel to its left
    for (size_t i = 0; i < stride; ++i) filtered.push_back(static_cast<uint8_t>(row[i] - (i >= 3 ? row[i - 3] : 0)));
  }
  uLongf packedSize = compressBound(static_cast<uLong>(filtered.size()));
  std::vector<uint8_t> packed(packedSize);
  if (compress2(packed.data(), &packedSize, filtered.data(), static_cast<uLong>(filtered.size()), 6) != Z_OK) {
    error = "cannot compress the picture " + path;
    return false;
  }
  packed.resize(packedSize);

  std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  std::vector<uint8_t> header;
  PutBigEndian32(header, width);
  PutBigEndian32(header, height);
  header.insert(header.end(), {8, 2, 0, 0, 0});  // 8 bits, RGB, deflate, adaptive filtering, no interlace
  PutChunk(png, "IHDR", header);
  PutChunk(png, "IDAT", packed);
  PutChunk(png, "IEND", {});
  return WriteAtomicFile(path, AtomicWrite::Durable, png.data(), png.size(), error);
}
