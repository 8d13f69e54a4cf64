// Resource and control ids of the settings dialog, shared by the dialog template, its procedure
// and the tests that drive it.
#pragma once

#define IDD_SETTINGS 2003
#define IDC_WEBSITE 1000
#define IDC_ATMOSPHERE 1002
#define IDC_CLOUDS 1003
#define IDC_SHADOWS 1004
#define IDC_TERRA_NO 1005
#define IDC_TERRA_ONCE 1006
#define IDC_TERRA_PERIODIC 1007
#define IDC_PERIOD 1008
#define IDC_SUNPOS 1010
#define IDC_AUTOMATIC 1012
#define IDC_MANUAL 1013
#define IDC_RESOLUTION 1014
#define IDC_RELIEF 1019
#define IDC_DATA_STATUS 1020
#define IDC_MONITORS_EACH 1021
#define IDC_MONITORS_SPAN 1022
#define IDC_MONITORS_PRIMARY 1023
#define IDC_TOUR 1024
#define IDC_SUNPOS_NOW 1025
