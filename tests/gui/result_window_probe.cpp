// The benchmark's result window on the FLTK desktop, for the GUI tests: two
// pictures that cannot be read (black) with their captions. Prints "closed"
// once the window is closed. With "--chart", a chart of PHASE 1 goes with it;
// a chart left open is closed on request ("chart closed"), and a close of the
// main window ends the probe.
#include <cstdio>
#include <string>

#include "benchmark/benchmark_windows.h"
#include "desktop/fltk/fltk_desktop.h"
#include "picture/time_chart.h"

int main(int argc, char** argv) {
  torva::FltkDesktop desktop;
  if (!desktop.OpenMainWindow("Result probe", torva::BlankPicture(405, 89))) return 2;
  torva::ResultPictures result;
  result.title = "Probe result";
  result.system_path = result.farm_path = "/nonexistent.jpg";
  result.system_caption = "Your system (1 mn render - SL = 12.00)";
  result.farm_caption = "The TORVA (1 mn render - SL = 14.90)";
  const bool chart = argc == 2 && std::string(argv[1]) == "--chart";
  if (chart) {
    torva::TimeChart plot;
    plot.title = "Probe chart";
    plot.points = {{60, 600}, {120, 640}, {180, 620}};
    result.estimate_plot = torva::DrawTimeChart(plot);
  }
  std::puts("ready");
  std::fflush(stdout);
  torva::ShowResultWindow(desktop, result);
  std::puts("closed");
  std::fflush(stdout);
  while (chart) {
    const torva::Event event = desktop.WaitEvent();
    if (event.type != torva::EventType::kCloseWindow) continue;
    if (event.window == torva::kMainWindow) break;
    desktop.CloseWindow(event.window);
    std::puts("chart closed");
    break;
  }
  return 0;
}
