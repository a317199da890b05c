// Receiving the new version's zip after the update request was sent.
#pragma once

#include <cstdint>
#include <string>

#include "platform/tcp_client.h"

namespace torva {

// No real update comes near this; a larger announced size is refused before
// anything is written, so a broken server cannot fill the disk.
inline constexpr std::int64_t kMaxUpdateBytes = std::int64_t{1} << 30;

// Reads the 8-byte little-endian size header and then that many bytes, 1024
// at a time, into a temporary file beside `path`, which replaces `path` only
// once exactly the announced count has arrived. False on any failure (size
// not positive or too large, connection closed or silent for
// `stall_limit_ms` before the end, more bytes than announced, file not
// writable); then neither a partial file nor a changed `path` is left.
bool ReceiveUpdateFile(TcpConnection& connection, const std::string& path,
                       int stall_limit_ms);

}  // namespace torva
