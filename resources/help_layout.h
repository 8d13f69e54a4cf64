// What the help picture shows and where: panel colours, frame, the title, and the manual-control
// key table with its column and row positions. make_pictures draws from it; the overlay tests
// check the generated picture against it.
#pragma once

#include <cstdint>

#include "resources/pictures.h"

struct HelpColour {
  uint8_t r, g, b;
};

// The panel: a transparent margin, then an opaque frame, then the panel itself at kHelpPanelAlpha
// so the globe shows through. All three share one colour.
constexpr HelpColour kHelpPanelColour{32, 83, 105};
constexpr uint8_t kHelpPanelAlpha = 74;
constexpr int32_t kHelpMargin = 2;
constexpr int32_t kHelpFrameWidth = 6;
constexpr int32_t kHelpCornerRadius = 10;  // outer edge of the frame; the inner edge follows it

// Title, headings and actions in white; modifier, key and mouse entries in light yellow.
constexpr HelpColour kHelpWhite{255, 255, 255};
constexpr HelpColour kHelpYellow{255, 255, 180};

// Text sizes in pixels per em; positions in picture pixels, y down from the top edge.
constexpr int32_t kHelpTitleSize = 24;
constexpr int32_t kHelpTitleBaseline = 42;
constexpr int32_t kHelpTextSize = 16;
constexpr int32_t kHelpHeadingBaseline = 76;
constexpr int32_t kHelpFirstRowBaseline = 104;
constexpr int32_t kHelpRowPitch = 22;

constexpr const char* kHelpTitle = "Manual Control Help";

constexpr int32_t kHelpColumnCount = 4;
constexpr int32_t kHelpColumnX[kHelpColumnCount] = {26, 86, 228, 308};
constexpr const char* kHelpHeadings[kHelpColumnCount] = {"Mod.", "Key", "Mouse", "Action"};

// Cells in column order; "" leaves a cell empty. The last column is the action (white), the
// others are entries (yellow).
struct HelpRow {
  const char* cells[kHelpColumnCount];
};

constexpr HelpRow kHelpRows[] = {
    {{"", "PgUp, PgDown", "Wheel", "zoom in, zoom out"}},
    {{"Ctrl", "PgUp, PgDown", "Wheel", "rotate around"}},
    {{"", "<, >", "", "ditto"}},
    {{"", "Arrow keys", "Move", "move around"}},
    {{"Ctrl", "Arrow keys", "Move", "rotate up and down"}},
    {{"", "I, J, K, L", "", "ditto"}},
    {{"", "Space bar", "", "toggle terraformation"}},
    {{"", "Home", "LB", "reset position"}},
    {{"", "End", "RB", "cancel up and down rotation"}},
    {{"", "Number keys", "", "set relief ex. factor to 1-10"}},
    {{"", "+, -", "", "incr., decr. relief ex. factor"}},
    {{"", "F1", "", "show this screen"}},
    {{"", "F2", "", "save screenshot to Desktop"}},
    {{"", "Esc", "", "hide this screen, exit"}},
    {{"", "Other keys", "", "default (exit)"}},
};
constexpr int32_t kHelpRowCount = static_cast<int32_t>(sizeof(kHelpRows) / sizeof(kHelpRows[0]));
constexpr int32_t kHelpActionColumn = kHelpColumnCount - 1;

constexpr int32_t HelpRowBaseline(int32_t row) { return kHelpFirstRowBaseline + row * kHelpRowPitch; }
