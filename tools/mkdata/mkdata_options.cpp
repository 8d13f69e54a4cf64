// Command-line parsing and the help text of redsphere-mkdata.
#include <algorithm>
#include <cstdlib>

#include "tools/mkdata/mkdata.h"

namespace {

bool ParseWhole(const std::string& text, uint64_t limit, uint64_t& value) {
  if (text.empty() || text.size() > 10 || text.find_first_not_of("0123456789") != std::string::npos) return false;
  value = std::strtoull(text.c_str(), nullptr, 10);
  return value <= limit;
}

bool AddLevels(const std::string& list, MkdataOptions& options, std::string& error) {
  size_t start = 0;
  for (;;) {
    const size_t comma = list.find(',', start);
    const std::string item = list.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
    uint64_t level = 0;
    if (!ParseWhole(item, kHighestLevel, level) || level < kLowestLevel) {
      error = "level '" + item + "' is not a whole number from " + std::to_string(kLowestLevel) + " to " +
              std::to_string(kHighestLevel);
      return false;
    }
    options.levels.push_back(static_cast<uint32_t>(level));
    if (comma == std::string::npos) return true;
    start = comma + 1;
  }
}

bool SetSynthetic(const std::string& list, MkdataOptions& options, std::string& error) {
  size_t start = 0;
  for (;;) {
    const size_t comma = list.find(',', start);
    const std::string item = list.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
    const bool all = item == "all";
    if (!all && item != "relief" && item != "colours" && item != "stars") {
      error = "'" + item + "' cannot be synthesized (relief, colours, stars or all)";
      return false;
    }
    options.syntheticRelief |= all || item == "relief";
    options.syntheticColours |= all || item == "colours";
    options.syntheticStars |= all || item == "stars";
    if (comma == std::string::npos) return true;
    start = comma + 1;
  }
}

bool SetSeed(const std::string& value, MkdataOptions& options, std::string& error) {
  uint64_t number = 0;
  if (!ParseWhole(value, UINT32_MAX, number)) {
    error = "seed '" + value + "' is not a whole number from 0 to 4294967295";
    return false;
  }
  options.seed = static_cast<uint32_t>(number);
  return true;
}

bool SetColourGrade(const std::string& value, MkdataOptions& options, std::string& error) {
  if (value != "mars" && value != "none") {
    error = "colour grade '" + value + "' is not mars or none";
    return false;
  }
  options.gradeColours = value == "mars";
  return true;
}

bool SetThreads(const std::string& value, MkdataOptions& options, std::string& error) {
  uint64_t number = 0;
  if (!ParseWhole(value, 256, number) || number == 0) {
    error = "thread count '" + value + "' is not a whole number from 1 to 256";
    return false;
  }
  options.threads = static_cast<unsigned>(number);
  return true;
}

// The options that name a file or a folder, and the field each one sets.
struct PathOption {
  const char* name;
  std::string MkdataOptions::*field;
};
constexpr PathOption kPathOptions[] = {
    {"--colour-map", &MkdataOptions::colourMap},   {"--cloud-map", &MkdataOptions::cloudMap},
    {"--stars", &MkdataOptions::starList},         {"--mola-topo", &MkdataOptions::molaTopo},
    {"--mola-areoid", &MkdataOptions::molaAreoid}, {"--preview", &MkdataOptions::previewFolder},
    {"--sources", &MkdataOptions::sourcesFolder},
};

// One option that takes a value; false with error set when the value does not suit the option or
// there is no such option.
bool ApplyValueOption(const std::string& arg, const std::string& value, MkdataOptions& options, std::string& error) {
  for (const PathOption& option : kPathOptions)
    if (arg == option.name) {
      options.*option.field = value;
      return true;
    }
  if (arg == "--level") return AddLevels(value, options, error);
  if (arg == "--seed") return SetSeed(value, options, error);
  if (arg == "--synthetic") return SetSynthetic(value, options, error);
  if (arg == "--colour-grade") return SetColourGrade(value, options, error);
  if (arg == "--threads") return SetThreads(value, options, error);
  error = "unknown option " + arg + " (see --help)";
  return false;
}

// The one output folder, and the levels in ascending order without repeats (the lowest level when
// none was asked for).
bool FinishOptions(const std::vector<std::string>& positional, MkdataOptions& options, std::string& error) {
  if (positional.size() != 1) {
    error = positional.empty() ? "no output folder given (see --help)" : "more than one output folder given (see --help)";
    return false;
  }
  options.outputFolder = positional[0];
  if (options.levels.empty()) options.levels.push_back(kLowestLevel);
  std::sort(options.levels.begin(), options.levels.end());
  options.levels.erase(std::unique(options.levels.begin(), options.levels.end()), options.levels.end());
  return true;
}

}  // namespace

