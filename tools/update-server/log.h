// The server's log. Lines are queued and written by a thread of their own,
// so that a log nobody reads (a full pipe, a stalled journal) never holds up
// the poll loop, its clients or a stop; and one client address cannot fill
// the log by opening and closing connections.
#pragma once

#include <chrono>
#include <cstddef>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace torva::update_server {

// Lines waiting past this many bytes are dropped, and counted: the count
// ("log-lines-dropped=N") is queued once there is room again, and at the end.
inline constexpr std::size_t kMaxQueuedLogBytes = 256 * 1024;

class LogQueue {
 public:
  // Writes to its own duplicate of `fd`. Check ok() before use.
  explicit LogQueue(int fd);
  ~LogQueue();
  LogQueue(const LogQueue&) = delete;
  LogQueue& operator=(const LogQueue&) = delete;

  bool ok() const { return shared_ != nullptr; }
  // `line` without its line feed.
  void Add(std::string line);
  // Waits at most `wait_ms` for the queued lines to be written. A writer
  // still held up by its reader then is left behind; it ends with the process.
  void Close(int wait_ms);

 private:
  struct Shared;
  std::shared_ptr<Shared> shared_;
};

// How many lines each client address gets: `burst` at once, then one more
// every kLogRefillMs. What is held back is counted and logged
// ("address=ADDRESS lines-not-logged=N").
inline constexpr int kLogRefillMs = 3000;

class AddressLines {
 public:
  using Clock = std::chrono::steady_clock;

  explicit AddressLines(int burst) : burst_(burst) {}

  // Whether a line for `address` is logged now; when it is, `held_back` gets
  // the count of lines held back for the address since its last line.
  bool Allow(const std::string& address, Clock::time_point now, long& held_back);
  // Forgets the addresses that have had their whole allowance back and
  // returns those with lines held back, with their counts.
  std::vector<std::pair<std::string, long>> Forget(Clock::time_point now);
  bool empty() const { return addresses_.empty(); }

 private:
  struct Allowance {
    double lines = 0;
    Clock::time_point at;
    long held_back = 0;
  };
  // Past this many addresses, the others share one allowance ("others").
  static constexpr std::size_t kMaxAddresses = 4096;
  void Refill(Allowance& allowance, Clock::time_point now) const;
  int burst_;
  std::map<std::string, Allowance> addresses_;
};

}  // namespace torva::update_server
