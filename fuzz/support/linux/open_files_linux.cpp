// Open descriptors from /proc/self/fd, less the one the listing itself holds.
#include <dirent.h>

#include "fuzz/support/fuzz_support.h"

int OpenFileCount() {
  DIR* folder = opendir("/proc/self/fd");
  if (!folder) return -1;
  int count = 0;
  while (const dirent* entry = readdir(folder))
    if (entry->d_name[0] != '.') ++count;
  closedir(folder);
  return count - 1;
}
