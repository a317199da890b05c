// For tests: a loopback server that takes one connection and plays a script
// on its own thread (read the request, send a reply, stall, close...).
#pragma once

#include <arpa/inet.h>
#include <fcntl.h>
#include <linux/sockios.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <thread>

namespace torva {

// Every wait of a script ends after this, so a test that goes wrong fails
// instead of hanging; no test relies on it for a result.
inline constexpr int kFakeServerPatienceMs = 30'000;

// The header of a download: the size as 8 bytes, least significant first.
inline std::string SizeHeader(std::int64_t size) {
  std::string header(8, '\0');
  auto value = static_cast<std::uint64_t>(size);
  for (int i = 0; i < 8; ++i) header[i] = static_cast<char>((value >> (8 * i)) & 0xff);
  return header;
}

inline std::string PatternBytes(std::size_t count, unsigned seed = 7) {
  std::string bytes(count, '\0');
  for (std::size_t i = 0; i < count; ++i)
    bytes[i] = static_cast<char>((i * 31 + seed + i / 251) & 0xff);
  return bytes;
}

// The server's end of the connection, as a script sees it.
class FakeServerSide {
 public:
  FakeServerSide(int fd, int stop_fd) : fd_(fd), stop_fd_(stop_fd) {}

  // Reads exactly `count` bytes (fewer when the client closes first).
  std::string Read(std::size_t count) {
    std::string bytes;
    char chunk[4096];
    while (bytes.size() < count && Wait()) {
      ssize_t got = recv(fd_, chunk, std::min(sizeof chunk, count - bytes.size()), 0);
      if (got <= 0) break;
      bytes.append(chunk, static_cast<std::size_t>(got));
    }
    received_ += bytes;
    return bytes;
  }

  void Send(std::string_view bytes) {
    while (!bytes.empty()) {
      ssize_t sent = send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
      if (sent <= 0) return;
      bytes.remove_prefix(static_cast<std::size_t>(sent));
    }
  }

  // Waits until the client has closed its end (or the test ends).
  void WaitForClose() {
    char chunk[4096];
    for (ssize_t got; Wait() && (got = recv(fd_, chunk, sizeof chunk, 0)) > 0;)
      received_.append(chunk, static_cast<std::size_t>(got));
  }

  // Holds the connection open and silent until the client closes it.
  void StaySilent() { WaitForClose(); }

  // True when the client has closed its end, waiting up to `ms` for that.
  bool ClosedWithin(int ms) {
    pollfd watch{fd_, POLLIN, 0};
    if (poll(&watch, 1, ms) <= 0) return false;
    char byte;
    return recv(fd_, &byte, 1, MSG_PEEK | MSG_DONTWAIT) <= 0;
  }

  // Waits until the client, in this process, has taken every byte sent so
  // far off its socket (or has closed it): what is sent next cannot arrive
  // together with what came before.
  void WaitUntilClientHasRead() {
    const int client = ClientSocket();
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(kFakeServerPatienceMs);
    while (std::chrono::steady_clock::now() < deadline) {
      int unacked = 0, unread = 0;
      if (ioctl(fd_, SIOCOUTQ, &unacked) != 0 || client < 0 ||
          ioctl(client, FIONREAD, &unread) != 0)
        return;
      if (unacked == 0 && unread == 0) return;
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  }

  const std::string& received() const { return received_; }
  int fd() const { return fd_; }

 private:
  // The client's end of this connection: the socket of this process whose
  // own address is our peer's.
  int ClientSocket() const {
    sockaddr_storage peer{};
    socklen_t peer_length = sizeof peer;
    if (getpeername(fd_, reinterpret_cast<sockaddr*>(&peer), &peer_length) != 0) return -1;
    for (int fd = 0; fd < 1024; ++fd) {
      sockaddr_storage local{};
      socklen_t length = sizeof local;
      if (fd != fd_ && getsockname(fd, reinterpret_cast<sockaddr*>(&local), &length) == 0 &&
          length == peer_length && std::memcmp(&local, &peer, length) == 0)
        return fd;
    }
    return -1;
  }

  // False when the test is over or the patience has run out.
  bool Wait() {
    pollfd watch[2] = {{fd_, POLLIN, 0}, {stop_fd_, POLLIN, 0}};
    return poll(watch, 2, kFakeServerPatienceMs) > 0 && watch[1].revents == 0;
  }

  int fd_;
  int stop_fd_;
  std::string received_;
};

class FakeUpdateServer {
 public:
  using Script = std::function<void(FakeServerSide&)>;

  // Listens on `address` at `port` (0: a free port) and plays `script` on
  // the first connection.
  explicit FakeUpdateServer(Script script, const std::string& address = "127.0.0.1", int port = 0)
      : script_(std::move(script)) {
    if (pipe(stop_) != 0) throw std::runtime_error("pipe");
    listen_fd_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    int one = 1;
    setsockopt(listen_fd_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in where{};
    where.sin_family = AF_INET;
    where.sin_port = htons(static_cast<std::uint16_t>(port));
    inet_pton(AF_INET, address.c_str(), &where.sin_addr);
    if (bind(listen_fd_, reinterpret_cast<sockaddr*>(&where), sizeof where) != 0 ||
        listen(listen_fd_, 8) != 0)
      throw std::runtime_error("cannot listen on " + address);
    socklen_t length = sizeof where;
    getsockname(listen_fd_, reinterpret_cast<sockaddr*>(&where), &length);
    port_ = ntohs(where.sin_port);
    thread_ = std::thread([this] { Serve(); });
  }

  ~FakeUpdateServer() {
    (void)!write(stop_[1], "x", 1);
    thread_.join();
    close(listen_fd_);
    close(stop_[0]);
    close(stop_[1]);
  }

  int port() const { return port_; }
  bool connected() const { return connected_; }
  // Everything the script read from the client; complete once the script ended.
  std::string received() const {
    while (!done_) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    return received_;
  }

 private:
  void Serve() {
    pollfd watch[2] = {{listen_fd_, POLLIN, 0}, {stop_[0], POLLIN, 0}};
    if (poll(watch, 2, kFakeServerPatienceMs) > 0 && watch[1].revents == 0) {
      int fd = accept4(listen_fd_, nullptr, nullptr, SOCK_CLOEXEC);
      if (fd >= 0) {
        connected_ = true;
        FakeServerSide side(fd, stop_[0]);
        script_(side);
        received_ = side.received();
        close(fd);
      }
    }
    done_ = true;
  }

  Script script_;
  int stop_[2] = {-1, -1};
  int listen_fd_ = -1;
  int port_ = 0;
  std::atomic<bool> connected_{false};
  std::atomic<bool> done_{false};
  std::string received_;
  std::thread thread_;
};

}  // namespace torva
