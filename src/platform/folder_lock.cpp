#include "platform/folder_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

namespace torva {

FolderLockAttempt FolderLock::Take(const std::string& folder) {
  using Result = FolderLockAttempt::Result;
  const std::string path = folder + "/.TORVAmeter.lock";
  int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0644);
  if (fd < 0 && (errno == EACCES || errno == EPERM || errno == EROFS)) {
    // A lock file left by another user (a run under sudo) still locks:
    // flock needs no write access.
    fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0 && errno == ENOENT) return {Result::kReadOnly, std::nullopt, 0};
  }
  if (fd < 0) return {Result::kFailed, std::nullopt, errno};
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    const int error = errno;
    ::close(fd);
    if (error == EWOULDBLOCK) return {Result::kHeld, std::nullopt, 0};
    return {Result::kFailed, std::nullopt, error};
  }
  return {Result::kTaken, FolderLock(fd), 0};
}

FolderLock::~FolderLock() {
  if (fd_ >= 0) ::close(fd_);  // closing releases the lock
}

}  // namespace torva
