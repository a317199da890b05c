// One program per application folder: an exclusive lock on a file in it,
// held for the program's life and released by the system if it dies.
#pragma once

#include <optional>
#include <string>

namespace torva {

struct FolderLockAttempt;

class FolderLock {
 public:
  static FolderLockAttempt Take(const std::string& folder);

  FolderLock(FolderLock&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
  FolderLock& operator=(FolderLock&&) = delete;
  FolderLock(const FolderLock&) = delete;
  ~FolderLock();

 private:
  explicit FolderLock(int fd) : fd_(fd) {}
  int fd_;
};

// What taking the lock found.
struct FolderLockAttempt {
  enum class Result {
    kTaken,
    kHeld,      // another process holds it
    kReadOnly,  // nothing in the folder can be written, so no other copy can spoil it
    kFailed,    // the folder cannot be used (see `error`)
  };
  Result result = Result::kFailed;
  std::optional<FolderLock> lock;  // with kTaken
  int error = 0;                   // errno, with kFailed
};

}  // namespace torva
