// Numbers of the Windows program's resources, shared by redsphere.rc and the code that loads them.
// Plain macros because the resource compiler reads this file too.
#pragma once

// The screensaver library expects these three (ID_APP, IDS_DESCRIPTION and DLG_SCRNSAVECONFIGURE in
// scrnsave.h): the icon, the name the display settings list, and the settings dialog.
#define REDSPHERE_ICON 100
#define REDSPHERE_NAME 1
#define REDSPHERE_SETTINGS_DIALOG 2003

// The 96 x 96 picture the preview window shows, and the 600 x 440 help picture.
#define REDSPHERE_PREVIEW_BITMAP 105
#define REDSPHERE_HELP_BITMAP 107
