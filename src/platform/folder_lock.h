// One program per application folder: an exclusive lock on a file in it,
// held for the program's life and released by the system if it dies.
#pragma once

#include <optional>
#include <string>

namespace torva {

class FolderLock {
 public:
  // nullopt when another program holds the lock (or the file cannot be opened).
  static std::optional<FolderLock> Take(const std::string& folder);

  FolderLock(FolderLock&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
  FolderLock& operator=(FolderLock&&) = delete;
  FolderLock(const FolderLock&) = delete;
  ~FolderLock();

 private:
  explicit FolderLock(int fd) : fd_(fd) {}
  int fd_;
};

}  // namespace torva
