// One run of the data builder: sources and imports first (so a missing or damaged one stops the run
// before anything is written), then the models, the shared files, then the levels from the lowest up.
#include "tools/mkdata/mkdata.h"

#include <cstdio>
#include <filesystem>
#include <vector>

#include "mapdata/map_formats.h"
#include "platform/atomic_file.h"
#include "tools/mkdata/albedo_model.h"
#include "tools/mkdata/cloud_cover.h"
#include "tools/mkdata/cloud_image.h"
#include "tools/mkdata/colour_grade.h"
#include "tools/mkdata/data_sources.h"
#include "tools/mkdata/landforms.h"
#include "tools/mkdata/level_writer.h"
#include "tools/mkdata/mola_grid.h"
#include "tools/mkdata/parallel.h"
#include "tools/mkdata/preview.h"
#include "tools/mkdata/progress.h"
#include "tools/mkdata/real_relief.h"
#include "tools/mkdata/relief_model.h"
#include "tools/mkdata/source_image.h"
#include "tools/mkdata/star_catalogue.h"
#include "tools/mkdata/star_field.h"
#include "tools/mkdata/sun_image.h"
#include "tools/mkdata/surface_colour.h"
#include "tools/mkdata/utf8_path.h"

namespace {

// Cloud texel rows computed and appended together.
constexpr uint32_t kCloudBlockRows = 64;

// What the run reads: the data sources and the user's imports. Each part stays empty when it is
// synthesized.
struct Sources {
  SourceImage colourMap;      // as the file has it (its shading gives relief detail)
  SourceImage gradedColours;  // the Viking mosaic graded; empty for an imported map
  SourceImage cloudPicture;
  std::vector<CatalogueStar> stars;
  MolaGrid molaTopo, molaAreoid;
};

bool IsEquirect(const SourceImage& image) { return image.width >= 2 && image.width == 2 * image.height; }

bool ReadColourMap(const std::string& path, SourceImage& image, std::string& error) {
  if (!ReadJpegImage(path, image, error)) return false;
  if (!IsEquirect(image) || image.channels != 3) {
    error = path + " is not an equirectangular colour map (RGB, twice as wide as high)";
    return false;
  }
  return true;
}

bool ReadSources(const MkdataOptions& options, Sources& sources, std::string& error) {
  const bool realRelief = options.molaTopo.empty() && !options.syntheticRelief;
  const bool realColours = options.colourMap.empty() && !options.syntheticColours;
  const bool realStars = options.starList.empty() && !options.syntheticStars;
  std::string folder, path;
  if ((realRelief || realColours || realStars) && !FindSourcesFolder(options.sourcesFolder, folder, error))
    return false;

  if (realRelief) {
    // The label names the image beside it; both are checked before either is parsed.
    std::string image;
    if (!CheckedSourcePath(folder, kMolaTopoImage, image, error) ||
        !CheckedSourcePath(folder, kMolaTopoLabel, path, error) || !ReadMolaGrid(path, sources.molaTopo, error))
      return false;
  } else if (!options.molaTopo.empty() && !ReadMolaGrid(options.molaTopo, sources.molaTopo, error)) {
    return false;
  }
  if (realColours) {
    if (!CheckedSourcePath(folder, kVikingColourMap, path, error) || !ReadColourMap(path, sources.colourMap, error))
      return false;
    sources.gradedColours = sources.colourMap;
    if (options.gradeColours) GradeMarsPicture(sources.gradedColours);
  } else if (!options.colourMap.empty() && !ReadColourMap(options.colourMap, sources.colourMap, error)) {
    return false;
  }
  if (!options.cloudMap.empty()) {
    if (!ReadJpegImage(options.cloudMap, sources.cloudPicture, error)) return false;
    if (!IsEquirect(sources.cloudPicture)) {
      error = options.cloudMap + " is not an equirectangular cloud map (twice as wide as high)";
      return false;
    }
  }
  if (realStars) {
    if (!CheckedSourcePath(folder, kStarListSource, path, error) || !ReadStarList(path, sources.stars, error))
      return false;
    // The list runs a little fainter than the naked eye; the sky keeps what the eye would see.
    std::erase_if(sources.stars, [](const CatalogueStar& star) { return star.magnitude > kFaintestSkyStar; });
  } else if (!options.starList.empty() && !ReadStarList(options.starList, sources.stars, error)) {
    return false;
  }
  if (!options.molaAreoid.empty() && !ReadMolaGrid(options.molaAreoid, sources.molaAreoid, error)) return false;
  return true;
}

bool MakeFolder(const std::string& path, const char* what, std::string& error) {
  std::error_code code;
  std::filesystem::create_directories(Utf8Path(path), code);
  if (code || !std::filesystem::is_directory(Utf8Path(path), code)) {
    error = std::string("cannot create the ") + what + " " + path + ": " +
            (code ? code.message() : std::string("not a folder"));
    return false;
  }
  return true;
}

bool WriteCloudFile(const std::string& folder, const char* stem, uint32_t width, const CloudSource& source,
                    uint32_t seed, unsigned threads, bool progressLines, std::string& error) {
  char name[32];
  SharedFileName(name, sizeof name, stem);
  AtomicFile file;
  if (!BeginAtomicFile(folder + "/" + name, AtomicWrite::Durable, file, error)) return false;
  const uint32_t height = width / 2;
  std::vector<Colour> block(size_t{width} * kCloudBlockRows);
  Progress progress = StartProgress(stem, progressLines);
  for (uint32_t first = 0; first < height; first += kCloudBlockRows) {
    const uint32_t rows = std::min(kCloudBlockRows, height - first);
    ParallelFor(threads, rows, [&](uint32_t k) { CloudTexelRow(source, seed, width, first + k, &block[size_t{k} * width]); });
    if (!AppendAtomicFile(file, block.data(), size_t{width} * rows * sizeof(Colour), error)) return false;
    ShowProgress(progress, first + rows, height);
  }
  EndProgress(progress);
  return FinishAtomicFile(file, error) && CommitAtomicFile(file, error);
}

bool WriteSharedFiles(const MkdataOptions& options, const std::vector<CatalogueStar>& stars, const CloudSource& clouds,
                      unsigned threads, std::string& error) {
  const std::string& folder = options.outputFolder;
  const std::vector<Colour> sun = MakeSunImage();
  std::vector<StarRecord> bright, dim;
  MakeStarRecords(stars, bright, dim);
  constexpr AtomicWrite kDurable = AtomicWrite::Durable;
  if (!WriteAtomicFile(folder + "/sun.hex", kDurable, sun.data(), sun.size() * sizeof(Colour), error) ||
      !WriteAtomicFile(folder + "/starsbr.hex", kDurable, bright.data(), bright.size() * sizeof(StarRecord), error) ||
      !WriteAtomicFile(folder + "/starsdim.hex", kDurable, dim.data(), dim.size() * sizeof(StarRecord), error))
    return false;
  std::printf("sun.hex; starsbr.hex: %zu stars to magnitude %.1f; starsdim.hex: %zu stars\n", bright.size(),
              kBrightStarLimit, dim.size());
  // The loader takes the widest cloud image the level and the graphics allow, down to clouds8.
  const uint32_t highest = options.levels.back();
  const struct {
    const char* stem;
    uint32_t width, fromLevel;
  } cloudFiles[] = {{"clouds8", 2048, 0}, {"clouds16", 4096, 16}, {"clouds32", 8192, 32}};
  for (const auto& cloud : cloudFiles) {
    if (highest < cloud.fromLevel) continue;
    if (!WriteCloudFile(folder, cloud.stem, cloud.width, clouds, options.seed, threads, options.progressLines, error)) return false;
    std::printf("%s.hex: %u x %u\n", cloud.stem, cloud.width, cloud.width / 2);
  }
  return true;
}

void PrintExtremes(uint32_t level, const LevelExtremes& e) {
  std::printf("level %u: %llu nodes; topo %d to %d m; areoid %d to %d m\n", level,
              static_cast<unsigned long long>(e.nodes), e.minTopo, e.maxTopo, e.minAreoid, e.maxAreoid);
  std::printf("  surface at relief 1: %lld to %lld m from the reference sphere (mesh band +-%lld): %llu nodes outside\n",
              static_cast<long long>(e.minSurface1), static_cast<long long>(e.maxSurface1),
              static_cast<long long>(kSurfaceBandPerFactorM), static_cast<unsigned long long>(e.outsideAt1));
  std::printf("  surface at relief 10: %lld to %lld m (mesh band +-%lld): %llu nodes outside\n",
              static_cast<long long>(e.minSurface10), static_cast<long long>(e.maxSurface10),
              static_cast<long long>(10 * kSurfaceBandPerFactorM), static_cast<unsigned long long>(e.outsideAt10));
  std::printf("  full sea over the lowest areoid (%d m): %s the water shell's inner radius (areoid above %lld)\n",
              e.minAreoid, e.minAreoid > kLowestAreoidUnderSeaM ? "inside" : "OUTSIDE",
              static_cast<long long>(kLowestAreoidUnderSeaM));
  if (e.clipped) std::printf("  %llu heights clamped to 16 bits\n", static_cast<unsigned long long>(e.clipped));
}

// A few lines beside the data files saying what they were made from, for the user (and for
// scripts that tell a real data set from an invented one); the program never reads it.
bool WriteDescription(const MkdataOptions& options, std::string& error) {
  std::string levels;
  for (uint32_t level : options.levels) levels += (levels.empty() ? "" : ", ") + std::to_string(level);
  const std::string seed = " (seed " + std::to_string(options.seed) + ")";
  std::string text = "Redsphere map data made by redsphere-mkdata; levels last built: " + levels + "\n";
  text += "relief: " + (!options.molaTopo.empty() ? "MOLA grid " + options.molaTopo
                        : options.syntheticRelief ? "synthesized" + seed
                                                  : std::string("MOLA MEGDR topography MEGT90N000CB, 4 samples per degree (NASA, public domain)")) + "\n";
  text += "colours: " + (!options.colourMap.empty() ? "imported from " + options.colourMap
                         : options.syntheticColours ? "synthesized" + seed
                                                    : std::string("Viking MDIM 2.1 colour mosaic (USGS, public domain), ") +
                                                          (options.gradeColours ? "graded" : "as the mosaic has them")) + "\n";
  text += "stars: " + (!options.starList.empty() ? "imported from " + options.starList
                       : options.syntheticStars ? "synthesized" + seed
                                                : std::string("XHIP (Anderson & Francis 2012) as packaged by d3-celestial (BSD 3-clause), to magnitude 6.5")) + "\n";
  text += "areoid: " + (options.molaAreoid.empty() ? std::string("model") : "MOLA grid " + options.molaAreoid) + "\n";
  text += "clouds: " + (options.cloudMap.empty() ? "synthesized" + seed : "imported from " + options.cloudMap) + "\n";
  return WriteAtomicFile(options.outputFolder + "/" + kDataDescriptionName, AtomicWrite::Durable, text.data(),
                         text.size(), error);
}

}  // namespace

