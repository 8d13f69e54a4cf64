// Linux side of the setup's data folder (tools/mkdata/setup_folder.h), for a package script that
// builds a system-wide folder as root: mode 0755, and an existing one is refused when it is a
// symbolic link, belongs to another user than root or this one, or others or the group may write.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "tools/mkdata/setup_folder.h"

SetupFolder MakeOrCheckSetupFolder(const std::string& folder, std::string& error) {
  if (mkdir(folder.c_str(), 0755) == 0) return SetupFolder::Ready;
  if (errno != EEXIST) {
    error = "cannot create the data folder " + folder + ": " + std::strerror(errno);
    return SetupFolder::Failed;
  }
  struct stat status;
  if (lstat(folder.c_str(), &status) != 0) {
    error = "cannot use the data folder " + folder + ": " + std::strerror(errno);
    return SetupFolder::Failed;
  }
  if (!S_ISDIR(status.st_mode) && !S_ISLNK(status.st_mode)) {
    error = "cannot use the data folder " + folder + ": not a folder";
    return SetupFolder::Failed;
  }
  if (S_ISLNK(status.st_mode)) {
    error = "refusing the data folder " + folder + ": it is a junction or link, not a folder of the setup's own";
    return SetupFolder::Refused;
  }
  if ((status.st_mode & (S_IWGRP | S_IWOTH)) || (status.st_uid != 0 && status.st_uid != geteuid())) {
    error = "refusing the data folder " + folder + ": standard users may change it, so it is not the setup's own";
    return SetupFolder::Refused;
  }
  return SetupFolder::Ready;
}
