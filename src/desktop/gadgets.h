// The main window's gadgets: their numbers, places and labels. The FLTK window
// is built from this table, the scripted desktop takes its buttons from it, and
// the GUI tests read it from `torvameter-sandbox --gadget-table`, so a button
// is described here and nowhere else.
#pragma once

#include <string>

namespace torva {

inline constexpr int kMainWindowWidth = 440;
inline constexpr int kMainWindowHeight = 640;

// The buttons, one row each, in the order the window creates them:
// ROW(name, gadget number, x, y, width, height, label). Scripted answer files
// press buttons by number, so a number never changes.
#define TM_MAIN_WINDOW_BUTTONS(ROW)                               \
  ROW(kPrepareProject, 5, 4, 572, 112, 18, "Prepare project")     \
  ROW(kEstimateProject, 7, 118, 572, 116, 18, "Estimate project") \
  ROW(kUploadProject, 4, 236, 572, 112, 18, "Upload project")     \
  ROW(kCpuDetect, 13, 351, 572, 86, 18, "CPU detect")             \
  ROW(kPriceInfo, 8, 4, 594, 78, 18, "Price info")                \
  ROW(kConfig, 11, 86, 594, 62, 18, "Config")                     \
  ROW(kBenchmark, 6, 152, 594, 88, 18, "Benchmark")               \
  ROW(kHelp, 10, 244, 594, 52, 18, "Help")                        \
  ROW(kAbout, 9, 300, 594, 58, 18, "About")                       \
  ROW(kUpdates, 12, 362, 594, 70, 18, "Updates")

// Gadget numbers. There is no gadget 2.
enum Gadget : int {
  kLogo = 0,
  kLogPanel = 1,
  kProgressBar = 3,
#define TM_GADGET_NUMBER(name, number, ...) name = (number),
  TM_MAIN_WINDOW_BUTTONS(TM_GADGET_NUMBER)
#undef TM_GADGET_NUMBER
};

struct GadgetPlace {
  int gadget;
  int x, y, width, height;  // inside the main window
  const char* label;        // empty for the gadgets that are not buttons
};

inline constexpr GadgetPlace kLogoPlace{kLogo, 10, 2, 403, 89, ""};
inline constexpr GadgetPlace kLogPanelPlace{kLogPanel, 3, 97, 436, 472, ""};
inline constexpr GadgetPlace kProgressBarPlace{kProgressBar, 4, 610, 439, 28, ""};

inline constexpr GadgetPlace kButtonPlaces[] = {
#define TM_BUTTON_PLACE(name, number, x, y, width, height, label) \
  {name, x, y, width, height, label},
    TM_MAIN_WINDOW_BUTTONS(TM_BUTTON_PLACE)
#undef TM_BUTTON_PLACE
};

// One line per gadget, the three that are not buttons first, then the
// buttons: "NUMBER X Y WIDTH HEIGHT LABEL" (the label may be empty or hold
// blanks; it runs to the end of the line).
std::string GadgetTableText();

}  // namespace torva
