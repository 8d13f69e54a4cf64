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

}  // namespace

const char* MkdataUsage() {
  return "usage: redsphere-mkdata [options] OUTPUT-FOLDER\n"
         "\n"
         "Builds a Redsphere map data folder: per level nodesL, areoidL, topoL and marsL .hex, and\n"
         "sun, starsbr, starsdim and the cloud images the levels can use (clouds8; clouds16 from\n"
         "level 16; clouds32 from level 32). Never writes the program's own caches (terra, sea);\n"
         "outdated ones of a rebuilt level are deleted.\n"
         "\n"
         "Everything is SYNTHESIZED by the builder and is the same for the same --seed; nothing is\n"
         "read from disk unless an option below names a file:\n"
         "  relief   Mars' landforms at their real places: the northern lowlands and southern\n"
         "           highlands, the Tharsis rise with Olympus, Ascraeus, Pavonis, Arsia and Alba Mons,\n"
         "           Elysium Mons, the Hellas, Argyre, Isidis and Utopia basins, Valles Marineris from\n"
         "           Noctis Labyrinthus to the chaos regions, Kasei, Ares and Ma'adim Valles, both\n"
         "           polar plateaus, some fifty named craters (Huygens, Schiaparelli, Gale, ...), a\n"
         "           population of smaller craters, densest in the southern highlands, and fractal\n"
         "           roughness down to the node spacing;\n"
         "  colours  an albedo map with the classic dark regions (Syrtis Major, Sinus Sabaeus and\n"
         "           Meridiani, Mare Erythraeum, Acidalium, Cimmerium, Sirenum, Tyrrhenum, Utopia)\n"
         "           and bright ones (Tharsis, Arabia, Elysium, Amazonis, Hellas, Argyre), polar ice\n"
         "           and layered deposits, and fine detail that follows the relief;\n"
         "  clouds   fractal cloud in latitude bands with cyclones and clear patches, for the\n"
         "           terraformed look;\n"
         "  stars    the brightest real stars from a built-in table and some 8,000 fainter ones to\n"
         "           magnitude 6.5, crowded towards the Milky Way.\n"
         "Real MOLA grids and your own maps can be imported instead with the options below.\n"
         "\n"
         "options:\n"
         "  --level L[,L...]     resolution levels, 8 to 32 samples per degree (default 8; repeatable)\n"
         "  --seed N             seed of everything synthesized (default 1)\n"
         "  --colour-map FILE    import a colour map instead of the synthesized colours: an\n"
         "                       equirectangular RGB JPEG, north up, 180 E at the left edge, 0 in the\n"
         "                       middle; its shading then also shapes the relief's detail\n"
         "  --cloud-map FILE     import a cloud cover: equirectangular JPEG, the brighter the cloudier\n"
         "  --stars FILE         import a star list: declination (degrees), right ascension (hours)\n"
         "                       and visual magnitude per line, J2000; # starts a comment line\n"
         "  --mola-topo FILE     MOLA MEGDR topography (.img with its .lbl), replaces the synthesized relief\n"
         "  --mola-areoid FILE   MOLA MEGDR areoid (.img with its .lbl), replaces the model areoid\n"
         "  --preview FOLDER     also write colourL.png, reliefL.png and clouds.png there\n"
         "  --threads N          worker threads (default: every core)\n"
         "  --help               this text\n";
}

bool ParseMkdataArguments(int argc, const char* const* argv, MkdataOptions& options, std::string& error) {
  struct ValueOption {
    const char* name;
    std::string* target;
  };
  const ValueOption paths[] = {{"--colour-map", &options.colourMap}, {"--cloud-map", &options.cloudMap},
                               {"--stars", &options.starList},       {"--mola-topo", &options.molaTopo},
                               {"--mola-areoid", &options.molaAreoid}, {"--preview", &options.previewFolder}};
  std::vector<std::string> positional;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i], value;
    if (arg == "--help" || arg == "-h") {
      options.help = true;
      return true;
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
    bool known = false;
    for (const ValueOption& option : paths)
      if (arg == option.name) {
        *option.target = value;
        known = true;
      }
    uint64_t number = 0;
    if (arg == "--level") {
      if (!AddLevels(value, options, error)) return false;
      known = true;
    } else if (arg == "--seed") {
      if (!ParseWhole(value, UINT32_MAX, number)) {
        error = "seed '" + value + "' is not a whole number from 0 to 4294967295";
        return false;
      }
      options.seed = static_cast<uint32_t>(number);
      known = true;
    } else if (arg == "--threads") {
      if (!ParseWhole(value, 256, number) || number == 0) {
        error = "thread count '" + value + "' is not a whole number from 1 to 256";
        return false;
      }
      options.threads = static_cast<unsigned>(number);
      known = true;
    }
    if (!known) {
      error = "unknown option " + arg + " (see --help)";
      return false;
    }
    if (!inlineValue) ++i;
  }
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
