#include "watch/preview_window.h"

#include <algorithm>
#include <cmath>
#include <ctime>
#include <utility>

namespace torva {
namespace {

int Between(int value, int low, int high) { return std::max(low, std::min(value, high)); }

int Scaled(int pixels, double scale) { return static_cast<int>(std::lround(pixels * scale)); }

PreviewLayout ScaledLayout(PreviewLayout layout, double scale) {
  if (scale >= 1) return layout;
  layout.window_width = std::max(2, Scaled(layout.window_width, scale));
  layout.window_height = std::max(2, Scaled(layout.window_height, scale));
  layout.picture_width = std::max(1, Scaled(layout.picture_width, scale));
  layout.picture_height = std::max(1, Scaled(layout.picture_height, scale));
  layout.caption_x = Scaled(layout.caption_x, scale);
  layout.caption_y = Scaled(layout.caption_y, scale);
  return layout;
}

}  // namespace

PreviewPlace PlacePreview(Rect main, Rect screen, Margins m, int width, int height) {
  // The insides a window may take beside, below and left of the main window,
  // its frame kept off the main window's and on the screen.
  const int top = screen.y + m.top, bottom = screen.y + screen.height - m.bottom;
  const int left = screen.x + m.left, right = screen.x + screen.width - m.right;
  const int beside = main.x + main.width + kWindowGap;
  const int below = main.y + main.height + m.bottom + kWindowGap + m.top;
  const int left_end = main.x - m.left - kWindowGap - m.right;
  struct Room {
    Rect area;
    int x, y;  // where the preview would go in it, before it is kept inside
  };
  const Room rooms[] = {
      {{beside, top, right - beside, bottom - top}, beside, main.y},
      {{left, below, right - left, bottom - below}, main.x, below},
      {{left, top, left_end - left, bottom - top}, left_end - width, main.y},
  };
  const Room* best = nullptr;
  double best_scale = -1;
  for (const Room& room : rooms) {
    const double scale = std::min({1.0, static_cast<double>(room.area.width) / width,
                                   static_cast<double>(room.area.height) / height});
    if (scale > best_scale) {
      best = &room;
      best_scale = scale;
    }
    if (scale >= 1) break;
  }
  PreviewPlace place;
  // Smaller than half its size, or than a width that still shows the
  // picture, a preview is a stamp: it goes over the main window's lower
  // right part instead, where the user can move it, at half its size.
  const double least =
      std::min(kLeastPreviewScale, static_cast<double>(kLeastPreviewWidth) / width);
  if (best_scale < least) {
    place.scale = std::min({kLeastPreviewScale, static_cast<double>(right - left) / width,
                            static_cast<double>(bottom - top) / height});
    const int w = Scaled(width, place.scale), h = Scaled(height, place.scale);
    // On the right, off the stop buttons ("Estimate project", "Benchmark").
    place.x = Between(main.x + main.width - w, left, right - w);
    place.y = Between(main.y + main.height / 2, top, bottom - h);
    return place;
  }
  place.scale = best_scale;
  const int w = Scaled(width, std::min(1.0, place.scale));
  const int h = Scaled(height, std::min(1.0, place.scale));
  const Rect& area = best->area;
  place.x = Between(best == &rooms[2] ? left_end - w : best->x, area.x, area.x + area.width - w);
  place.y = Between(best->y, area.y, area.y + area.height - h);
  return place;
}

PreviewWindow::Placed PreviewWindow::Place(Desktop& desktop, const PreviewLayout& preview) {
  const PreviewPlace place =
      PlacePreview(desktop.MainWindowFrame(), desktop.ScreenArea(), desktop.WindowMargins(),
                   preview.window_width, preview.window_height);
  Placed placed{ScaledLayout(preview, place.scale), {}};
  WindowLayout& layout = placed.window;
  layout.kind = WindowKind::kPicture;
  layout.title = preview.title;
  layout.width = placed.preview.window_width;
  layout.height = placed.preview.window_height;
  layout.closable = preview.closable;
  layout.x = place.x;
  layout.y = place.y;
  return placed;
}

std::chrono::milliseconds PauseAfterRead(const RereadPace& pace,
                                         std::chrono::duration<double> cpu_cost) {
  if (pace.cpu_share <= 0) return pace.least;
  const std::chrono::duration<double> fair = cpu_cost / pace.cpu_share;
  return std::max(pace.least, std::chrono::ceil<std::chrono::milliseconds>(fair));
}

PreviewWindow::PreviewWindow(Desktop& desktop, const PreviewLayout& layout,
                             std::string picture_path, RereadPace pace)
    : PreviewWindow(desktop, Place(desktop, layout), std::move(picture_path), pace) {}

PreviewWindow::PreviewWindow(Desktop& desktop, const Placed& placed, std::string picture_path,
                             RereadPace pace)
    : layout_(placed.preview),
      picture_path_(std::move(picture_path)),
      pace_(pace),
      seen_(desktop.ShowsPictures()),
      reader_(layout_.picture_width, layout_.picture_height),
      window_(desktop, placed.window) {}

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
  if (!window_.id() || !seen_) return;
  RereadIfChanged();
  if (!shown_stamp_) return;
  shown_.caption = caption;
  shown_.overlay = CaptionOverlay{layout_.caption_x, layout_.caption_y};
  window_.Show(0, 0, shown_);
}

}  // namespace torva
