#include "state/remembered.h"

#include <filesystem>
#include <sstream>

#include "text/whole_file.h"

namespace torva {
namespace {

constexpr std::size_t kMaxBytes = 4096;

}  // namespace

// Lines "window X Y WIDTH HEIGHT" and "sl TEXT"; others are skipped.
Remembered ReadRemembered(const std::string& path) {
  Remembered remembered;
  const BoundedFile file = ReadBoundedFile(path, kMaxBytes);
  std::istringstream lines(file.content);
  for (std::string line; std::getline(lines, line);) {
    if (line.starts_with("sl ")) remembered.sampling_level = line.substr(3);
    if (!line.starts_with("window ")) continue;
    std::istringstream numbers(line.substr(7));
    Rect frame;
    if (numbers >> frame.x >> frame.y >> frame.width >> frame.height && frame.width > 0 &&
        frame.height > 0)
      remembered.main_window = frame;
  }
  return remembered;
}

bool WriteRemembered(const std::string& path, const Remembered& remembered) {
  std::string text;
  if (const std::optional<Rect>& w = remembered.main_window) {
    text += "window " + std::to_string(w->x) + " " + std::to_string(w->y) + " " +
            std::to_string(w->width) + " " + std::to_string(w->height) + "\n";
  }
  if (!remembered.sampling_level.empty() &&
      remembered.sampling_level.find('\n') == std::string::npos)
    text += "sl " + remembered.sampling_level + "\n";
  std::error_code ec;
  std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ec);
  return !ec && WriteWholeFile(path, text);
}

}  // namespace torva
