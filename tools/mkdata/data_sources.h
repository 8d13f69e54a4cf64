// The real data a data set is built from by default (MOLA relief, the Viking colour mosaic, the
// star list): where their folder is, and each file checked against the SHA-256 sums compiled into
// the builder from the folder's SHA256SUMS, so a damaged or swapped file is named, never used.
#pragma once

#include <string>

// Files of the sources folder, as SHA256SUMS names them.
constexpr const char* kMolaTopoLabel = "mola/MEGT90N000CB.LBL";
constexpr const char* kMolaTopoImage = "mola/MEGT90N000CB.IMG";
constexpr const char* kVikingColourMap = "viking/mars_viking_mdim21_colour_2880x1440.jpg";
constexpr const char* kStarListSource = "stars/stars.txt";

// The sources folder: `named` when given (it must be a readable folder), else the first folder
// that exists of: "sources" beside the program (the Windows program folder), "../share/redsphere/
// sources" from the program's folder (an installed Linux program), the source tree's data/sources.
// False with a one-line message.
bool FindSourcesFolder(const std::string& named, std::string& folder, std::string& error);

// The full path of one source file after checking its sum; false with a one-line message naming
// the file when it is missing, unreadable or not the file the builder was made for.
bool CheckedSourcePath(const std::string& folder, const char* name, std::string& path, std::string& error);