bool RunMkdata(const MkdataOptions& options, std::string& error) {
  const unsigned threads = options.threads ? options.threads : DefaultThreadCount();
  Sources sources;
  if (!ReadSources(options, sources, error)) return false;
  if (!MakeFolder(options.outputFolder, "data folder", error)) return false;
  if (!options.previewFolder.empty() && !MakeFolder(options.previewFolder, "preview folder", error)) return false;

  // The synthesized relief serves synthesized relief, and the detail of synthesized colours.
  const bool realRelief = !sources.molaTopo.values.empty();
  const bool realColours = !sources.colourMap.pixels.empty();
  ReliefModel relief;
  if (!realRelief || !realColours) MakeReliefModel(options.seed, sources.colourMap, threads, relief);
  RealRelief real;
  if (realRelief) MakeRealRelief(sources.molaTopo, sources.colourMap, options.seed, threads, real);
  AlbedoModel albedo;
  ColourMapSampler colourMap;
  if (!realColours) MakeAlbedoModel(options.seed, threads, albedo);
  else colourMap = MakeColourSampler(sources.gradedColours.pixels.empty() ? sources.colourMap : sources.gradedColours);
  const CloudSource clouds = options.cloudMap.empty() ? SynthesizeCloudCover(options.seed, threads)
                                                      : MakeCloudSource(sources.cloudPicture);
  const std::vector<CatalogueStar> stars = sources.stars.empty() ? SynthesizeStars(options.seed) : sources.stars;
  if (!WriteSharedFiles(options, stars, clouds, threads, error)) return false;
  if (!options.previewFolder.empty() && !WriteCloudPreview(clouds, options.seed, options.previewFolder, error))
    return false;

  LevelSources levelSources;
  levelSources.relief = &relief;
  levelSources.realRelief = realRelief ? &real : nullptr;
  levelSources.molaAreoid = options.molaAreoid.empty() ? nullptr : &sources.molaAreoid;
  levelSources.albedo = &albedo;
  levelSources.colourMap = realColours ? &colourMap : nullptr;
  levelSources.threads = threads;
  levelSources.progressLines = options.progressLines;
  for (uint32_t level : options.levels) {
    LayerPreview preview;
    const bool previews = !options.previewFolder.empty();
    if (previews) preview = StartLayerPreview(level);
    LevelExtremes extremes;
    if (!WriteLevel(options.outputFolder, level, levelSources, previews ? &preview : nullptr, extremes, error))
      return false;
    PrintExtremes(level, extremes);
    if (previews && !WriteLayerPreviews(preview, options.previewFolder, error)) return false;
  }
  if (!WriteDescription(options, error)) return false;
  std::fflush(stdout);
  return true;
}
