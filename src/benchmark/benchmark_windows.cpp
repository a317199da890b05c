#include "benchmark/benchmark_windows.h"

namespace torva {
namespace {

constexpr Colour kWhite{255, 255, 255}, kBlack{0, 0, 0};
constexpr int kResultWidth = 1050, kResultHeight = 700;
constexpr int kHalfWidth = kResultWidth / 2;

Picture LoadOr(const std::string& path, Picture fallback) {
  std::optional<Picture> loaded = LoadJpeg(path);
  return loaded ? std::move(*loaded) : std::move(fallback);
}

}  // namespace

// The chart of the estimates opens first, beside where the result goes, so
// that the result window is the newest: closing the chart only closes the
// chart; closing the result (or the main window) ends the wait.
void ShowResultWindow(Desktop& desktop, const ResultPictures& result) {
  constexpr WindowId kNone = -1;
  WindowId plot = kNone;
  if (result.estimate_plot) {
    WindowLayout plot_layout;
    plot_layout.title = "TORVAmeter benchmark - estimates of PHASE 1";
    plot_layout.width = result.estimate_plot->width;
    plot_layout.height = result.estimate_plot->height;
    plot_layout.x = kResultWidth + 7;
    plot_layout.y = 20;
    plot_layout.closable = true;
    plot = desktop.OpenWindow(plot_layout).value_or(kNone);
    if (plot != kNone) desktop.ShowPicture(plot, 0, 0, *result.estimate_plot);
  }
  auto close_plot = [&] {
    if (plot == kNone) return;
    desktop.RemovePictures(plot);
    desktop.CloseWindow(plot);
    plot = kNone;
  };

  WindowLayout layout;
  layout.title = result.title;
  layout.width = kResultWidth;
  layout.height = kResultHeight;
  layout.x = 0;
  layout.y = 20;
  layout.closable = true;
  std::optional<WindowId> window = desktop.OpenWindow(layout);
  if (!window) {
    close_plot();
    return;
  }

  Picture system =
      ScalePicture(LoadOr(result.system_path, BlankPicture(768, 1024)), kHalfWidth, kResultHeight);
  Picture farm =
      ScalePicture(LoadOr(result.farm_path, BlankPicture(768, 1024)), kHalfWidth, kResultHeight);
  DrawCaption(system, result.system_caption, 135, 676, kWhite, kBlack);
  DrawCaption(farm, result.farm_caption, 135, 676, kWhite, kBlack);
  auto draw = [&] {
    desktop.ShowPicture(*window, 0, 0, system);
    desktop.ShowPicture(*window, kHalfWidth, 0, farm);
  };
  draw();

  for (;;) {
    const Event event = desktop.WaitEvent();
    if (event.type == EventType::kCloseWindow &&
        (event.window == *window || event.window == kMainWindow))
      break;
    if (event.type == EventType::kCloseWindow && plot != kNone && event.window == plot)
      close_plot();
    if (event.type == EventType::kRepaint && event.window == *window) draw();
    if (event.type == EventType::kRepaint && plot != kNone && event.window == plot)
      desktop.ShowPicture(plot, 0, 0, *result.estimate_plot);
  }

  close_plot();
  desktop.RemovePictures(*window);
  desktop.CloseWindow(*window);
}

}  // namespace torva
