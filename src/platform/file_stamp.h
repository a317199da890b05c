// What tells one version of a file from the next: a file rewritten in place
// changes its size or modification time, one renamed over it its inode.
#pragma once

#include <optional>
#include <string>

namespace torva {

struct FileStamp {
  unsigned long long device = 0, inode = 0;
  long long bytes = 0;
  long long modified_ns = 0;
  bool operator==(const FileStamp&) const = default;
};

// nullopt when there is nothing at `path`.
std::optional<FileStamp> StampOf(const std::string& path);

}  // namespace torva
