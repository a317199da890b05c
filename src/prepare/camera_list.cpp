#include "prepare/camera_list.h"

#include <algorithm>
#include <cstdio>
#include <sstream>

#include "text/text.h"
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

bool WriteCameraLines(const std::string& path, const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\n";
  return WriteWholeFile(path, text);
}

std::string CameraLabel(const std::string& line) {
  return TextBefore(line, ";") + " (" + TextAfter(line, ";") + ")";
}

int CameraWindowHeight(int count, int room_height) {
  return std::min(count * 40 + 20, room_height);
}

std::vector<std::string> MarkedCameraLines(const std::vector<std::string>& lines,
                                           const std::vector<bool>& ticked) {
  std::vector<std::string> marked;
  for (std::size_t i = 0; i < lines.size(); ++i)
    marked.push_back(lines[i] + (i < ticked.size() && ticked[i] ? ";1" : ";0"));
  return marked;
}

}  // namespace torva
