// "Prepare project": from a scene on the user's disk to a ".vum" archive
// holding the scene, every file it needs, the camera choice and two logs.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "renderer/cameras_file.h"
#include "state/outcome.h"
#include "state/program.h"

namespace torva {

// How a preparation ended and what it made.
struct PreparationOutcome : Outcome {
  std::string scene;               // the user's scene
  std::vector<std::string> files;  // gathered into the project, the scene first
  std::vector<Camera> cameras;     // with their render marks
  std::string archive;             // "" unless one was packed
  std::uintmax_t archive_bytes = 0;
  bool fastest = false;  // a zip packed at maximum speed, else 7z at maximum compression
};

struct PreparationOptions {
  // Told the scene's cameras once they are listed, before they are chosen.
  std::function<void(const std::vector<Camera>&)> on_cameras = nullptr;
};

PreparationOutcome RunPrepareProject(Program& program, const PreparationOptions& options = {});

}  // namespace torva
