// The screensaver host: process entry, the screensaver command line, the saver window and its
// message loop, and the default saver window procedure. Debian's MinGW-w64 ships libscrnsave
// empty, so this is ours; it keeps the interface of MinGW's scrnsave.h. The program supplies
// ScreenSaverProc, ScreenSaverConfigureDialog and RegisterDialogClasses.
#pragma once

#include <windows.h>

#define DLG_SCRNSAVECONFIGURE 2003  // the settings dialog resource
#define IDS_DESCRIPTION 1           // string resource: the saver's name
#define ID_APP 100                  // icon resource

extern HINSTANCE hMainInstance;  // the program's instance
extern HWND hMainWindow;         // the saver window (run or preview mode), else null
extern BOOL fChildPreview;       // TRUE in preview mode: the window is the host's preview child

// Supplied by the program.
LRESULT WINAPI ScreenSaverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
BOOL WINAPI ScreenSaverConfigureDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
BOOL WINAPI RegisterDialogClasses(HANDLE instance);

// Ends the saver on input in run mode (a key, a mouse button, the mouse moved away from where it
// was when the saver started, loss of activation), hides the cursor; plain DefWindowProc in
// preview mode.
LRESULT WINAPI DefScreenSaverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// How the command line asks to run; parsed without touching the system, so it can be tested.
enum class SaverMode { Run, Preview, Configure, ChangePassword, None };
struct SaverCommand {
  SaverMode mode;
  HWND window;  // preview parent, or the dialog's owner; null when none was given
};
SaverCommand ParseSaverCommandLine(const char* commandLine);
