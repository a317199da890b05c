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

// A picture window of its own that may be closed before the result window.
class PictureWindow {
 public:
  // No window at all without a layout.
  PictureWindow(Desktop& desktop, const std::optional<WindowLayout>& layout) : desktop_(desktop) {
    if (layout) window_ = desktop.OpenWindow(*layout);
  }
  ~PictureWindow() { Close(); }
  PictureWindow(const PictureWindow&) = delete;
  PictureWindow& operator=(const PictureWindow&) = delete;

  bool Is(WindowId window) const { return window_ && *window_ == window; }
  bool Open() const { return window_.has_value(); }
  void Show(int x, const Picture& picture) {
    if (window_) desktop_.ShowPicture(*window_, x, 0, picture);
  }
  void Close() {
    if (!window_) return;
    desktop_.RemovePictures(*window_);
    desktop_.CloseWindow(*window_);
    window_.reset();
  }

 private:
  Desktop& desktop_;
  std::optional<WindowId> window_;
};

WindowLayout ClosableLayout(const std::string& title, int width, int height, int x) {
  WindowLayout layout;
  layout.title = title;
  layout.width = width;
  layout.height = height;
  layout.x = x;
  layout.y = 20;
  layout.closable = true;
  return layout;
}

Picture CaptionedHalf(const std::string& path, const std::string& caption) {
  Picture half = ScalePicture(LoadOr(path, BlankPicture(768, 1024)), kHalfWidth, kResultHeight);
  DrawCaption(half, caption, 135, 676, kWhite, kBlack);
  return half;
}

}  // namespace

// The chart of the estimates opens first, beside where the result goes, so
// that the result window is the newest: closing the chart only closes the
// chart; closing the result (or the main window) ends the wait.
void ShowResultWindow(Desktop& desktop, const ResultPictures& result) {
  const std::optional<Picture>& plot = result.estimate_plot;
  PictureWindow chart(
      desktop, plot ? std::optional(ClosableLayout("TORVAmeter benchmark - estimates of PHASE 1",
                                                   plot->width, plot->height, kResultWidth + 7))
                    : std::nullopt);
  if (plot) chart.Show(0, *plot);
  PictureWindow window(desktop, ClosableLayout(result.title, kResultWidth, kResultHeight, 0));
  if (!window.Open()) return;
  const Picture system = CaptionedHalf(result.system_path, result.system_caption);
  const Picture farm = CaptionedHalf(result.farm_path, result.farm_caption);
  auto draw = [&] {
    window.Show(0, system);
    window.Show(kHalfWidth, farm);
  };
  draw();

  for (;;) {
    const Event event = desktop.WaitEvent();
    const bool close = event.type == EventType::kCloseWindow;
    const bool repaint = event.type == EventType::kRepaint;
    if (close && (window.Is(event.window) || event.window == kMainWindow)) break;
    if (close && chart.Is(event.window)) chart.Close();
    if (repaint && window.Is(event.window)) draw();
    if (repaint && chart.Is(event.window)) chart.Show(0, *plot);
  }
  chart.Close();  // the chart goes first, as it came first
  window.Close();
}

}  // namespace torva
