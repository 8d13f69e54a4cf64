// Xvfb as a child process: -displayfd hands back the display number it chose, so two programs
// started at once never ask for the same one.
#include "shell/linux/private_display.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

namespace {

constexpr int kStartTimeoutMilliseconds = 20000;  // Xvfb is up in well under a second; a stuck one is not waited for

}  // namespace

bool StartPrivateDisplay(int width, int height, PrivateDisplay& display, std::string* why) {
  display.server = 0;
  int fds[2];
  if (pipe(fds) != 0) {
    *why = "no pipe for Xvfb";
    return false;
  }
  fcntl(fds[0], F_SETFD, FD_CLOEXEC);
  const std::string fd = std::to_string(fds[1]);
  const std::string screen = std::to_string(width) + "x" + std::to_string(height) + "x24";
  const pid_t parent = getpid();
  const pid_t child = fork();
  if (child < 0) {
    close(fds[0]);
    close(fds[1]);
    *why = "cannot start Xvfb";
    return false;
  }
  if (child == 0) {
    // NOTE: the loader ends the process with _Exit on bad data, which runs no clean-up; the
    // kernel's parent-death signal ends the server then.
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (getppid() != parent) _exit(127);
    const int devNull = open("/dev/null", O_WRONLY);
    if (devNull >= 0) {
      dup2(devNull, STDOUT_FILENO);
      dup2(devNull, STDERR_FILENO);
    }
    execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", screen.c_str(), "-nolisten", "tcp", "+extension",
           "GLX", static_cast<char*>(nullptr));
    _exit(127);
  }
  close(fds[1]);
  display.server = child;

  std::string number;
  pollfd wait{fds[0], POLLIN, 0};
  for (;;) {
    if (poll(&wait, 1, kStartTimeoutMilliseconds) <= 0) break;
    char c;
    if (read(fds[0], &c, 1) != 1 || c == '\n') break;
    number += c;
  }
  close(fds[0]);
  if (number.empty() || number.find_first_not_of("0123456789") != std::string::npos) {
    StopPrivateDisplay(display);
    *why = "Xvfb did not start (is it installed? scripts/setup.sh installs it)";
    return false;
  }
  setenv("DISPLAY", (":" + number).c_str(), 1);
  // Xvfb has no direct rendering: Mesa's software renderer draws on the client side.
  setenv("LIBGL_ALWAYS_SOFTWARE", "1", 0);
  return true;
}

void StopPrivateDisplay(PrivateDisplay& display) {
  if (display.server <= 0) return;
  kill(display.server, SIGTERM);
  int status = 0;
  waitpid(display.server, &status, 0);
  display.server = 0;
}
