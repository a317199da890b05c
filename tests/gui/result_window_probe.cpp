// The benchmark's result window on the FLTK desktop, for the GUI tests: two
// pictures that cannot be read (black) with their captions. Prints "closed"
// once the window is closed.
#include <cstdio>

#include "benchmark/benchmark_windows.h"
#include "desktop/fltk/fltk_desktop.h"

int main() {
  torva::FltkDesktop desktop;
  if (!desktop.OpenMainWindow("Result probe", torva::BlankPicture(405, 89))) return 2;
  torva::ResultPictures result;
  result.title = "Probe result";
  result.system_path = result.farm_path = "/nonexistent.jpg";
  result.system_caption = "Your system (1 mn render - SL = 12.00)";
  result.farm_caption = "The TORVA (1 mn render - SL = 14.90)";
  std::puts("ready");
  std::fflush(stdout);
  torva::ShowResultWindow(desktop, result);
  std::puts("closed");
  return 0;
}
