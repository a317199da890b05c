#include "text/whole_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <fstream>
#include <sstream>

namespace torva {

std::optional<std::string> ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::ostringstream content;
  content << in.rdbuf();
  if (in.bad()) return std::nullopt;
  return content.str();
}

int OpenRegularFile(const std::string& path, long long* bytes) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return -1;
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(fd);
    return -1;
  }
  if (bytes) *bytes = info.st_size;
  return fd;
}

BoundedFile ReadBoundedFile(const std::string& path, std::size_t max_bytes) {
  BoundedFile file;
  long long size = 0;
  const int fd = OpenRegularFile(path, &size);
  if (fd < 0) return file;
  // The size is checked again while reading: the file may grow meanwhile.
  file.status = static_cast<unsigned long long>(size) > max_bytes ? BoundedFile::Status::kTooLarge
                                                                  : BoundedFile::Status::kRead;
  char chunk[64 * 1024];
  while (file.status == BoundedFile::Status::kRead) {
    const ssize_t n = ::read(fd, chunk, sizeof chunk);
    if (n == 0) break;
    if (n < 0 && errno == EINTR) continue;
    if (n < 0)
      file.status = BoundedFile::Status::kUnreadable;
    else if (file.content.size() + static_cast<std::size_t>(n) > max_bytes)
      file.status = BoundedFile::Status::kTooLarge;
    else
      file.content.append(chunk, static_cast<std::size_t>(n));
  }
  ::close(fd);
  if (file.status != BoundedFile::Status::kRead) file.content.clear();
  return file;
}

bool WriteWholeFile(const std::string& path, const std::string& content) {
  const std::string temporary = path + ".part";
  ::unlink(temporary.c_str());  // a stale one, or a link: removed, not followed
  const int fd =
      ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  std::size_t done = 0;
  while (done < content.size()) {
    const ssize_t n = ::write(fd, content.data() + done, content.size() - done);
    if (n <= 0) break;
    done += static_cast<std::size_t>(n);
  }
  const bool written = done == content.size() && ::fsync(fd) == 0;
  const bool closed = ::close(fd) == 0;
  if (written && closed && std::rename(temporary.c_str(), path.c_str()) == 0) return true;
  ::unlink(temporary.c_str());
  return false;
}

}  // namespace torva
