// "cameras.txt" read and written whole (its lines: renderer/cameras_file.h),
// and the window in which the cameras are chosen.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "renderer/cameras_file.h"

namespace torva {

struct CameraFile {
  std::optional<std::vector<std::string>> lines;  // nullopt when missing, empty or too large
  bool too_large = false;                         // over kMaxTextFileBytes
};
// The file's lines, read only from a regular file of a bounded size.
CameraFile ReadCameraLines(const std::string& path);

// Writes the cameras' lines whole; false when the file cannot be written.
bool WriteCameras(const std::string& path, const std::vector<Camera>& cameras);

// The height of the window listing `count` cameras, 40 pixels each and 20
// more, but no more than `room_height` (WindowRoom's); the list scrolls
// inside it then.
int CameraWindowHeight(int count, int room_height);

}  // namespace torva
