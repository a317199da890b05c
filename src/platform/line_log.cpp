#include "platform/line_log.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace torva {

bool LineLog::Open(const std::string& path, Start start) {
  Close();
  failed_ = false;
  error_ = 0;
  int flags = O_WRONLY | O_CREAT | O_NOFOLLOW | O_CLOEXEC;
  if (start == Start::kAnew) {
    ::unlink(path.c_str());  // a link is removed, not followed
    flags |= O_EXCL;
  } else {
    flags |= O_APPEND;
  }
  const int fd = ::open(path.c_str(), flags, 0644);
  if (fd < 0) {
    error_ = errno;
    return false;
  }
  file_ = ::fdopen(fd, start == Start::kAnew ? "wb" : "ab");
  if (!file_) {
    error_ = errno;
    ::close(fd);
  }
  return file_ != nullptr;
}

void LineLog::Write(std::string_view line) {
  if (!file_) return;
  if (std::fwrite(line.data(), 1, line.size(), file_) != line.size() ||
      std::fputc('\n', file_) == EOF || std::fflush(file_) != 0) {
    if (!failed_) error_ = errno ? errno : EIO;
    failed_ = true;
  }
}

bool LineLog::Close() {
  if (!file_) return false;
  const bool synced = ::fsync(::fileno(file_)) == 0;
  const bool closed = std::fclose(file_) == 0;
  file_ = nullptr;
  return !failed_ && synced && closed;
}

bool ReplacingLog::Create(const std::string& path) {
  Discard();
  path_ = path;
  temporary_ = path + ".new";
  return log_.Open(temporary_);
}

bool ReplacingLog::Commit() { return CommitAs(path_); }

bool ReplacingLog::CommitAs(const std::string& path) {
  if (!log_.IsOpen()) return false;
  if (log_.Close() && std::rename(temporary_.c_str(), path.c_str()) == 0) return true;
  ::unlink(temporary_.c_str());
  return false;
}

void ReplacingLog::Discard() {
  if (!log_.IsOpen()) return;
  log_.Close();
  ::unlink(temporary_.c_str());
}

}  // namespace torva
