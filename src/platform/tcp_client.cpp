#include "platform/tcp_client.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/types.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>

#include "platform/name_lookup.h"

namespace torva {
namespace {

#ifdef MSG_NOSIGNAL
constexpr int kSendFlags = MSG_NOSIGNAL;
#else
constexpr int kSendFlags = 0;  // SO_NOSIGPIPE is set on the socket instead
#endif

int OpenSocket(const addrinfo& address) {
  int fd = socket(address.ai_family, address.ai_socktype, address.ai_protocol);
  if (fd < 0) return -1;
  // Not inherited by the programs the check starts.
  bool ready = fcntl(fd, F_SETFD, FD_CLOEXEC) == 0;
#ifdef SO_NOSIGPIPE
  int one = 1;
  ready = ready && setsockopt(fd, SOL_SOCKET, SO_NOSIGPIPE, &one, sizeof one) == 0;
#endif
  if (!ready) {
    close(fd);
    return -1;
  }
  return fd;
}

using Clock = std::chrono::steady_clock;

// Milliseconds left until `deadline`, never negative.
int MsUntil(Clock::time_point deadline) {
  auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
  return left > 0 ? static_cast<int>(std::min<long long>(left, 24LL * 3600 * 1000)) : 0;
}

// Connects without blocking and waits for the outcome until `deadline`: a
// server that drops connection requests must not hold the caller for the
// system's own time-out of minutes.
int ConnectOnce(int fd, const addrinfo& address, Clock::time_point deadline) {
  const int flags = fcntl(fd, F_GETFL);
  if (flags < 0 || fcntl(fd, F_SETFL, flags | O_NONBLOCK) < 0) return -1;
  int result;
  do {
    result = connect(fd, address.ai_addr, address.ai_addrlen);
  } while (result < 0 && errno == EINTR);
  if (result == 0) return 0;
  if (errno != EINPROGRESS && errno != EALREADY) return -1;
  for (;;) {
    pollfd watch{fd, POLLOUT, 0};
    int ready = poll(&watch, 1, MsUntil(deadline));
    if (ready > 0) break;
    if (ready == 0) return -1;  // out of time
    if (errno != EINTR) return -1;
  }
  int error = 0;
  socklen_t length = sizeof error;
  if (getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) < 0 || error != 0) return -1;
  return 0;
}

}  // namespace

bool InitialiseNetwork() {
  int probe = socket(AF_INET, SOCK_STREAM, 0);
  if (probe < 0) probe = socket(AF_INET6, SOCK_STREAM, 0);
  if (probe < 0) return false;
  close(probe);
  return true;
}

std::unique_ptr<TcpConnection> TcpConnection::Connect(const std::string& host, int port,
                                                      int timeout_ms) {
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeout_ms);
  const AddressList addresses = LookUpHost(host, port, MsUntil(deadline));
  std::unique_ptr<TcpConnection> connection;
  for (addrinfo* address = addresses.get(); address && !connection; address = address->ai_next) {
    int fd = OpenSocket(*address);
    if (fd < 0) continue;
    if (ConnectOnce(fd, *address, deadline) == 0) {
      connection.reset(new TcpConnection(fd));
    } else {
      close(fd);
    }
  }
  return connection;
}

TcpConnection::~TcpConnection() { close(fd_); }

bool TcpConnection::Send(std::string_view bytes, int timeout_ms) {
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeout_ms);
  while (!bytes.empty()) {
    ssize_t sent = send(fd_, bytes.data(), bytes.size(), kSendFlags);
    if (sent < 0) {
      if (errno == EINTR) continue;
      if (errno == EAGAIN || errno == EWOULDBLOCK) {
        pollfd watch{fd_, POLLOUT, 0};
        int ready = poll(&watch, 1, MsUntil(deadline));
        if (ready == 0 || (ready < 0 && errno != EINTR)) return false;
        continue;
      }
      return false;
    }
    bytes.remove_prefix(static_cast<std::size_t>(sent));
  }
  return true;
}

bool TcpConnection::WaitReadable(int timeout_ms) {
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeout_ms);
  for (;;) {
    int wait_ms = -1;
    if (timeout_ms >= 0) {
      auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
      wait_ms = left.count() > 0 ? static_cast<int>(left.count()) : 0;
    }
    pollfd watch{fd_, POLLIN, 0};
    int ready = poll(&watch, 1, wait_ms);
    if (ready > 0) return true;  // data, close or error: the next read tells
    if (ready == 0) return false;
    if (errno != EINTR) return true;  // let the read report the failure
  }
}

TcpConnection::Readiness TcpConnection::Poll(int timeout_ms) {
  if (!WaitReadable(timeout_ms)) return Readiness::kNothing;
  char byte;
  for (;;) {
    ssize_t peeked = recv(fd_, &byte, 1, MSG_PEEK | MSG_DONTWAIT);
    if (peeked > 0) return Readiness::kData;
    if (peeked < 0 && errno == EINTR) continue;
    if (peeked < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return Readiness::kNothing;
    return Readiness::kClosed;
  }
}

long TcpConnection::Receive(char* buffer, std::size_t size, int timeout_ms) {
  for (;;) {
    // Try first: while a transfer streams in, data is usually waiting and
    // the poll() would be a wasted system call.
    ssize_t got = recv(fd_, buffer, size, MSG_DONTWAIT);
    if (got >= 0) return static_cast<long>(got);
    if (errno == EINTR) continue;
    if (errno != EAGAIN && errno != EWOULDBLOCK) return kError;
    if (!WaitReadable(timeout_ms)) return kTimedOut;
  }
}

}  // namespace torva
