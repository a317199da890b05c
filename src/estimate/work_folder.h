// The work folder an archive is unpacked into. Archives come from anyone:
// after unpacking, nothing in the folder may lead outside it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace torva {

// Removes every entry that is not a plain file of its own: links, folders,
// pipes, devices, and files with further hard links. Returns their names.
std::vector<std::string> RemoveUnsafeEntries(const std::string& folder);

// The bytes an archive's files take once unpacked: the sum of the "Size = "
// lines of 7za's technical listing (`l -slt`), given one by one as they come.
class ListedSize {
 public:
  void Add(const std::string& line);
  // nullopt when a size could not be read or the sum does not fit.
  std::optional<std::uintmax_t> Bytes() const { return total_; }

 private:
  std::optional<std::uintmax_t> total_ = 0;
};

// The scene: a name ending in ".mxs" in any case (the preparation accepts
// "Scene.MXS"). Among several, the one named after the archive, else the first in name order, so
// that the choice does not depend on the file system.
std::optional<std::string> FindScene(const std::string& folder, const std::string& archive_base);

// Cameras of the camera list marked to render; 0 without the file,
// nullopt when it is too large to be read (over kMaxTextFileBytes).
std::optional<int> CountActiveCameras(const std::string& cameras_file);

// The "WIDTHxHEIGHT" after the ";" of the camera to render: the first line
// marked ";1", else the one the scene calls active. nullopt without one.
struct CameraSize {
  int width = 0, height = 0;
};
std::optional<CameraSize> ActiveCameraSize(const std::string& cameras_file);

// Size in bytes of a plain file; 0 for anything else or nothing.
std::uintmax_t PlainFileBytes(const std::string& path);

}  // namespace torva