const char* MkdataUsage() {
  return "usage: redsphere-mkdata [options] OUTPUT-FOLDER\n"
         "\n"
         "Builds a Redsphere map data folder: per level nodesL, areoidL, topoL and marsL .hex, and\n"
         "sun, starsbr, starsdim and the cloud images the levels can use (clouds8; clouds16 from\n"
         "level 16; clouds32 from level 32). Never writes the program's own caches (terra, sea);\n"
         "outdated ones of a rebuilt level are deleted.\n"
         "\n"
         "By default it is the REAL Mars and sky, read from the data sources (their sums checked):\n"
         "  relief   MOLA topography at 4 samples per degree (Mars Global Surveyor, NASA), resampled\n"
         "           smoothly to the level, with detail below its resolution that follows the\n"
         "           ground's own roughness and the colour mosaic's shading;\n"
         "  colours  the Viking MDIM 2.1 colour mosaic (USGS), colour-graded to Mars as the eye sees\n"
         "           it, with fine detail from the relief at finer levels;\n"
         "  stars    the Hipparcos-based XHIP catalogue to magnitude 6.5, coloured by B-V;\n"
         "  areoid   a model of Mars' equipotential surface; clouds (for the terraformed look) are\n"
         "           always synthesized.\n"
         "The sources are found beside the program (\"sources\" in its folder, or\n"
         "../share/redsphere/sources) or in the source tree, or named with --sources.\n"
         "\n"
         "options:\n"
         "  --level L[,L...]     resolution levels, 8 to 32 samples per degree (default 8; repeatable)\n"
         "  --sources FOLDER     the data sources folder (mola/, viking/, stars/)\n"
         "  --synthetic LIST     SYNTHESIZE instead of reading the sources: relief, colours, stars or\n"
         "                       all, comma-separated; invented landforms, albedo regions and\n"
         "                       fainter stars at Mars' real places, the same for the same --seed\n"
         "  --seed N             seed of everything synthesized, clouds included (default 1)\n"
         "  --colour-grade G     mars (default) or none: the Viking colours as the mosaic has them\n"
         "  --colour-map FILE    import a colour map instead: an equirectangular RGB JPEG, north up,\n"
         "                       180 E at the left edge, 0 in the middle (used as it is)\n"
         "  --cloud-map FILE     import a cloud cover: equirectangular JPEG, the brighter the cloudier\n"
         "  --stars FILE         import a star list: declination (degrees), right ascension (hours),\n"
         "                       visual magnitude and optionally B-V per line, J2000; # starts a comment\n"
         "  --mola-topo FILE     a MOLA MEGDR topography grid (.img with its .lbl, 4 to 128 samples per\n"
         "                       degree) instead of the one in the sources\n"
         "  --mola-areoid FILE   a MOLA MEGDR areoid grid (.img with its .lbl) instead of the model areoid\n"
         "  --preview FOLDER     also write colourL.png, reliefL.png and clouds.png there\n"
         "  --threads N          worker threads (default: every core)\n"
         "  --progress-lines     progress as a line every 10 % on standard output, for programs\n"
         "                       that show another program's output line by line\n"
         "  --setup-folder       the output folder is the Windows setup's own: made first, so that\n"
         "                       only administrators may change it, and marked with\n"
         "                       redsphere-setup.txt; an existing one that is a junction or link,\n"
         "                       or that standard users may change, is refused (exit status 2)\n"
         "  --help               this text\n"
         "\n"
         "Exit status: 0 built; 1 any other error; 2 the folder was refused by --setup-folder.\n";
}

bool ParseMkdataArguments(int argc, const char* const* argv, MkdataOptions& options, std::string& error) {
  std::vector<std::string> positional;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i], value;
    if (arg == "--help" || arg == "-h") {
      options.help = true;
      return true;
    }
    if (arg == "--progress-lines" || arg == "--setup-folder") {
      (arg == "--progress-lines" ? options.progressLines : options.setupFolder) = true;
      continue;
    }
    if (arg.rfind("--", 0) != 0 || arg == "--") {
      positional.push_back(arg);
      continue;
    }
    const size_t equals = arg.find('=');
    const bool inlineValue = equals != std::string::npos;
    if (inlineValue) {
      value = arg.substr(equals + 1);
      arg.erase(equals);
    } else if (i + 1 < argc) {
      value = argv[i + 1];
    } else {
      error = "option " + arg + " needs a value (see --help)";
      return false;
    }
    if (!ApplyValueOption(arg, value, options, error)) return false;
    if (!inlineValue) ++i;
  }
  return FinishOptions(positional, options, error);
}
