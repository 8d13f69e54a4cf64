// The data builder's command line and its one run: read the data sources and whatever the user
// imports, synthesize the rest, then write the shared files (sun, stars, clouds) and each
// requested level into the output folder, with previews on request. Errors come back as one line of text; nothing is written
// before every source and import has been read and checked.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct MkdataOptions {
  std::string outputFolder;
  std::vector<uint32_t> levels;  // ascending, no repeats
  uint32_t seed = 1;
  // By default relief, colours and stars are real (MOLA, the Viking mosaic, the star catalogue of
  // the data sources); each can be synthesized instead, and a file the user imports beats both.
  std::string sourcesFolder;          // empty: found beside the program or in the source tree
  bool syntheticRelief = false, syntheticColours = false, syntheticStars = false;
  bool gradeColours = true;           // grade the Viking mosaic's colours (colour_grade.h)
  std::string colourMap;             // equirectangular JPEG, replaces the real or synthesized colours
  std::string cloudMap;              // equirectangular JPEG; empty: synthesized clouds
  std::string starList;              // declination, RA in hours, magnitude[, B-V]
  std::string molaTopo, molaAreoid;  // MEGDR grids: topography instead of the default; areoid
                                     // instead of the model areoid
  std::string previewFolder;         // empty: no previews
  unsigned threads = 0;              // 0: every core
  bool progressLines = false;        // progress as whole lines on standard output (progress.h)
  bool setupFolder = false;          // the output folder is the setup's own (setup_folder.h)
  bool help = false;
};

// What a built folder was made from, in words, beside its data files.
constexpr const char* kDataDescriptionName = "redsphere-data.txt";

// Levels the command line accepts: the range of the MaxPPD setting.
constexpr uint32_t kLowestLevel = 8, kHighestLevel = 32;

// Parses the arguments (argv[0] is the program); false with a one-line message.
bool ParseMkdataArguments(int argc, const char* const* argv, MkdataOptions& options, std::string& error);
// The --help text.
const char* MkdataUsage();

// Builds the data folder. Summary lines go to standard output, progress to a terminal's standard
// error. Any level from 1 up is built here (the loader reads any whole level); the command line
// offers the range the settings allow.
bool RunMkdata(const MkdataOptions& options, std::string& error);
