// A project archive unpacked with 7za into the emptied work folder.
#pragma once

#include <optional>
#include <string>

#include "state/program.h"

namespace torva {

inline constexpr const char* kCannotUncompress = "The project archive cannot be uncompressed!";

struct Unpacking {
  bool quit = false;                   // the user chose to quit meanwhile; 7za was ended
  std::optional<std::string> failure;  // the message to show
};

// Only plain files stay in the work folder, whatever the archive held. A close
// request of the main window meanwhile asks whether to stop and quit.
Unpacking Unpack(Program& program, const std::string& vum_path);

}  // namespace torva
