// The settings dialog of the configure mode: probes what the graphics system can draw, shows the
// stored settings, the data folder and its levels, and saves on OK only.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <cwchar>
#include <iterator>

#include "mapdata/level_choice.h"
#include "mapdata/resolve_run_config.h"
#include "platform/win32/wide_text.h"
#include "settings/saver_settings.h"
#include "shell/win32/scrnsave/saver_host.h"
#include "shell/win32/settings_dialog_ids.h"
#include "shell/win32/wgl_context.h"

namespace {

const wchar_t kHomePage[] = L"https://github.com/redsphere-saver/redsphere";

// The dialog's own state; dialog thread only, for the one dialog of a configure run.
struct DialogState {
  int32_t levels[kLevelListCapacity];  // levels offered, ascending, as the folder scan found them
  int32_t levelCount;
  bool shadowsSupported;  // OpenGL 1.4: depth textures
  bool largeTextures;     // the cloud texture fits
};
DialogState gDialog;

void ProbeGraphics() {
  int32_t maxTextureSize = 0;
  bool version14 = false;
  const bool probed = ProbeSaverGl(hMainInstance, &maxTextureSize, &version14);
  const RunLimits limits = probed ? RunLimits{version14, maxTextureSize, 0} : RunLimits{false, 0, 0};
  gDialog.largeTextures = CloudsPossible(limits);
  gDialog.shadowsSupported = ShadowsPossible(limits);
}

void SetCheck(HWND dialog, int id, bool on) { CheckDlgButton(dialog, id, on ? BST_CHECKED : BST_UNCHECKED); }
bool Checked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }
void Enable(HWND dialog, int id, bool on) { EnableWindow(GetDlgItem(dialog, id), on ? TRUE : FALSE); }

// The settings table's entry of one of the record's stored numbers, null for a field it lacks: the
// dialog's ranges and fallbacks are the ones the stores and the command line use.
const SettingDef* NumberDef(uint32_t SaverSettings::*number) {
  for (const SettingDef& def : kSettingDefs)
    if (def.number == number) return &def;
  return nullptr;
}

// A trackbar over the stored number's range, at its value.
void SetTrackbar(HWND dialog, int id, const SaverSettings& settings, uint32_t SaverSettings::*number) {
  const SettingDef& def = *NumberDef(number);
  SendDlgItemMessageW(dialog, id, TBM_SETRANGE, TRUE, MAKELPARAM(def.minValue, def.maxValue));
  SendDlgItemMessageW(dialog, id, TBM_SETPOS, TRUE, static_cast<LPARAM>(settings.*number));
}

// The trackbar's position into the stored number, by the rules a load follows.
void ReadTrackbar(HWND dialog, int id, SaverSettings& settings, uint32_t SaverSettings::*number) {
  const LRESULT position = SendDlgItemMessageW(dialog, id, TBM_GETPOS, 0, 0);
  SetSettingValue(settings, *NumberDef(number), static_cast<uint32_t>(position));
}

// The sun: a season on the trackbar, or "Now" (the sun where it stands over Mars), which greys
// the seasons out.
void SetSun(HWND dialog, const SaverSettings& settings) {
  const bool now = settings.SunPos == kSunPosNow;
  SendDlgItemMessageW(dialog, IDC_SUNPOS, TBM_SETRANGE, TRUE, MAKELPARAM(0, kSunPosNow - 1));
  SendDlgItemMessageW(dialog, IDC_SUNPOS, TBM_SETPOS, TRUE, static_cast<LPARAM>(now ? kSunPosNow - 1 : settings.SunPos));
  SetCheck(dialog, IDC_SUNPOS_NOW, now);
  Enable(dialog, IDC_SUNPOS, !now);
}

void ReadSun(HWND dialog, SaverSettings& settings) {
  if (Checked(dialog, IDC_SUNPOS_NOW)) settings.SunPos = kSunPosNow;
  else ReadTrackbar(dialog, IDC_SUNPOS, settings, &SaverSettings::SunPos);
}

void Click(HWND dialog, int id) {
  SendDlgItemMessageW(dialog, id, BM_CLICK, 0, 0);
  SetCheck(dialog, id, true);
}

// The dialog's groups of three choices, their buttons in the order of the stored values.
using ChoiceButtons = int[3];
const ChoiceButtons kControlButtons = {IDC_MANUAL, IDC_AUTOMATIC, IDC_TOUR};
const ChoiceButtons kTerraformButtons = {IDC_TERRA_NO, IDC_TERRA_ONCE, IDC_TERRA_PERIODIC};
const ChoiceButtons kMonitorButtons = {IDC_MONITORS_EACH, IDC_MONITORS_SPAN, IDC_MONITORS_PRIMARY};

// Checks the button of a stored value; a value past the group's end checks the default's.
void ClickChoice(HWND dialog, const ChoiceButtons& buttons, const SaverSettings& settings,
                 uint32_t SaverSettings::*number) {
  const uint32_t value = settings.*number;
  Click(dialog, buttons[value < std::size(buttons) ? value : NumberDef(number)->defaultValue]);
}

