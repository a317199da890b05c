#include "estimate/work_folder.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdint>
#include <filesystem>
#include <sstream>

#include "renderer/cameras_file.h"
#include "text/whole_file.h"

namespace torva {

namespace fs = std::filesystem;

std::vector<std::string> RemoveUnsafeEntries(const std::string& folder) {
  std::vector<std::string> removed;
  std::error_code ec;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder, ec)) {
    const std::string path = entry.path().string();
    struct stat info {};
    const bool plain =
        lstat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && info.st_nlink == 1;
    if (plain) continue;
    std::error_code remove_ec;
    fs::remove_all(entry.path(), remove_ec);
    removed.push_back(entry.path().filename().string());
  }
  std::sort(removed.begin(), removed.end());
  return removed;
}

void ListedSize::Add(const std::string& line) {
  if (!total_ || !line.starts_with("Size = ")) return;
  const std::string digits = line.substr(7);
  std::uintmax_t size = 0;
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), size);
  if (error != std::errc() || end != digits.data() + digits.size() || size > UINTMAX_MAX - *total_)
    total_ = std::nullopt;
  else
    *total_ += size;
}

namespace {

bool EndsWithMxs(const std::string& name) {
  if (name.size() < 4) return false;
  std::string end = name.substr(name.size() - 4);
  for (char& c : end) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return end == ".mxs";
}

}  // namespace

std::optional<std::string> FindScene(const std::string& folder, const std::string& archive_base) {
  std::vector<std::string> scenes;
  std::error_code ec;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder, ec)) {
    const std::string name = entry.path().filename().string();
    if (EndsWithMxs(name)) scenes.push_back(name);
  }
  if (scenes.empty()) return std::nullopt;
  std::sort(scenes.begin(), scenes.end());
  auto named_after_archive = std::find_if(scenes.begin(), scenes.end(), [&](const std::string& s) {
    return s.size() == archive_base.size() + 4 && s.starts_with(archive_base);
  });
  return named_after_archive != scenes.end() ? *named_after_archive : scenes.front();
}

std::optional<int> CountActiveCameras(const std::string& cameras_file) {
  const BoundedFile file = ReadBoundedFile(cameras_file);
  if (file.status == BoundedFile::Status::kTooLarge) return std::nullopt;
  std::istringstream in(file.content);
  int count = 0;
  for (std::string line; std::getline(in, line);) {
    if (ReadCameraLine(line).chosen.value_or(false)) ++count;
  }
  return count;
}

namespace {

std::optional<CameraSize> SizeOnLine(const std::string& line) {
  const std::size_t semicolon = line.find(';');
  if (semicolon == std::string::npos) return std::nullopt;
  const char* at = line.data() + semicolon + 1;
  const char* end = line.data() + line.size();
  CameraSize size;
  auto [after_width, width_error] = std::from_chars(at, end, size.width);
  if (width_error != std::errc() || after_width == end || *after_width != 'x') return std::nullopt;
  if (std::from_chars(after_width + 1, end, size.height).ec != std::errc()) return std::nullopt;
  return size;
}

}  // namespace

std::optional<CameraSize> ActiveCameraSize(const std::string& cameras_file) {
  const BoundedFile file = ReadBoundedFile(cameras_file);
  std::istringstream in(file.content);
  std::optional<std::string> marked, active;
  for (std::string line; std::getline(in, line);) {
    if (!marked && line.ends_with(";1")) marked = line;
    if (!active && line.find(", active") != std::string::npos) active = line;
  }
  if (marked) return SizeOnLine(*marked);
  return active ? SizeOnLine(*active) : std::nullopt;
}

std::uintmax_t PlainFileBytes(const std::string& path) {
  long long bytes = 0;
  const int fd = OpenRegularFile(path, &bytes);
  if (fd < 0) return 0;
  ::close(fd);
  return static_cast<std::uintmax_t>(bytes);
}

}  // namespace torva
