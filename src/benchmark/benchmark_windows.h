// The benchmark's pictures: the preview during the one-minute render and the
// result window beside the farm's picture.
#pragma once

#include <optional>
#include <string>

#include "platform/desktop.h"
#include "platform/picture.h"

namespace torva {

// The 480 x 640 preview beside the main window; closed when it goes.
class PreviewWindow {
 public:
  PreviewWindow(Desktop& desktop, const std::string& title, const std::string& picture_path);
  ~PreviewWindow();
  PreviewWindow(const PreviewWindow&) = delete;
  PreviewWindow& operator=(const PreviewWindow&) = delete;

  // Loads the picture again and shows it with "Current SL = " + `sl`. A
  // picture that cannot be loaded leaves the previous one in its place.
  void Refresh(float sl);

 private:
  Desktop& desktop_;
  std::optional<WindowId> window_;
  std::string picture_path_;
  Picture system_;  // the last picture loaded, blank at first
};

struct ResultPictures {
  std::string title;
  std::string system_path, farm_path;
  std::string system_caption, farm_caption;
  std::optional<Picture> estimate_plot;  // shown in a window of its own
};

// Opens the 1050 x 700 result window and waits until it is closed (a close
// request of the main window ends the wait too). Missing pictures stay black.
void ShowResultWindow(Desktop& desktop, const ResultPictures& result);

}  // namespace torva
