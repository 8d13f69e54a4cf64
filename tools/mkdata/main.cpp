// redsphere-mkdata: builds a Redsphere map data folder, synthesized or from the user's imports. On
// any error it prints one line to standard error and exits with status 1; 2 when --setup-folder
// refuses the folder, so the setup can tell an unsafe folder from a failed build.
#include <cstdio>
#include <new>
#include <string>
#include <vector>

#include "tools/mkdata/mkdata.h"
#include "tools/mkdata/setup_folder.h"
#include "tools/mkdata/tool_platform.h"

int main(int argc, char** argv) {
  const std::vector<std::string> arguments = ProgramArguments(argc, argv);
  std::vector<const char*> pointers;
  for (const std::string& argument : arguments) pointers.push_back(argument.c_str());
  MkdataOptions options;
  std::string error;
  if (!ParseMkdataArguments(static_cast<int>(pointers.size()), pointers.data(), options, error)) {
    std::fprintf(stderr, "redsphere-mkdata: %s\n", error.c_str());
    return 1;
  }
  if (options.help) {
    std::fputs(MkdataUsage(), stdout);
    return 0;
  }
  const SetupFolder folder = options.setupFolder ? PrepareSetupFolder(options.outputFolder, error) : SetupFolder::Ready;
  if (folder != SetupFolder::Ready) {
    std::fprintf(stderr, "redsphere-mkdata: %s\n", error.c_str());
    return folder == SetupFolder::Refused ? 2 : 1;
  }
  bool built = false;
  try {
    built = RunMkdata(options, error);
  } catch (const std::bad_alloc&) {
    // The files being written went with the unwinding; those in place are whole, old or new.
    error = "not enough memory to build the data in " + options.outputFolder;
  }
  if (!built) {
    std::fflush(stdout);
    std::fprintf(stderr, "redsphere-mkdata: %s\n", error.c_str());
    return 1;
  }
  return 0;
}
