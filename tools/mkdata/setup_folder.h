// The Windows setup's own data folder (--setup-folder): made so that only administrators may
// change it, marked as the setup's, and refused when it is a link or standard users may write
// to it. The setup runs the builder elevated, and its uninstaller deletes in that folder: a folder
// a standard user could plant or change would let them steer both.
#pragma once

#include <string>

// The marker the setup's folder holds: the uninstaller and an upgrade treat a folder as the
// setup's own only with it. The saver's level scan counts only nodesL.hex names, so it is inert.
constexpr const char* kSetupMarkerName = "redsphere-setup.txt";

enum class SetupFolder {
  Ready,    // made now, or there already and safe; the marker is in it
  Refused,  // a link or junction, or standard users may write to it: nothing was written
  Failed,   // it could not be made or examined, or the marker could not be written
};

// Makes the folder, or checks the one there, then writes the marker when it is missing. Refused
// and Failed come with a one-line error.
SetupFolder PrepareSetupFolder(const std::string& folder, std::string& error);

// The system side: makes the folder writable by administrators (root) only, or judges the one
// there. Implemented in linux/ and win32/.
SetupFolder MakeOrCheckSetupFolder(const std::string& folder, std::string& error);