// The stored value of the group's checked button; value as it was when none is checked.
void ReadChoice(HWND dialog, const ChoiceButtons& buttons, uint32_t& value) {
  for (uint32_t choice = 0; choice < std::size(buttons); ++choice)
    if (Checked(dialog, buttons[choice])) value = choice;
}

void InitDialog(HWND dialog) {
  ProbeGraphics();
  SaverSettings& settings = gSaverSettings;
  LoadSettings(settings);

  gDialog.levelCount = ScanLevelsIn(settings.DataPath, gDialog.levels, kLevelListCapacity);
  int selected = 0;
  for (int32_t i = 0; i < gDialog.levelCount; ++i) {
    wchar_t text[20];
    std::swprintf(text, std::size(text), L"%ld", static_cast<long>(gDialog.levels[i]));
    SendDlgItemMessageW(dialog, IDC_RESOLUTION, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
    if (static_cast<uint32_t>(gDialog.levels[i]) == settings.MaxPPD) selected = i;
  }
  if (gDialog.levelCount > 0) SendDlgItemMessageW(dialog, IDC_RESOLUTION, CB_SETCURSEL, selected, 0);
  // Which folder the saver reads and what it found there, or why it found nothing.
  char dataLine[kDataPathSize + 96];
  DescribeDataFolder(settings.DataPath, gDialog.levels, gDialog.levelCount, dataLine, sizeof dataLine);
  SetDlgItemTextW(dialog, IDC_DATA_STATUS, WideFromNarrow(dataLine).c_str());

  if (gDialog.shadowsSupported) SetCheck(dialog, IDC_SHADOWS, settings.Shadows);
  else Enable(dialog, IDC_SHADOWS, false);
  SetCheck(dialog, IDC_ATMOSPHERE, settings.Atmosphere);
  if (gDialog.largeTextures) SetCheck(dialog, IDC_CLOUDS, settings.Clouds);
  else Enable(dialog, IDC_CLOUDS, false);

  ClickChoice(dialog, kTerraformButtons, settings, &SaverSettings::TerraformMode);
  if (settings.TerraformMode < 2) Enable(dialog, IDC_PERIOD, false);
  ClickChoice(dialog, kControlButtons, settings, &SaverSettings::AutoControl);
  ClickChoice(dialog, kMonitorButtons, settings, &SaverSettings::Monitors);

  SetSun(dialog, settings);
  SetTrackbar(dialog, IDC_PERIOD, settings, &SaverSettings::TerraformPeriod);
  SetTrackbar(dialog, IDC_RELIEF, settings, &SaverSettings::ReliefExFactor);
}

void SaveDialog(HWND dialog) {
  SaverSettings& settings = gSaverSettings;
  // A box the hardware cannot draw was disabled: its stored value is carried through.
  if (gDialog.shadowsSupported) settings.Shadows = Checked(dialog, IDC_SHADOWS);
  settings.Atmosphere = Checked(dialog, IDC_ATMOSPHERE);
  if (gDialog.largeTextures) settings.Clouds = Checked(dialog, IDC_CLOUDS);
  ReadChoice(dialog, kControlButtons, settings.AutoControl);
  ReadChoice(dialog, kTerraformButtons, settings.TerraformMode);
  ReadChoice(dialog, kMonitorButtons, settings.Monitors);
  ReadSun(dialog, settings);
  ReadTrackbar(dialog, IDC_PERIOD, settings, &SaverSettings::TerraformPeriod);
  ReadTrackbar(dialog, IDC_RELIEF, settings, &SaverSettings::ReliefExFactor);
  const LRESULT selected = SendDlgItemMessageW(dialog, IDC_RESOLUTION, CB_GETCURSEL, 0, 0);
  if (selected >= 0 && selected < gDialog.levelCount) settings.MaxPPD = static_cast<uint32_t>(gDialog.levels[selected]);
  SaveSettings(settings);
}

void OpenHomePage() {
  SHELLEXECUTEINFOW info = {};
  info.cbSize = sizeof info;
  info.lpFile = kHomePage;
  info.nShow = SW_SHOWNORMAL;
  ShellExecuteExW(&info);
}

}  // namespace

BOOL WINAPI RegisterDialogClasses(HANDLE) {
  InitCommonControls();
  return TRUE;
}

BOOL WINAPI ScreenSaverConfigureDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      InitDialog(dialog);
      return TRUE;
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDC_TERRA_NO:
        case IDC_TERRA_ONCE:
          Enable(dialog, IDC_PERIOD, false);
          return TRUE;
        case IDC_TERRA_PERIODIC:
          Enable(dialog, IDC_PERIOD, true);
          return TRUE;
        case IDC_SUNPOS_NOW:
          Enable(dialog, IDC_SUNPOS, !Checked(dialog, IDC_SUNPOS_NOW));
          return TRUE;
        case IDC_WEBSITE:
          OpenHomePage();
          return TRUE;
        case IDOK:
          SaveDialog(dialog);
          EndDialog(dialog, 1);
          return TRUE;
        case IDCANCEL:
          EndDialog(dialog, 0);
          return TRUE;
        default:
          return FALSE;
      }
    case WM_CLOSE:
      EndDialog(dialog, 0);
      return TRUE;
    default:
      return FALSE;
  }
}
