#include "render/preview_window.h"

#include <sys/stat.h>

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

PreviewWindow::PreviewWindow(Desktop& desktop, const PreviewLayout& layout,
                             std::string picture_path, std::chrono::milliseconds reread_interval)
    : desktop_(desktop),
      layout_(layout),
      picture_path_(std::move(picture_path)),
      reread_interval_(reread_interval),
      window_(desktop.OpenWindow(PlacedLayout(desktop, layout))) {}

void PreviewWindow::Close() {
  if (!window_) return;
  desktop_.RemovePictures(*window_);
  desktop_.CloseWindow(*window_);
  window_.reset();
}

std::optional<PreviewWindow::FileStamp> PreviewWindow::StampOf() const {
  struct stat info {};
  if (::stat(picture_path_.c_str(), &info) != 0) return std::nullopt;
  return FileStamp{info.st_dev, info.st_ino, info.st_size,
                   info.st_mtim.tv_sec * 1'000'000'000LL + info.st_mtim.tv_nsec};
}

// The renderer rewrites its picture every few seconds while Refresh comes
// with every line it prints: decoding and scaling only when the file changed
// keeps watching nearly free.
void PreviewWindow::RereadIfChanged() {
  const std::optional<FileStamp> stamp = StampOf();
  if (!stamp || stamp == shown_stamp_) return;
  const Clock::time_point now = Clock::now();
  if (last_read_ && now - *last_read_ < reread_interval_) return;
  last_read_ = now;
  std::optional<Picture> read = LoadJpeg(picture_path_);
  if (!read) return;  // half written: the next refresh tries again
  shown_ = ScalePicture(*read, layout_.picture_width, layout_.picture_height);
  shown_.source = picture_path_;
  shown_stamp_ = stamp;
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
