// A project archive unpacked with 7za into the emptied work folder.
#pragma once

#include <optional>
#include <string>

#include "estimate/estimation_steps.h"
#include "estimate/work_folder.h"

namespace torva {

inline constexpr const char* kCannotUncompress = "The project archive cannot be uncompressed!";

// nullopt when unpacked; else the message to show. Only plain files stay in
// the work folder, whatever the archive held. A close request of the main
// window meanwhile asks whether to stop and quit; when the user chose to, 7za
// was ended and the state's `quit_requested` is set (the message is not for
// them).
std::optional<std::string> Unpack(Estimation& run, const std::string& vum_path);

// The size of the camera to render, from the archive's "cameras.txt" alone
// (unpacked into the work folder, which is then removed); nullopt when the
// archive does not say. A close request meanwhile asks, as Unpack's does.
std::optional<CameraSize> CameraSizeInArchive(Estimation& run, const std::string& vum_path);

}  // namespace torva
