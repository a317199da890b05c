// A file made for one run only, by the program or by a program it started.
#pragma once

#include <filesystem>
#include <string>
#include <system_error>
#include <utility>

namespace torva {

// Removes the file at `path` when the run ends, however it ends; a link at
// that name goes, not what it points at.
class WorkFile {
 public:
  explicit WorkFile(std::string path) : path_(std::move(path)) {}
  ~WorkFile() {
    std::error_code ignored;
    std::filesystem::remove(path_, ignored);
  }
  WorkFile(const WorkFile&) = delete;
  WorkFile& operator=(const WorkFile&) = delete;

  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

}  // namespace torva
