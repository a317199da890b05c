#include "prepare/file_copy.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstdio>

#include "prepare/scene_name.h"

namespace torva {
namespace {

class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  ~Descriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  int get() const { return fd_; }
  // Closes now and tells whether every byte written reached the file.
  bool Close() {
    const int fd = fd_;
    fd_ = -1;
    return fd < 0 || ::close(fd) == 0;
  }

 private:
  int fd_;
};

bool WriteAll(int fd, const char* data, std::size_t size) {
  while (size > 0) {
    const ssize_t n = ::write(fd, data, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

bool CopyBytes(int in, int out) {
  char chunk[64 * 1024];
  for (;;) {
    const ssize_t n = ::read(in, chunk, sizeof chunk);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    if (n == 0) return true;
    if (!WriteAll(out, chunk, static_cast<std::size_t>(n))) return false;
  }
}

}  // namespace

bool CopyPlainFile(const std::string& from, const std::string& to) {
  // Without O_NONBLOCK opening a pipe would wait for a writer.
  Descriptor in(::open(from.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
  struct stat info {};
  if (in.get() < 0 || ::fstat(in.get(), &info) != 0 || !S_ISREG(info.st_mode)) return false;
  ::fcntl(in.get(), F_SETFL, ::fcntl(in.get(), F_GETFL) & ~O_NONBLOCK);

  std::string part = FolderOf(to) + ".copy-XXXXXX";
  Descriptor out(::mkstemp(part.data()));
  if (out.get() < 0) return false;
  const bool copied = CopyBytes(in.get(), out.get()) && ::fchmod(out.get(), 0644) == 0;
  if (out.Close() && copied && std::rename(part.c_str(), to.c_str()) == 0) return true;
  ::unlink(part.c_str());
  return false;
}

}  // namespace torva
