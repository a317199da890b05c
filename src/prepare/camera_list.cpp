#include "prepare/camera_list.h"

#include <algorithm>
#include <cstdio>
#include <sstream>

#include "text/whole_file.h"

namespace torva {

CameraFile ReadCameraLines(const std::string& path) {
  const BoundedFile file = ReadBoundedFile(path);
  if (file.status == BoundedFile::Status::kTooLarge)
    return {.lines = std::nullopt, .too_large = true};
  if (file.content.empty()) return {};
  std::istringstream in(file.content);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return {.lines = std::move(lines), .too_large = false};
}

bool WriteCameras(const std::string& path, const std::vector<Camera>& cameras) {
  std::string text;
  for (const Camera& camera : cameras) text += CameraLine(camera) + "\n";
  return WriteWholeFile(path, text);
}

int CameraWindowHeight(int count, int room_height) {
  return std::min(count * 40 + 20, room_height);
}

}  // namespace torva
