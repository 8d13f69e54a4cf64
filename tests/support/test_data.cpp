#include "tests/support/test_data.h"

#include <cmath>
#include <cstdio>

#include "platform/platform.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

template <typename T>
bool WriteVector(const std::string& folder, const std::string& name, const std::vector<T>& values) {
  return WriteFileBytes(folder + "/" + name, values.data(), values.size() * sizeof(T));
}

}  // namespace

TestDataSet MakeTestDataSet(uint32_t level, bool fullSize) {
  return MakeTestDataSetWithRows(level, fullSize ? 360.0 * level : 12.0);
}

TestDataSet MakeTestDataSetWithRows(uint32_t level, double widest) {
  TestDataSet set;
  set.level = level;
  const uint32_t rows = RowCountForLevel(level);
  if (widest > 360.0 * level) widest = 360.0 * level;
  set.counts.resize(rows);
  uint64_t total = 0;
  for (uint32_t i = 0; i < rows; ++i) {
    const double latitude = -90.0 + 180.0 * i / (rows - 1);
    uint32_t count = static_cast<uint32_t>(std::lround(widest * std::cos(latitude * kPi / 180.0)));
    if (count < 1 || i == 0 || i == rows - 1) count = 1;
    set.counts[i] = count;
    total += count;
  }
  set.areoid.resize(total);
  set.topo.resize(total);
  set.mars.resize(total);
  uint64_t n = 0;
  for (uint32_t i = 0; i < rows; ++i) {
    for (uint32_t j = 0; j < set.counts[i]; ++j, ++n) {
      set.areoid[n] = static_cast<int16_t>(-(static_cast<int>(i) % 200));
      set.topo[n] = static_cast<int16_t>(static_cast<int>((i * 131 + j * 977) % 16001) - 7000);
      set.mars[n] = Colour{static_cast<uint8_t>(120 + i % 100), static_cast<uint8_t>(60 + j % 50),
                           static_cast<uint8_t>(30 + (i + j) % 40), 255};
    }
  }
  for (int k = 0; k < 20; ++k) {
    set.brightStars.push_back(StarRecord{Colour{255, 255, 255, 255}, -80.0f + 8.0f * k, 18.0f * k});
    set.dimStars.push_back(StarRecord{Colour{90, 90, 90, 90}, 80.0f - 8.0f * k, 9.0f * k});
  }
  set.sun.resize(size_t{kSunImageSize} * kSunImageSize);
  for (uint32_t y = 0; y < kSunImageSize; ++y)
    for (uint32_t x = 0; x < kSunImageSize; ++x)
      set.sun[y * kSunImageSize + x] = Colour{255, 250, static_cast<uint8_t>(200 + x % 50), static_cast<uint8_t>(y * 4)};
  set.clouds.resize(size_t{2048} * 1024);
  for (size_t k = 0; k < set.clouds.size(); ++k)
    set.clouds[k] = Colour{255, 255, 255, static_cast<uint8_t>((k * 7) % 256)};
  return set;
}

uint64_t NodeIndex(const TestDataSet& set, uint32_t row, uint32_t j) {
  uint64_t index = 0;
  for (uint32_t i = 0; i < row; ++i) index += set.counts[i];
  return index + j;
}

bool WriteTestDataSet(const std::string& folder, const TestDataSet& set) {
  const std::string level = std::to_string(set.level);
  bool ok = WriteVector(folder, "nodes" + level + ".hex", set.counts) &&
            WriteVector(folder, "areoid" + level + ".hex", set.areoid) &&
            WriteVector(folder, "topo" + level + ".hex", set.topo) &&
            WriteVector(folder, "mars" + level + ".hex", set.mars) &&
            WriteVector(folder, "starsbr.hex", set.brightStars) && WriteVector(folder, "starsdim.hex", set.dimStars) &&
            WriteVector(folder, "sun.hex", set.sun);
  if (ok && !set.clouds.empty()) ok = WriteVector(folder, "clouds8.hex", set.clouds);
  return ok;
}

bool WriteFileBytes(const std::string& path, const void* data, size_t size) {
  FILE* file = PlatformOpenFile(path.c_str(), "wb");
  if (!file) return false;
  const bool written = size == 0 || std::fwrite(data, 1, size, file) == size;
  return std::fclose(file) == 0 && written;
}

std::vector<uint8_t> ReadFileBytes(const std::string& path) {
  std::vector<uint8_t> bytes;
  FILE* file = PlatformOpenFile(path.c_str(), "rb");
  if (!file) return bytes;
  uint8_t buffer[65536];
  size_t got;
  while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) bytes.insert(bytes.end(), buffer, buffer + got);
  std::fclose(file);
  return bytes;
}
