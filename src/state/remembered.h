// What the window remembers between runs besides the settings, whose file
// keeps its fixed ten lines: where the main window stood and how large it
// was, and the latest sampling level asked for. A small text file of its own
// under the user's state folder.
#pragma once

#include <optional>
#include <string>

#include "desktop/desktop.h"

namespace torva {

struct Remembered {
  std::optional<Rect> main_window;  // its frame's corner and its inside's size
  std::string sampling_level;
};

// Nothing remembered when the file is missing, unreadable or malformed.
Remembered ReadRemembered(const std::string& path);
// Replaces the file whole (its folder made when missing); false on failure.
bool WriteRemembered(const std::string& path, const Remembered& remembered);

}  // namespace torva
