// A plain TCP client connection: connect to a host name and port, send,
// wait for data, receive, close; connecting and sending have time limits,
// waiting for data takes one. Waiting blocks in poll(), never in a busy
// loop. A send to a peer that has gone reports an error instead of raising
// SIGPIPE.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

namespace torva {

// Checks that the system can make sockets at all; POSIX systems need no
// further start-up.
bool InitialiseNetwork();

class TcpConnection {
 public:
  // Resolves `host` and connects, giving up after `timeout_ms` for the name
  // lookup and all of the host's addresses together. nullptr when no address
  // accepted the connection in time.
  static std::unique_ptr<TcpConnection> Connect(const std::string& host, int port, int timeout_ms);

  static constexpr int kSendTimeoutMs = 30'000;

  TcpConnection(const TcpConnection&) = delete;
  TcpConnection& operator=(const TcpConnection&) = delete;
  ~TcpConnection();  // closes the connection

  // Sends every byte; false when the connection failed or the peer took
  // nothing for `timeout_ms`.
  bool Send(std::string_view bytes, int timeout_ms = kSendTimeoutMs);

  enum class Readiness { kNothing, kData, kClosed };
  // Waits up to `timeout_ms` (0: not at all) for data or the peer's close.
  // An error on the connection counts as closed.
  Readiness Poll(int timeout_ms);

  static constexpr long kError = -1;
  static constexpr long kTimedOut = -2;
  // Receives up to `size` bytes, waiting up to `timeout_ms` (negative: no
  // limit) for the first one. The byte count, 0 when the peer has closed,
  // kError or kTimedOut.
  long Receive(char* buffer, std::size_t size, int timeout_ms);

  // The socket, for tests that watch what is left unread.
  int NativeHandle() const { return fd_; }

 private:
  explicit TcpConnection(int fd) : fd_(fd) {}
  // Waits for the socket to become readable; false on time-out.
  bool WaitReadable(int timeout_ms);

  int fd_;
};

}  // namespace torva
