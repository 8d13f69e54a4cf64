// Running the data builder from its Linux tests: in this process with standard output sent to
// /dev/null, or as the real program with fork and exec.
#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>

#include "tests/tools/mkdata/mkdata_sources.h"

bool RunMkdataQuietly(const MkdataOptions& options, std::string& error) {
  std::fflush(stdout);
  const int saved = dup(STDOUT_FILENO);
  const int sink = open("/dev/null", O_WRONLY);
  dup2(sink, STDOUT_FILENO);
  const bool ok = RunMkdata(options, error);
  std::fflush(stdout);
  dup2(saved, STDOUT_FILENO);
  close(sink);
  close(saved);
  return ok;
}

namespace {

// The child's address space is limited to addressSpace bytes when that is not 0.
ProgramRun RunProgram(const std::vector<std::string>& arguments, const std::function<bool()>& killNow,
                      uint64_t addressSpace) {
  static int serial = 0;
  const std::string stem = (std::filesystem::temp_directory_path() /
                            ("redsphere-mkdata-run-" + std::to_string(getpid()) + "-" + std::to_string(serial++)))
                               .string();
  const std::string outPath = stem + ".out", errPath = stem + ".err";
  std::vector<char*> argv;
  std::string program = REDSPHERE_MKDATA_PROGRAM;
  argv.push_back(program.data());
  std::vector<std::string> copies = arguments;
  for (std::string& argument : copies) argv.push_back(argument.data());
  argv.push_back(nullptr);

  const pid_t child = fork();
  if (child == 0) {
    const int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    dup2(out, STDOUT_FILENO);
    dup2(err, STDERR_FILENO);
    const rlimit limit{addressSpace, addressSpace};
    if (addressSpace != 0 && setrlimit(RLIMIT_AS, &limit) != 0) _exit(126);
    execv(argv[0], argv.data());
    _exit(127);
  }
  int raw = 0;
  bool killed = false;
  while (child > 0 && waitpid(child, &raw, WNOHANG) == 0) {
    if (!killed && killNow && killNow()) {
      kill(child, SIGKILL);
      killed = true;
    }
    usleep(1000);
  }
  ProgramRun run{child > 0 && WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, ReadTextFile(outPath), ReadTextFile(errPath)};
  std::remove(outPath.c_str());
  std::remove(errPath.c_str());
  return run;
}

}  // namespace

ProgramRun RunMkdataProgramUntil(const std::vector<std::string>& arguments, const std::function<bool()>& killNow) {
  return RunProgram(arguments, killNow, 0);
}

ProgramRun RunMkdataProgram(const std::vector<std::string>& arguments) { return RunProgram(arguments, nullptr, 0); }

ProgramRun RunMkdataProgramWithin(uint64_t addressSpace, const std::vector<std::string>& arguments) {
  return RunProgram(arguments, nullptr, addressSpace);
}

bool MakeFolderUsersMayChange(const std::string& path) {
  return mkdir(path.c_str(), 0755) == 0 && chmod(path.c_str(), 0777) == 0;
}

bool MakeFolderLink(const std::string& link, const std::string& target) {
  return symlink(target.c_str(), link.c_str()) == 0;
}
