// Numbers of the Windows program's resources, shared by redsphere.rc and the code that loads them.
// Plain macros because the resource compiler reads this file too.
#pragma once

// The screensaver library expects these three (ID_APP, IDS_DESCRIPTION and DLG_SCRNSAVECONFIGURE in
// scrnsave.h): the icon, the name the display settings list, and the settings dialog.
#define REDSPHERE_ICON 100
#define REDSPHERE_NAME 1
#define REDSPHERE_SETTINGS_DIALOG 2003

// The 96 x 96 picture the preview window shows, and the help picture at 1x (600 x 440) and at 2x
// (1200 x 880, for monitors of about 192 dots per inch).
#define REDSPHERE_PREVIEW_BITMAP 105
#define REDSPHERE_HELP_BITMAP 107
#define REDSPHERE_HELP_BITMAP_2X 108
