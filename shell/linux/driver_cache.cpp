// NOTE: Mesa keeps compiled shaders in $MESA_SHADER_CACHE_DIR, else $XDG_CACHE_HOME, else
// ~/.cache (in "mesa_shader_cache"), and maps its index there as a sparse file of about 1.3 MB.
// On a full file system the first write into that mapping has no page to get and raises SIGBUS
// in the driver's cache thread, which ends the program without a word (Mesa 22.3, llvmpipe, seen
// with the cache on a full tmpfs). The saver's own caches simply fail there; this keeps the
// driver's from killing the run.
#include "shell/linux/driver_cache.h"

#include <sys/statvfs.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/failure_report.h"

namespace {

// Room the driver's cache needs: its index and some shaders, with some to spare.
constexpr uint64_t kDriverCacheRoom = uint64_t{16} << 20;

// The folder Mesa would use, or empty when it has none (no home either).
std::string DriverCacheFolder() {
  for (const char* name : {"MESA_SHADER_CACHE_DIR", "XDG_CACHE_HOME"}) {
    const char* value = std::getenv(name);
    if (value && value[0] == '/') return value;
  }
  const char* home = std::getenv("HOME");
  return home && home[0] == '/' ? std::string(home) + "/.cache" : std::string();
}

}  // namespace

void KeepDriverCacheOffAFullDisk() {
  if (std::getenv("MESA_SHADER_CACHE_DISABLE")) return;
  // The folder may not exist yet: the file system is the one of its nearest existing parent.
  std::filesystem::path folder = DriverCacheFolder();
  std::error_code failed;
  while (!folder.empty() && folder != folder.root_path() && !std::filesystem::exists(folder, failed))
    folder = folder.parent_path();
  struct statvfs disk;
  if (folder.empty() || statvfs(folder.c_str(), &disk) != 0) return;
  const uint64_t room = static_cast<uint64_t>(disk.f_bavail) * disk.f_frsize;
  if (room >= kDriverCacheRoom) return;
  setenv("MESA_SHADER_CACHE_DISABLE", "true", 1);
  ReportFailure("%s has %llu KiB free: the graphics driver's shader cache is off for this run", folder.c_str(),
                static_cast<unsigned long long>(room >> 10));
}
