// PDS3 label parsing (keyword = value lines, OBJECT blocks read flat, /* */ comments dropped) and
// bilinear sampling of the grid at pixel centres.
#include "tools/mkdata/mola_grid.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>

#include "mapdata/map_formats.h"
#include "platform/platform.h"
#include "tools/mkdata/sphere_geometry.h"
#include "tools/mkdata/utf8_path.h"

namespace {

// Grids whose offset is a planetary radius hold radii (the MEGDR areoid grids give 3,396,000).
constexpr double kRadiusOffsetThreshold = 1.0e6;
// The finest MEGDR has 128 samples per degree (23040 x 46080, 2 GiB); nothing larger is read.
constexpr double kMaxSamplesPerDegree = 128.0;
constexpr double kMaxLines = 180.0 * kMaxSamplesPerDegree, kMaxSamples = 360.0 * kMaxSamplesPerDegree;
// Metres per count and the offset in metres: a radius (3.4e6 m) is the largest real offset.
constexpr double kMaxScale = 1000.0, kMaxOffset = 1.0e7;
// A label is a few kilobytes; reading stops here if no END comes (a binary file given as a label).
constexpr long kMaxLabelBytes = 1 << 20;
// Where the image may start in its file: past the label records, far below any long's range.
constexpr uint64_t kMaxImageOffset = uint64_t{1} << 30;
constexpr double kMaxRecordBytes = 1 << 20;

std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

std::string Trim(const std::string& text) {
  const size_t first = text.find_first_not_of(" \t\r\n");
  if (first == std::string::npos) return "";
  return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

bool ReadLabel(const std::string& path, std::map<std::string, std::string>& keys, std::string& error) {
  FILE* file = PlatformOpenFile(path.c_str(), "r");
  if (!file) {
    error = "cannot open the label " + path + ": " + std::strerror(errno);
    return false;
  }
  char buffer[1024];
  bool ended = false;
  long bytes = 0;
  while (!ended && bytes < kMaxLabelBytes && std::fgets(buffer, sizeof buffer, file)) {
    std::string line = buffer;
    bytes += static_cast<long>(line.size());
    const size_t comment = line.find("/*");
    if (comment != std::string::npos) line.erase(comment);
    const size_t equals = line.find('=');
    if (equals == std::string::npos) {
      ended = Upper(Trim(line)) == "END";
      continue;
    }
    const std::string key = Upper(Trim(line.substr(0, equals)));
    // The first occurrence wins: the image object comes before any other that repeats a keyword.
    if (!keys.count(key)) keys[key] = Trim(line.substr(equals + 1));
  }
  std::fclose(file);
  if (!ended && bytes >= kMaxLabelBytes) {
    error = path + " is not a PDS label (no END in its first " + std::to_string(kMaxLabelBytes) + " bytes)";
    return false;
  }
  return true;
}

// A finite number at the start of a keyword's value (units may follow); false when the keyword is
// missing, holds no number, or holds NaN or an infinity.
bool Number(const std::map<std::string, std::string>& keys, const char* key, double& value) {
  const auto found = keys.find(key);
  if (found == keys.end()) return false;
  char* end = nullptr;
  value = std::strtod(found->second.c_str(), &end);
  return end != found->second.c_str() && std::isfinite(value);
}

// The keyword's number within [low, high] (a whole one if whole is set); false with a line
// naming the keyword and its text otherwise (also when it is missing).
bool NumberIn(const std::map<std::string, std::string>& keys, const char* key, double low, double high, bool whole,
              double& value, std::string& problem) {
  if (Number(keys, key, value) && value >= low && value <= high && (!whole || value == std::floor(value))) return true;
  const auto found = keys.find(key);
  char range[96];
  std::snprintf(range, sizeof range, "%s number from %.10g to %.10g", whole ? "a whole" : "a", low, high);
  problem = found == keys.end() ? std::string(key) + " is missing"
                                : std::string(key) + " = '" + found->second + "' is not " + range;
  return false;
}

// A keyword that may be left out (value keeps its default) but, when given, lies within +-limit.
bool OptionalNumber(const std::map<std::string, std::string>& keys, const char* key, double limit, double& value,
                    std::string& problem) {
  return !keys.count(key) || NumberIn(keys, key, -limit, limit, false, value, problem);
}

// "NAME.IMG", ("NAME.IMG", record) or a record number, optionally "<BYTES>".
// False with problem set when a record pointer leads outside the bounds this reader accepts.
bool ImagePointer(const std::map<std::string, std::string>& keys, std::string& name, uint64_t& offset,
                  std::string& problem) {
  problem = "no ^IMAGE pointer";
  const auto found = keys.find("^IMAGE");
  if (found == keys.end()) return false;
  const std::string& value = found->second;
  const size_t open = value.find('"'), close = open == std::string::npos ? open : value.find('"', open + 1);
  if (close != std::string::npos) name = value.substr(open + 1, close - open - 1);
  const std::string rest = close == std::string::npos ? value : value.substr(close + 1);
  const size_t digits = rest.find_first_of("0123456789");
  offset = 0;
  if (digits == std::string::npos) return !name.empty();
  // More digits than any accepted offset has: strtoull would saturate, not fail.
  const size_t digitsEnd = rest.find_first_not_of("0123456789", digits);
  const size_t digitCount = (digitsEnd == std::string::npos ? rest.size() : digitsEnd) - digits;
  const uint64_t number = digitCount > 12 ? UINT64_MAX : std::strtoull(rest.c_str() + digits, nullptr, 10);
  double recordBytes = 0.0;
  if (Upper(rest).find("<BYTES>") != std::string::npos) {
    offset = number > 0 ? number - 1 : 0;
  } else if (number > 1) {
    if (!NumberIn(keys, "RECORD_BYTES", 1.0, kMaxRecordBytes, true, recordBytes, problem)) return false;
    // Bounded first, so the product cannot wrap.
    offset = std::min<uint64_t>(number - 1, kMaxImageOffset) * static_cast<uint64_t>(recordBytes);
  }
  if (offset > kMaxImageOffset) {
    problem = "the ^IMAGE pointer " + Trim(value) + " lies beyond the first " + std::to_string(kMaxImageOffset) +
              " bytes of its file";
    return false;
  }
  return true;
}

// A name from the label, as given or in the other letter case (PDS volumes mix them).
std::string FindBeside(const std::filesystem::path& folder, const std::string& name) {
  std::string lower = name, upper = Upper(name);
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  for (const std::string& candidate : {name, lower, upper}) {
    const std::filesystem::path path = folder / Utf8Path(candidate);
    std::error_code code;
    if (std::filesystem::exists(path, code)) return Utf8Text(path);
  }
  return Utf8Text(folder / Utf8Path(name));
}

// The label's path and the image's for a path given as either. The image's is left empty when the
// label was given: its ^IMAGE pointer names the image.
void GridPaths(const std::filesystem::path& given, std::string& labelPath, std::string& imagePath) {
  const std::string extension = Upper(Utf8Text(given.extension()));
  if (extension == ".LBL") {
    imagePath.clear();
  } else {
    std::filesystem::path label = given;
    label.replace_extension(".lbl");
    labelPath = FindBeside(given.parent_path(), Utf8Text(label.filename()));
  }
}

// What the label says of the grid's layout and of its numbers.
struct GridLabel {
  double lines = 0, samples = 0, ppd = 0, maxLat = 0, minLat = 0, west = 0, east = 0;
  double offsetMetres = 0.0, scale = 1.0;
  bool bigEndian = false;
  bool westPositive = false;
};

// The grid's size and sample format; false with the reason in problem unless the grid holds
// signed 16-bit samples and is no larger than this reader accepts.
bool ReadSampleLayout(std::map<std::string, std::string>& keys, GridLabel& label, std::string& problem) {
  double bits = 0;
  if (!NumberIn(keys, "LINES", 2.0, kMaxLines, true, label.lines, problem) ||
      !NumberIn(keys, "LINE_SAMPLES", 2.0, kMaxSamples, true, label.samples, problem)) {
    problem = "no valid LINES and LINE_SAMPLES (" + problem + "; at most 128 samples per degree)";
    return false;
  }
  if (!Number(keys, "SAMPLE_BITS", bits) || bits != 16) {
    problem = "only 16-bit samples are supported";
    return false;
  }
  const std::string type = Upper(keys["SAMPLE_TYPE"]);
  label.bigEndian = type.find("MSB") != std::string::npos || type.find("SUN") != std::string::npos;
  if (type.find("INTEGER") == std::string::npos || type.find("UNSIGNED") != std::string::npos) {
    problem = "SAMPLE_TYPE " + type + " is not a signed 16-bit integer";
    return false;
  }
  return true;
}

// The map projection; false with the reason in problem unless the grid covers the whole planet.
bool ReadProjection(std::map<std::string, std::string>& keys, GridLabel& label, std::string& problem) {
  for (const char* key : {"MAP_RESOLUTION", "MAXIMUM_LATITUDE", "MINIMUM_LATITUDE", "WESTERNMOST_LONGITUDE",
                          "EASTERNMOST_LONGITUDE"})
    if (!keys.count(key)) {
      problem = "no map projection (MAP_RESOLUTION, latitude and longitude limits)";
      return false;
    }
  if (!NumberIn(keys, "MAP_RESOLUTION", 0.01, kMaxSamplesPerDegree, false, label.ppd, problem) ||
      !NumberIn(keys, "MAXIMUM_LATITUDE", -90.0, 90.0, false, label.maxLat, problem) ||
      !NumberIn(keys, "MINIMUM_LATITUDE", -90.0, 90.0, false, label.minLat, problem) ||
      !NumberIn(keys, "WESTERNMOST_LONGITUDE", -360.0, 360.0, false, label.west, problem) ||
      !NumberIn(keys, "EASTERNMOST_LONGITUDE", -360.0, 360.0, false, label.east, problem))
    return false;
  label.westPositive = Upper(keys["POSITIVE_LONGITUDE_DIRECTION"]).find("WEST") != std::string::npos;
  const double span = std::fabs(label.east - label.west);
  if (label.maxLat < 89.99 || label.minLat > -89.99 || std::fabs(span - 360.0) > 1e-6 ||
      std::fabs(label.lines - 180.0 * label.ppd) > 0.5 || std::fabs(label.samples - 360.0 * label.ppd) > 0.5) {
    problem = "the grid does not cover the whole planet (use a global MEGDR grid)";
    return false;
  }
  return true;
}

// The offset and the scale from counts to metres, both optional; false with the reason in problem
// when either is out of range or the scale is 0.
bool ReadScaling(const std::map<std::string, std::string>& keys, GridLabel& label, std::string& problem) {
  if (!OptionalNumber(keys, "OFFSET", kMaxOffset, label.offsetMetres, problem) ||
      !OptionalNumber(keys, "SCALING_FACTOR", kMaxScale, label.scale, problem))
    return false;
  if (label.scale == 0.0) {
    problem = "SCALING_FACTOR is 0";
    return false;
  }
  return true;
}

void SetGridHeader(const GridLabel& label, MolaGrid& grid) {
  grid.lines = static_cast<uint32_t>(label.lines);
  grid.samples = static_cast<uint32_t>(label.samples);
  grid.ppd = label.ppd;
  // Columns run eastward in both conventions (west is on the left of every PDS map); only the
  // numbers differ: a west-positive grid's western edge at W west lies at -W east.
  grid.westLonDeg = label.westPositive ? WrapLongitude(-label.west) : WrapLongitude(label.west);
  grid.offset = label.offsetMetres;
  grid.scale = label.scale;
  grid.radius = grid.offset >= kRadiusOffsetThreshold;
}

// The grid's lines x samples 16-bit samples from byte offset of the image file, in the file's
// byte order.
bool ReadSamples(const std::string& imagePath, uint64_t offset, MolaGrid& grid, std::string& error) {
  FILE* file = PlatformOpenFile(imagePath.c_str(), "rb");
  if (!file) {
    error = "cannot open the MOLA grid " + imagePath + ": " + std::strerror(errno);
    return false;
  }
  const size_t count = size_t{grid.lines} * grid.samples;
  const std::string shortImage = imagePath + " is shorter than its label says (" + std::to_string(grid.lines) + " x " +
                                 std::to_string(grid.samples) + " 16-bit samples from byte " + std::to_string(offset) + ")";
  // The file's length against the label before anything is sized from the label.
  std::error_code code;
  const uint64_t length = std::filesystem::file_size(Utf8Path(imagePath), code);
  if (code || length < offset || (length - offset) / 2 < count) {
    std::fclose(file);
    error = shortImage;
    return false;
  }
  grid.values.assign(count, 0);
  const bool read = std::fseek(file, static_cast<long>(offset), SEEK_SET) == 0 &&
                    std::fread(grid.values.data(), 2, count, file) == count;
  std::fclose(file);
  if (!read) {
    grid.values.clear();
    error = shortImage;
    return false;
  }
  return true;
}

// Samples stored in the byte order other than the host's are swapped.
void SwapToHostOrder(std::vector<int16_t>& values, bool bigEndian) {
  const uint16_t probe = 1;
  const bool hostLittle = *reinterpret_cast<const uint8_t*>(&probe) == 1;
  if (bigEndian == hostLittle)
    for (int16_t& v : values) {
      const uint16_t u = static_cast<uint16_t>(v);
      v = static_cast<int16_t>(static_cast<uint16_t>((u >> 8) | (u << 8)));
    }
}

}  // namespace

bool ReadMolaGrid(const std::string& path, MolaGrid& grid, std::string& error) {
  const std::filesystem::path given = Utf8Path(path);
  std::string labelPath = path, imagePath = path;
  GridPaths(given, labelPath, imagePath);
  std::map<std::string, std::string> keys;
  if (!ReadLabel(labelPath, keys, error)) return false;

  auto bad = [&](const std::string& what) {
    error = labelPath + ": " + what;
    return false;
  };
  GridLabel label;
  std::string problem;
  if (!ReadSampleLayout(keys, label, problem) || !ReadProjection(keys, label, problem) ||
      !ReadScaling(keys, label, problem))
    return bad(problem);
  SetGridHeader(label, grid);

  std::string imageName;
  uint64_t offset = 0;
  if (!ImagePointer(keys, imageName, offset, problem)) return bad(problem);
  if (imagePath.empty()) imagePath = imageName.empty() ? labelPath : FindBeside(given.parent_path(), imageName);
  if (!ReadSamples(imagePath, offset, grid, error)) return false;
  SwapToHostOrder(grid.values, label.bigEndian);
  return true;
}

double SampleMolaGrid(const MolaGrid& grid, double latDeg, double lonDeg) {
  // Pixel centres: line l at 90 - (l + 0.5) / ppd, sample s at west + (s + 0.5) / ppd.
  double x = WrapLongitude(lonDeg - grid.westLonDeg) * grid.ppd - 0.5;
  if (x < 0.0) x += grid.samples;
  const double y = std::clamp((90.0 - latDeg) * grid.ppd - 0.5, 0.0, grid.lines - 1.0);
  const uint32_t x0 = std::min(static_cast<uint32_t>(x), grid.samples - 1), y0 = static_cast<uint32_t>(y);
  const uint32_t x1 = x0 + 1 == grid.samples ? 0 : x0 + 1, y1 = std::min(y0 + 1, grid.lines - 1);
  const double fx = x - x0, fy = y - y0;
  const size_t w = grid.samples;
  const double top = Lerp(grid.values[y0 * w + x0], grid.values[y0 * w + x1], fx);
  const double bottom = Lerp(grid.values[y1 * w + x0], grid.values[y1 * w + x1], fx);
  const double metres = grid.offset + grid.scale * Lerp(top, bottom, fy);
  return grid.radius ? metres - kReferenceRadius : metres;
}
