// Fuzz target of the loader: one file of a small valid level (level 1) is replaced by the fuzzer's
// bytes and the level goes through LoadMapData, the loader thread's own path. A load must accept
// exactly the files their formats allow, fill tables that agree with the node file when it does,
// and give up with every file closed when it does not; the sanitizers watch the derivations that
// run on whatever it accepted. Input: the first byte chooses the file, the rest is the file.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "fuzz/support/fuzz_support.h"
#include "mapdata/map_data.h"
#include "tests/support/temp_folder.h"
#include "tests/support/test_data.h"
#include "tests/support/user_folders.h"

namespace {

constexpr uint32_t kLevel = 1;
constexpr uint32_t kRows = RowCountForLevel(kLevel);

enum FileKind : uint8_t { kNodes, kTopo, kMars, kSun, kBrightStars, kDimStars, kClouds, kFileKinds };
constexpr const char* kFileNames[kFileKinds] = {"nodes1.hex", "topo1.hex",    "mars1.hex",  "sun.hex",
                                                "starsbr.hex", "starsdim.hex", "clouds8.hex"};

// Two copies of the level: the node file and the node arrays vary in `grid`, loaded with a small
// texture limit so the sea derived again on every load stays small; the sun, stars and clouds vary
// in `images`, loaded with clouds, whose derived caches stay valid because its node arrays never
// change.
struct Harness {
  TempFolder root;
  std::string grid, images;
  TestDataSet set;
  MapData map{};  // what each load fills, released before the next
};

void Write(const std::string& folder, const char* name, const void* bytes, size_t size) {
  FuzzCheck(WriteFileBytes(folder + "/" + name, bytes, size), "the harness can write its data folders");
}

template <typename T>
void WriteVector(const std::string& folder, const char* name, const std::vector<T>& values) {
  Write(folder, name, values.data(), values.size() * sizeof(T));
}

void WriteSet(const std::string& folder, const TestDataSet& set) {
  FuzzCheck(WriteTestDataSet(folder, set), "the harness can write its data folders");
}

LoadRequest RequestFor(const std::string& folder, int32_t maxTextureSize) {
  LoadRequest request{};
  std::snprintf(request.folder, sizeof request.folder, "%s", folder.c_str());
  request.level = kLevel;
  request.maxTextureSize = maxTextureSize;
  request.clouds = true;
  return request;
}

Harness& TheHarness() {
  static Harness harness;  // its folder goes when libFuzzer ends the run
  static const bool ready = [] {
    harness.set = MakeTestDataSet(kLevel);
    harness.grid = (harness.root / "grid").string();
    harness.images = (harness.root / "images").string();
    std::filesystem::create_directory(harness.grid);
    std::filesystem::create_directory(harness.images);
    std::filesystem::create_directory(harness.root / "user");
    UseUserFolders((harness.root / "user").string());
    WriteSet(harness.images, harness.set);
    TestDataSet cloudless = harness.set;
    cloudless.clouds.clear();
    WriteSet(harness.grid, cloudless);
    // Derives and stores the images folder's caches once.
    const bool loaded = LoadMapData(RequestFor(harness.images, kCloudTextureSize), harness.map);
    FreeMapData(harness.map);
    return loaded;
  }();
  FuzzCheck(ready, "the harness's own level loads");
  return harness;
}

// Little-endian words of a node file; empty unless it is 4 bytes for each row of the level.
std::vector<uint32_t> NodeCounts(const uint8_t* bytes, size_t size) {
  std::vector<uint32_t> counts;
  if (size != size_t{4} * kRows) return counts;
  for (size_t i = 0; i < size; i += 4)
    counts.push_back(uint32_t{bytes[i]} | uint32_t{bytes[i + 1]} << 8 | uint32_t{bytes[i + 2]} << 16 |
                     uint32_t{bytes[i + 3]} << 24);
  return counts;
}

// The node file's rules: every row of the level, one node at the south pole, 1 to 360 * L nodes in
// every other row.
bool NodeFileAllowed(const std::vector<uint32_t>& counts) {
  if (counts.size() != kRows || counts[0] != 1) return false;
  for (uint32_t count : counts)
    if (count < 1 || count > MaxRowCount(kLevel)) return false;
  return true;
}

// Node arrays of `nodes` nodes, so a node file that the rules allow is followed by a whole load.
void WriteNodeArrays(const std::string& folder, uint64_t nodes) {
  std::vector<int16_t> heights(nodes);
  std::vector<Colour> colours(nodes);
  for (uint64_t k = 0; k < nodes; ++k) {
    heights[k] = static_cast<int16_t>(static_cast<int>((k * 977) % 16001) - 7000);
    colours[k] = Colour{static_cast<uint8_t>(k * 7), static_cast<uint8_t>(k * 13), static_cast<uint8_t>(k * 29), 255};
  }
  WriteVector(folder, "areoid1.hex", heights);
  WriteVector(folder, "topo1.hex", heights);
  WriteVector(folder, "mars1.hex", colours);
}

// What a whole load must have left: rows as the node file gave them, each pointing at its first
// node in every node array, and every star of both files.
void CheckTables(const MapData& map, uint64_t brightBytes, uint64_t dimBytes, bool clouds) {
  FuzzCheck(map.lastRow + 1 == kRows && map.ppd == kLevel, "the level is the one asked for");
  FuzzCheck(map.rows[0].count == 1, "the south-pole row holds one node");
  uint64_t first = 0;
  for (uint32_t i = 0; i < kRows; ++i) {
    const NodeRow& row = map.rows[i];
    FuzzCheck(row.count >= 1 && row.count <= MaxRowCount(kLevel), "every row holds 1 to 360 * L nodes");
    FuzzCheck(row.topo == map.topo + first && row.areoid == map.areoid + first && row.mars == map.mars + first &&
                  row.terra == map.terra + first,
              "every row points at its first node");
    first += row.count;
  }
  FuzzCheck(first == map.nodeCount, "the rows hold every node");
  FuzzCheck(map.brightCount == brightBytes / 12 && map.dimCount == dimBytes / 12 &&
                map.starCount == map.brightCount + map.dimCount,
            "every whole star record of both files is counted");
  FuzzCheck(map.seaImage && map.sunImage && (map.cloudImage != nullptr) == clouds, "the images are in place");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  Harness& harness = TheHarness();
  const TestDataSet& set = harness.set;
  const FileKind kind = static_cast<FileKind>(data[0] % kFileKinds);
  const uint8_t* bytes = data + 1;
  const size_t length = size - 1;
  const bool grid = kind <= kMars;
  const std::string& folder = grid ? harness.grid : harness.images;

  bool allowed = true;
  uint64_t brightBytes = set.brightStars.size() * sizeof(StarRecord);
  uint64_t dimBytes = set.dimStars.size() * sizeof(StarRecord);
  switch (kind) {
    case kNodes: {
      const std::vector<uint32_t> counts = NodeCounts(bytes, length);
      allowed = NodeFileAllowed(counts);
      if (allowed) {
        uint64_t nodes = 0;
        for (uint32_t count : counts) nodes += count;
        WriteNodeArrays(folder, nodes);
      }
      break;
    }
    case kTopo: allowed = length == set.topo.size() * 2; break;
    case kMars: allowed = length == set.mars.size() * 4; break;
    case kSun: allowed = length == kSunFileLength; break;
    case kBrightStars: brightBytes = length; break;
    case kDimStars: dimBytes = length; break;
    case kClouds: allowed = length == set.clouds.size() * 4; break;
    case kFileKinds: break;
  }
  // The images folder's valid file is moved aside and back rather than written again: the cloud
  // image alone is 8 MB.
  const std::string path = folder + "/" + kFileNames[kind], kept = (harness.root / kFileNames[kind]).string();
  if (!grid) FuzzCheck(std::rename(path.c_str(), kept.c_str()) == 0, "the harness can keep the valid file");
  Write(folder, kFileNames[kind], bytes, length);

  const int filesBefore = OpenFileCount();
  const bool loaded = LoadMapData(RequestFor(folder, grid ? 64 : kCloudTextureSize), harness.map);
  FuzzCheck(OpenFileCount() == filesBefore, "a load closes every file it opened");
  FuzzCheck(loaded == allowed, allowed ? "a load takes every file its format allows"
                                       : "a load refuses every file its format does not allow");
  if (loaded) CheckTables(harness.map, brightBytes, dimBytes, !grid);
  FreeMapData(harness.map);

  // Back to the valid level for the next input.
  if (grid) {
    WriteVector(folder, "nodes1.hex", set.counts);
    WriteVector(folder, "areoid1.hex", set.areoid);
    WriteVector(folder, "topo1.hex", set.topo);
    WriteVector(folder, "mars1.hex", set.mars);
  } else {
    FuzzCheck(std::rename(kept.c_str(), path.c_str()) == 0, "the harness can put the valid file back");
  }
  return 0;
}
