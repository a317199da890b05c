#include "render/preview_window.h"

#include <algorithm>
#include <ctime>
#include <utility>

namespace torva {
namespace {

constexpr int kGap = 7;

// Beside the main window so that its stop button stays in sight, or below it
// when the screen is too narrow for that.
WindowLayout PlacedLayout(Desktop& desktop, const PreviewLayout& preview) {
  const Rect main = desktop.MainWindowFrame();
  const Rect screen = desktop.ScreenArea();
  WindowLayout layout;
  layout.kind = WindowKind::kPicture;
  layout.title = preview.title;
  layout.width = preview.window_width;
  layout.height = preview.window_height;
  layout.closable = preview.closable;
  layout.x = main.x + main.width + kGap;
  layout.y = main.y;
  const bool fits_beside = *layout.x + layout.width <= screen.x + screen.width;
  const bool fits_below = main.y + main.height + kGap + layout.height <= screen.y + screen.height;
  if (!fits_beside && fits_below) {
    layout.x = main.x;
    layout.y = main.y + main.height + kGap;
  }
  return layout;
}

}  // namespace

std::chrono::milliseconds PauseAfterRead(const RereadPace& pace,
                                         std::chrono::duration<double> cpu_cost) {
  if (pace.cpu_share <= 0) return pace.least;
  const std::chrono::duration<double> fair = cpu_cost / pace.cpu_share;
  return std::max(pace.least, std::chrono::ceil<std::chrono::milliseconds>(fair));
}

PreviewWindow::PreviewWindow(Desktop& desktop, const PreviewLayout& layout,
                             std::string picture_path, RereadPace pace)
    : desktop_(desktop),
      layout_(layout),
      picture_path_(std::move(picture_path)),
      pace_(pace),
      reader_(layout.picture_width, layout.picture_height),
      window_(desktop.OpenWindow(PlacedLayout(desktop, layout))) {}

void PreviewWindow::Close() {
  if (!window_) return;
  desktop_.RemovePictures(*window_);
  desktop_.CloseWindow(*window_);
  window_.reset();
}

// The renderer rewrites its picture every few seconds while Refresh comes
// with every line it prints: decoding and scaling only when the file changed
// keeps watching nearly free.
void PreviewWindow::RereadIfChanged() {
  const std::optional<FileStamp> stamp = StampOf(picture_path_);
  if (!stamp || stamp == shown_stamp_) return;
  const Clock::time_point now = Clock::now();
  if (now < next_read_) return;
  const std::clock_t cpu_before = std::clock();
  const bool read = reader_.Read(picture_path_, shown_);
  const std::chrono::duration<double> cost(static_cast<double>(std::clock() - cpu_before) /
                                           CLOCKS_PER_SEC);
  next_read_ = now + PauseAfterRead(pace_, cost);
  if (read) shown_stamp_ = stamp;  // else half written: a later refresh tries again
}

void PreviewWindow::Refresh(const std::string& caption) {
  if (!window_) return;
  RereadIfChanged();
  if (!shown_stamp_) return;
  shown_.caption = caption;
  shown_.overlay = CaptionOverlay{layout_.caption_x, layout_.caption_y};
  desktop_.ShowPicture(*window_, 0, 0, shown_);
}

}  // namespace torva
