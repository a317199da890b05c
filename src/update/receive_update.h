// Receiving the new version's zip after the update request was sent.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

#include "desktop/desktop.h"
#include "platform/tcp_client.h"

namespace torva {

// No real update comes near this; a larger announced size is refused before
// anything is written, so a broken server cannot fill the disk.
inline constexpr std::int64_t kMaxUpdateBytes = std::int64_t{1} << 30;

// Progress is judged on the bytes that arrive, whatever size the server
// announced: a server that trickles a byte now and then must not keep the
// program waiting for hours.
struct DownloadLimits {
  int window_ms = 30'000;
  std::int64_t least_bytes = 30 * 16 * 1024;  // in each window: 16 KiB/s
};

// The pace a download must keep: `least_bytes` within `window_ms` of the
// start, and each further `least_bytes` within `window_ms` of the moment the
// previous ones were complete.
class DownloadPace {
 public:
  using Clock = std::chrono::steady_clock;
  DownloadPace(const DownloadLimits& limits, Clock::time_point start);
  void Arrived(std::int64_t bytes, Clock::time_point now);
  // Past this without more bytes, the download has lost its pace.
  Clock::time_point Deadline() const { return deadline_; }

 private:
  std::chrono::milliseconds window_;
  std::int64_t least_bytes_;
  std::int64_t in_window_ = 0;
  Clock::time_point deadline_;
};

// Reads the 8-byte little-endian size header and then that many bytes, 1024
// at a time, into a temporary file beside `path`, which replaces `path` only
// once exactly the announced count has arrived. While it waits for the
// server it takes the desktop's events (and drops them), so that the windows
// stay drawn. False on any failure (size not positive or too large,
// connection closed before the end, the pace lost, more bytes than
// announced, file not writable); then neither a partial file nor a changed
// `path` is left.
bool ReceiveUpdateFile(TcpConnection& connection, const std::string& path, Desktop& desktop,
                       const DownloadLimits& limits);

}  // namespace torva
