// "cameras.txt": one line per camera, "name;details", to which the choice
// adds ";1" (render) or ";0".
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace torva {

struct CameraFile {
  std::optional<std::vector<std::string>> lines;  // nullopt when missing, empty or too large
  bool too_large = false;                         // over kMaxTextFileBytes
};
// The file's lines, read only from a regular file of a bounded size.
CameraFile ReadCameraLines(const std::string& path);

// Writes the lines whole; false when the file cannot be written.
bool WriteCameraLines(const std::string& path, const std::vector<std::string>& lines);

// "name (details)": the text before and after the line's first ";".
std::string CameraLabel(const std::string& line);

// The height of the window listing `count` cameras, 40 pixels each and 20
// more, but no more than `room_height` (WindowRoom's); the list scrolls
// inside it then.
int CameraWindowHeight(int count, int room_height);

// `lines` with ";1" added to the ticked ones and ";0" to the others.
std::vector<std::string> MarkedCameraLines(const std::vector<std::string>& lines,
                                           const std::vector<bool>& ticked);

}  // namespace torva
