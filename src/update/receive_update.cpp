#include "update/receive_update.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <vector>

namespace torva {
namespace {

using Clock = std::chrono::steady_clock;

constexpr std::size_t kReceiveBytes = 1024;
constexpr std::size_t kHeaderBytes = 8;
constexpr int kEventPassMs = 50;
constexpr int kWaitPassMs = 1000;

// The zip as it arrives: buffered, so that 1024-byte receives do not each
// cost a write to the disk.
class PartFile {
 public:
  // Whatever stands at the name is removed first (unlink() does not follow
  // a link), and the new file must be ours: had anything appeared there in
  // between, the download fails rather than write through it.
  explicit PartFile(std::string path) : path_(std::move(path)) {
    unlink(path_.c_str());
    fd_ = open(path_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    created_ = fd_ >= 0;
    buffer_.reserve(kBufferBytes);
  }
  ~PartFile() {
    if (fd_ >= 0) close(fd_);
    if (created_ && !kept_) unlink(path_.c_str());
  }
  bool created() const { return fd_ >= 0; }

  void Write(const char* data, std::size_t size) {
    if (fd_ < 0 || failed_) return;
    buffer_.insert(buffer_.end(), data, data + size);
    if (buffer_.size() >= kBufferBytes) Flush();
  }

  // Everything on the disk, then renamed over `final_path`.
  bool Commit(const std::string& final_path) {
    if (fd_ < 0) return false;
    Flush();
    bool ok = !failed_ && fsync(fd_) == 0;
    ok = close(fd_) == 0 && ok;
    fd_ = -1;
    if (!ok || std::rename(path_.c_str(), final_path.c_str()) != 0) return false;
    kept_ = true;
    return true;
  }

 private:
  static constexpr std::size_t kBufferBytes = 256 * 1024;

  void Flush() {
    const char* data = buffer_.data();
    std::size_t left = buffer_.size();
    while (left > 0 && !failed_) {
      ssize_t written = write(fd_, data, left);
      if (written < 0 && errno == EINTR) continue;
      if (written <= 0) {
        failed_ = true;  // a disk that is full must not pass for a download
        break;
      }
      data += written;
      left -= static_cast<std::size_t>(written);
    }
    buffer_.clear();
  }

  std::string path_;
  int fd_ = -1;
  bool created_ = false;  // only a file of our own is removed again
  bool failed_ = false;
  bool kept_ = false;
  std::vector<char> buffer_;
};

std::int64_t LittleEndian64(const char* bytes) {
  std::uint64_t value = 0;
  for (int i = 7; i >= 0; --i) value = (value << 8) | static_cast<unsigned char>(bytes[i]);
  return static_cast<std::int64_t>(value);
}

}  // namespace

DownloadPace::DownloadPace(const DownloadLimits& limits, Clock::time_point start)
    : window_(limits.window_ms),
      least_bytes_(std::max<std::int64_t>(limits.least_bytes, 1)),
      deadline_(start + window_) {}

void DownloadPace::Arrived(std::int64_t bytes, Clock::time_point now) {
  in_window_ += bytes;
  if (in_window_ < least_bytes_) return;
  in_window_ = 0;
  deadline_ = now + window_;
}

bool ReceiveUpdateFile(TcpConnection& connection, const std::string& path, Desktop& desktop,
                       const DownloadLimits& limits) {
  DownloadPace pace(limits, Clock::now());
  Clock::time_point next_event = Clock::now();
  // Waits for the next piece until the pace is lost, taking the window's
  // events meanwhile: between waits, and now and then while the data
  // streams in (each take costs the window system a round trip).
  auto receive = [&](char* into, std::size_t room) -> long {
    for (;;) {
      const auto left =
          std::chrono::ceil<std::chrono::milliseconds>(pace.Deadline() - Clock::now()).count();
      if (left <= 0) return TcpConnection::kTimedOut;
      if (Clock::now() >= next_event) {
        desktop.TakeEvent();
        next_event = Clock::now() + std::chrono::milliseconds(kEventPassMs);
      }
      const long got = connection.Receive(into, room, 0);
      if (got > 0) pace.Arrived(got, Clock::now());
      if (got != TcpConnection::kTimedOut) return got;
      // Not every desktop wakes for its events: a second at most.
      desktop.WaitForActivity(connection.NativeHandle(),
                              static_cast<int>(std::min<long long>(left, kWaitPassMs)));
      next_event = Clock::now();
    }
  };

  std::array<char, kReceiveBytes> buffer;
  // The header may come in pieces: receive until its 8 bytes are there.
  std::size_t have = 0;
  while (have < kHeaderBytes) {
    long got = receive(buffer.data() + have, buffer.size() - have);
    if (got <= 0) return false;
    have += static_cast<std::size_t>(got);
  }
  const std::int64_t size = LittleEndian64(buffer.data());
  if (size <= 0 || size > kMaxUpdateBytes) return false;

  std::int64_t received = static_cast<std::int64_t>(have - kHeaderBytes);
  PartFile part(path + ".part");
  part.Write(buffer.data() + kHeaderBytes, have - kHeaderBytes);
  while (received < size) {
    long got = receive(buffer.data(), buffer.size());
    if (got <= 0) return false;  // closed early, broken, or the pace lost
    part.Write(buffer.data(), static_cast<std::size_t>(got));
    received += got;
  }
  // The receive that crosses the announced size may bring more than it.
  return received == size && part.Commit(path);
}

}  // namespace torva
