// Receiving the new version's zip after the update request was sent.
#pragma once

#include <cstdint>
#include <string>

#include "platform/tcp_client.h"

namespace torva {

// No real update comes near this; a larger announced size is refused before
// anything is written, so a broken server cannot fill the disk.
inline constexpr std::int64_t kMaxUpdateBytes = std::int64_t{1} << 30;

struct DownloadLimits {
  int stall_ms = 30'000;  // between two receives
  // The whole download: the announced size at this slow a rate, but never
  // less than `minimum_ms`. A server that trickles a byte now and then must
  // not keep the program waiting for ever.
  std::int64_t slowest_bytes_per_second = 16 * 1024;
  int minimum_ms = 60'000;
};

// How long a download of `size` bytes may take in all.
std::int64_t WholeDownloadMs(std::int64_t size, const DownloadLimits& limits);

// Reads the 8-byte little-endian size header and then that many bytes, 1024
// at a time, into a temporary file beside `path`, which replaces `path` only
// once exactly the announced count has arrived. False on any failure (size
// not positive or too large, connection closed or silent for the stall limit
// before the end, the whole limit passed, more bytes than announced, file
// not writable); then neither a partial file nor a changed `path` is left.
bool ReceiveUpdateFile(TcpConnection& connection, const std::string& path,
                       const DownloadLimits& limits);

}  // namespace torva
