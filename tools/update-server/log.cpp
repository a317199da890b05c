#include "log.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <string_view>
#include <thread>

namespace torva::update_server {

struct LogQueue::Shared {
  std::mutex mutex;
  std::condition_variable changed;
  std::deque<std::string> lines;  // each with its line feed
  std::size_t bytes = 0;
  long dropped = 0;
  bool writing = false;
  bool closing = false;
  int fd = -1;
  bool broken = false;  // the log has gone: the rest is discarded

  // Called with the mutex held.
  void QueueDroppedCount() {
    if (dropped == 0) return;
    lines.push_back("log-lines-dropped=" + std::to_string(dropped) + "\n");
    bytes += lines.back().size();
    dropped = 0;
  }
};

namespace {

bool WriteAll(int fd, std::string_view text) {
  while (!text.empty()) {
    const ssize_t n = write(fd, text.data(), text.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    text.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

}  // namespace

LogQueue::LogQueue(int fd) {
  const int own = fcntl(fd, F_DUPFD_CLOEXEC, 0);
  if (own < 0) return;
  shared_ = std::make_shared<Shared>();
  shared_->fd = own;
  // The thread keeps the shared state alive when it is left behind.
  std::thread([shared = shared_] {
    std::unique_lock lock(shared->mutex);
    for (;;) {
      shared->changed.wait(lock, [&] { return !shared->lines.empty() || shared->closing; });
      if (shared->lines.empty()) break;
      std::string text;
      for (const std::string& line : shared->lines) text += line;
      shared->lines.clear();
      shared->writing = true;
      lock.unlock();
      const bool written = shared->broken || WriteAll(shared->fd, text);
      lock.lock();
      shared->broken = !written;
      shared->writing = false;
      shared->bytes -= std::min(shared->bytes, text.size());
      shared->changed.notify_all();
    }
    close(shared->fd);
  }).detach();
}

LogQueue::~LogQueue() { Close(0); }

void LogQueue::Add(std::string line) {
  if (!shared_) return;
  std::lock_guard lock(shared_->mutex);
  if (shared_->bytes + line.size() + 1 > kMaxQueuedLogBytes) {
    ++shared_->dropped;
    return;
  }
  shared_->QueueDroppedCount();
  shared_->bytes += line.size() + 1;
  shared_->lines.push_back(std::move(line) + "\n");
  shared_->changed.notify_all();
}

void LogQueue::Close(int wait_ms) {
  if (!shared_) return;
  std::unique_lock lock(shared_->mutex);
  shared_->QueueDroppedCount();
  shared_->closing = true;
  shared_->changed.notify_all();
  shared_->changed.wait_for(lock, std::chrono::milliseconds(wait_ms),
                            [&] { return shared_->lines.empty() && !shared_->writing; });
  lock.unlock();
  shared_.reset();
}

void AddressLines::Refill(Allowance& allowance, Clock::time_point now) const {
  const double elapsed_ms = std::chrono::duration<double, std::milli>(now - allowance.at).count();
  allowance.lines = std::min<double>(burst_, allowance.lines + elapsed_ms / kLogRefillMs);
  allowance.at = now;
}

bool AddressLines::Allow(const std::string& address, Clock::time_point now, long& held_back) {
  auto it = addresses_.find(address);
  if (it == addresses_.end()) {
    const std::string key = addresses_.size() < kMaxAddresses ? address : "others";
    it = addresses_.try_emplace(key, Allowance{static_cast<double>(burst_), now, 0}).first;
  }
  Allowance& allowance = it->second;
  Refill(allowance, now);
  if (allowance.lines < 1) {
    ++allowance.held_back;
    return false;
  }
  allowance.lines -= 1;
  held_back = allowance.held_back;
  allowance.held_back = 0;
  return true;
}

std::vector<std::pair<std::string, long>> AddressLines::Forget(Clock::time_point now) {
  std::vector<std::pair<std::string, long>> held_back;
  for (auto it = addresses_.begin(); it != addresses_.end();) {
    Refill(it->second, now);
    if (it->second.lines < burst_) {
      ++it;
      continue;
    }
    if (it->second.held_back > 0) held_back.emplace_back(it->first, it->second.held_back);
    it = addresses_.erase(it);
  }
  return held_back;
}

}  // namespace torva::update_server
