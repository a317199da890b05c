// The window that shows the renderer's picture while it renders, beside the
// main window (below or left of it when the screen is too narrow), with a
// caption.
#pragma once

#include <chrono>
#include <optional>
#include <string>

#include "desktop/desktop.h"
#include "desktop/owned_window.h"
#include "picture/picture.h"
#include "picture/scaled_jpeg_reader.h"
#include "platform/file_stamp.h"

namespace torva {

struct PreviewLayout {
  std::string title;
  int window_width = 0, window_height = 0;
  int picture_width = 0, picture_height = 0;
  int caption_x = 0, caption_y = 0;
  bool closable = false;  // closing it is then the command's to handle
};

// How often the picture file may be read again: at least `least` apart, and
// far enough apart that reading takes at most `cpu_share` of a processor
// (a large render's picture, or a slow machine, is read less often). The
// default leaves the whole watching window under 0.1 % of a core: a picture
// that takes 2 ms to decode and scale is read every 4 s at most. A share of
// 0 sets no such bound.
struct RereadPace {
  std::chrono::milliseconds least{1000};
  double cpu_share = 0.0005;
};
// The pause after a read that cost `cpu_cost` of processor time.
std::chrono::milliseconds PauseAfterRead(const RereadPace& pace,
                                         std::chrono::duration<double> cpu_cost);

// Where a preview of `width` x `height` goes, given the main window's inside
// `main`: beside it (7 pixels right of it, the tops level), else below it,
// else left of it, inside the screen's work area and never over the main
// window. Where it fits whole nowhere, it is scaled down to the largest size
// one of those places holds, but not below half its size or kLeastPreviewWidth
// pixels wide, whichever is less: then it goes at half its size over the main
// window's lower right part instead.
// Positions are of the inside, `m` the frame.
inline constexpr double kLeastPreviewScale = 0.5;
inline constexpr int kLeastPreviewWidth = 320;
struct PreviewPlace {
  int x = 0, y = 0;
  double scale = 1;  // below 1 when scaled down
};
PreviewPlace PlacePreview(Rect main, Rect screen, Margins m, int width, int height);

class PreviewWindow {
 public:
  PreviewWindow(Desktop& desktop, const PreviewLayout& layout, std::string picture_path,
                RereadPace pace = {});
  PreviewWindow(const PreviewWindow&) = delete;
  PreviewWindow& operator=(const PreviewWindow&) = delete;

  // Shows the renderer's latest picture with `caption` over it. The file is
  // read again only when it changed, and no sooner than its pace allows; a
  // picture that cannot be read leaves the previous one (none at first).
  // Nothing is read on a desktop that shows no pictures.
  void Refresh(const std::string& caption);
  std::optional<WindowId> id() const { return window_.id(); }
  void Close() { window_.Close(); }

 private:
  using Clock = std::chrono::steady_clock;

  struct Placed {
    PreviewLayout preview;  // scaled to the place
    WindowLayout window;
  };
  static Placed Place(Desktop& desktop, const PreviewLayout& preview);
  PreviewWindow(Desktop& desktop, const Placed& placed, std::string picture_path, RereadPace pace);
  void RereadIfChanged();

  PreviewLayout layout_;
  std::string picture_path_;
  RereadPace pace_;
  bool seen_;  // the desktop shows pictures
  ScaledJpegReader reader_;
  OwnedWindow window_;
  std::optional<FileStamp> shown_stamp_;  // of the file behind `shown_`
  Clock::time_point next_read_{};
  Picture shown_;  // scaled; kept across refreshes
};

}  // namespace torva
