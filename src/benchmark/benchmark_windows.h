// The benchmark's result window: this system's picture beside the farm's.
#pragma once

#include <optional>
#include <string>

#include "desktop/desktop.h"
#include "desktop/owned_window.h"
#include "picture/picture.h"

namespace torva {

struct ResultPictures {
  std::string title;
  std::string system_path, farm_path;
  std::string system_caption, farm_caption;
  std::optional<Picture> estimate_plot;  // shown in a window of its own
};

// Where the result window goes in `room` (WindowRoom): 1050 x 700 of
// pictures and a line under them, or all of it scaled down to fit.
struct ResultPlace {
  int x = 0, y = 0, width = 0, height = 0;
  int half_width = 0;  // of each picture
  double scale = 1;
};
ResultPlace PlaceResult(Rect room);

// Opens the result window and waits until it is closed (a close request of
// the main window ends the wait too). Missing pictures stay black.
void ShowResultWindow(Desktop& desktop, const ResultPictures& result);

}  // namespace torva
