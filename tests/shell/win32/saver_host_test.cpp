// The screensaver command lines that Windows and its hosts pass, in all their spellings.
#include "shell/win32/scrnsave/saver_host.h"

#include <gtest/gtest.h>

// The host library calls these; this test program never creates a saver window.
LRESULT WINAPI ScreenSaverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefScreenSaverProc(window, message, wParam, lParam);
}
BOOL WINAPI ScreenSaverConfigureDialog(HWND, UINT, WPARAM, LPARAM) { return FALSE; }
BOOL WINAPI RegisterDialogClasses(HANDLE) { return TRUE; }

namespace {

TEST(SaverHost, CommandLines) {
  struct Case {
    const char* line;
    SaverMode mode;
    uintptr_t window;
  } cases[] = {
      {"/s", SaverMode::Run, 0},
      {"/S", SaverMode::Run, 0},
      {"-s", SaverMode::Run, 0},
      {"  /s  ", SaverMode::Run, 0},
      {"\"C:\\Windows\\redsphere.scr\" /s", SaverMode::Run, 0},
      {"/p 1234", SaverMode::Preview, 1234},
      {"/P:1234", SaverMode::Preview, 1234},
      {"/p", SaverMode::Preview, 0},
      {"/c:5678", SaverMode::Configure, 5678},
      {"/C 99", SaverMode::Configure, 99},
      {"/c", SaverMode::Configure, 0},
      {"", SaverMode::Configure, 0},
      {nullptr, SaverMode::Configure, 0},
      {"/a 42", SaverMode::ChangePassword, 42},
      {"/x", SaverMode::None, 0},
      {"/p:abc", SaverMode::Preview, 0},
  };
  for (const Case& c : cases) {
    const SaverCommand command = ParseSaverCommandLine(c.line);
    EXPECT_EQ(command.mode, c.mode) << (c.line ? c.line : "(null)");
    EXPECT_EQ(reinterpret_cast<uintptr_t>(command.window), c.window) << (c.line ? c.line : "(null)");
  }
}

}  // namespace
