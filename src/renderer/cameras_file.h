// The lines of "cameras.txt": the camera script writes one per camera,
// "name;WxH, Fmm[, active]"; the preparation adds the render mark (";1" to
// render, ";0" not), which the estimation reads back.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace torva {

struct Camera {
  std::string name;            // before the line's first ";"
  std::string details;         // after it, as the script wrote them
  int width = 0, height = 0;   // 0 when the details give no size
  std::optional<double> lens;  // focal length in mm
  bool active = false;         // the scene's active camera
  std::optional<bool> chosen;  // the render mark; nullopt before the choice
};

// One line of the file, with or without its render mark.
Camera ReadCameraLine(std::string_view line);

// The camera's line: "name;details", then ";1" or ";0" once it is chosen or not.
std::string CameraLine(const Camera& camera);

// "name (details)", the mark among the details once there is one: the check
// box's label and the project log's line.
std::string CameraLabel(const Camera& camera);

}  // namespace torva
