// The data builder's command line and its one run: read whatever the user imports, synthesize the
// rest, then write the shared files (sun, stars, clouds) and each requested level into the output
// folder, with previews on request. Errors come back as one line of text; nothing is written
// before the imports are read.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct MkdataOptions {
  std::string outputFolder;
  std::vector<uint32_t> levels;  // ascending, no repeats
  uint32_t seed = 1;
  // What the user imports; each empty one is synthesized, so by default nothing is read.
  std::string colourMap;             // equirectangular JPEG; empty: synthesized colours
  std::string cloudMap;              // equirectangular JPEG; empty: synthesized clouds
  std::string starList;              // declination, RA in hours, magnitude; empty: synthesized stars
  std::string molaTopo, molaAreoid;  // MEGDR grids; empty: synthesized relief, model areoid
  std::string previewFolder;         // empty: no previews
  unsigned threads = 0;              // 0: every core
  bool help = false;
};

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
