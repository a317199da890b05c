// The benchmark's result window: this system's picture beside the farm's.
#pragma once

#include <optional>
#include <string>

#include "platform/desktop.h"
#include "platform/picture.h"

namespace torva {

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
