// The window that shows the renderer's picture while it renders, beside the
// main window (below it when the screen is too narrow), with a caption.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <optional>
#include <string>

#include "platform/desktop.h"
#include "platform/picture.h"

namespace torva {

struct PreviewLayout {
  std::string title;
  int window_width = 0, window_height = 0;
  int picture_width = 0, picture_height = 0;
  int caption_x = 0, caption_y = 0;
  bool closable = false;  // closing it is then the command's to handle
};

class PreviewWindow {
 public:
  PreviewWindow(Desktop& desktop, const PreviewLayout& layout, std::string picture_path,
                std::chrono::milliseconds reread_interval = std::chrono::seconds(1));
  ~PreviewWindow() { Close(); }
  PreviewWindow(const PreviewWindow&) = delete;
  PreviewWindow& operator=(const PreviewWindow&) = delete;

  // Shows the renderer's latest picture with `caption` over it. The file is
  // read again only when it changed, and at most once per reread interval; a
  // picture that cannot be read leaves the previous one (none at first).
  void Refresh(const std::string& caption);
  std::optional<WindowId> id() const { return window_; }
  void Close();

 private:
  struct FileStamp {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    long long modified_ns = 0;
    bool operator==(const FileStamp&) const = default;
  };
  using Clock = std::chrono::steady_clock;

  std::optional<FileStamp> StampOf() const;
  void RereadIfChanged();

  Desktop& desktop_;
  PreviewLayout layout_;
  std::string picture_path_;
  std::chrono::milliseconds reread_interval_;
  std::optional<WindowId> window_;
  std::optional<FileStamp> shown_stamp_;  // of the file behind `shown_`
  std::optional<Clock::time_point> last_read_;
  Picture shown_;  // scaled; kept across refreshes
};

}  // namespace torva
