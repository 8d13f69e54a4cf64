// The portable half of --setup-folder: the marker.
#include "tools/mkdata/setup_folder.h"

#include "platform/atomic_file.h"
#include "platform/platform.h"

namespace {

constexpr const char kMarkerText[] =
    "This folder was made by the Redsphere setup for its map data; its uninstaller deletes here only "
    "the files Redsphere writes.\n";

}  // namespace

SetupFolder PrepareSetupFolder(const std::string& folder, std::string& error) {
  const SetupFolder state = MakeOrCheckSetupFolder(folder, error);
  if (state != SetupFolder::Ready) return state;
  const std::string marker = folder + "/" + kSetupMarkerName;
  if (PlatformPathKind(marker.c_str()) == PathKind::File) return SetupFolder::Ready;
  return WriteAtomicFile(marker, AtomicWrite::Durable, kMarkerText, sizeof kMarkerText - 1, error) ? SetupFolder::Ready
                                                                                                   : SetupFolder::Failed;
}
