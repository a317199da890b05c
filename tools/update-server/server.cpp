#include "server.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "log.h"
#include "request.h"

namespace torva::update_server {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

constexpr std::size_t kChunkBytes = 256 * 1024;
constexpr int kChunksPerTurn = 4;    // then the next connection's turn
constexpr int kDrainMs = 10'000;     // for the client to close after the last byte
constexpr int kAcceptPauseMs = 100;  // when the system has no descriptors left
constexpr int kForgetMs = 10'000;    // how often addresses quiet again leave the log's count
constexpr int kLogCloseMs = 500;     // for the last lines to reach a log that keeps up

// FNV-1a, byte by byte, so that a text hashed in pieces gives the same value
// wherever it is cut.
constexpr std::uint64_t kHashStart = 14695981039346656037ull;
std::uint64_t ContinueHash(std::uint64_t hash, const char* bytes, std::size_t size) {
  for (std::size_t i = 0; i < size; ++i) {
    hash ^= static_cast<unsigned char>(bytes[i]);
    hash *= 1099511628211ull;
  }
  return hash;
}

enum class Phase { kRequest, kAnswering, kAwaitUpdate, kSending, kDraining, kDone };

struct Connection {
  int fd = -1;
  std::string peer;
  std::string address;   // the peer without its port: what the per-address cap counts
  bool counted = false;  // in the per-address count (not so when turned away at once)
  Phase phase = Phase::kRequest;
  std::string request;
  std::string update;
  std::size_t reply_sent = 0;
  std::int64_t stream_sent = 0;          // of the header and the file
  std::int64_t bytes_sent = 0;           // everything, the reply included
  std::uint64_t sent_hash = kHashStart;  // of the file's bytes sent
  Clock::time_point deadline;
  std::optional<Clock::time_point> settle_at;
  std::uint64_t waiting_turn = 0;  // order of arrival among the clients waiting for a decision
};

// For the log: printable ASCII as it is, the rest escaped.
std::string Escaped(std::string_view bytes) {
  std::string text;
  for (unsigned char c : bytes) {
    if (c == '"' || c == '\\') {
      text += '\\';
      text += static_cast<char>(c);
    } else if (c >= 0x20 && c < 0x7f) {
      text += static_cast<char>(c);
    } else {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02x", c);
      text += hex;
    }
  }
  return text;
}

// The host part of an address, without the port.
std::string HostText(const sockaddr* address) {
  char host[INET6_ADDRSTRLEN] = "?";
  if (address->sa_family == AF_INET)
    inet_ntop(AF_INET, &reinterpret_cast<const sockaddr_in*>(address)->sin_addr, host, sizeof host);
  else
    inet_ntop(AF_INET6, &reinterpret_cast<const sockaddr_in6*>(address)->sin6_addr, host,
              sizeof host);
  return host;
}

std::string AddressText(const sockaddr* address) {
  if (address->sa_family == AF_INET) {
    auto* in = reinterpret_cast<const sockaddr_in*>(address);
    return HostText(address) + ":" + std::to_string(ntohs(in->sin_port));
  }
  auto* in6 = reinterpret_cast<const sockaddr_in6*>(address);
  return "[" + HostText(address) + "]:" + std::to_string(ntohs(in6->sin6_port));
}

void MakeNonBlocking(int fd) {
  fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
  fcntl(fd, F_SETFD, FD_CLOEXEC);
}

int Listen(const std::string& where, std::string& bound) {
  auto colon = where.rfind(':');
  if (colon == std::string::npos) return -1;
  std::string host = where.substr(0, colon);
  if (host.size() >= 2 && host.front() == '[' && host.back() == ']')
    host = host.substr(1, host.size() - 2);
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_flags = AI_PASSIVE;
  addrinfo* addresses = nullptr;
  if (getaddrinfo(host.empty() ? nullptr : host.c_str(), where.substr(colon + 1).c_str(), &hints,
                  &addresses) != 0)
    return -1;
  int fd = -1;
  for (addrinfo* a = addresses; a && fd < 0; a = a->ai_next) {
    fd = socket(a->ai_family, a->ai_socktype, a->ai_protocol);
    if (fd < 0) continue;
    int one = 1;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    if (bind(fd, a->ai_addr, a->ai_addrlen) != 0 || listen(fd, 512) != 0) {
      close(fd);
      fd = -1;
    }
  }
  freeaddrinfo(addresses);
  if (fd < 0) return -1;
  MakeNonBlocking(fd);
  sockaddr_storage address{};
  socklen_t length = sizeof address;
  getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
  bound = AddressText(reinterpret_cast<sockaddr*>(&address));
  return fd;
}

class Server {
 public:
  Server(const Options& options, int listen_fd, int file_fd, const struct stat& file,
         std::uint64_t file_hash, LogQueue& log)
      : options_(options),
        listen_fd_(listen_fd),
        file_fd_(file_fd),
        file_size_(file.st_size),
        file_mtime_(file.st_mtim),
        file_hash_(file_hash),
        log_(log),
        chunk_(kChunkBytes) {
    for (int i = 0; i < 8; ++i)
      header_[i] = static_cast<char>((static_cast<std::uint64_t>(file_size_) >> (8 * i)) & 0xff);
  }

  void Run(int stop_fd) {
    std::vector<pollfd> watched;
    for (;;) {
      const auto now = Clock::now();
      watched.clear();
      bool listening = !accept_paused_until_ || now >= *accept_paused_until_;
      watched.push_back({listening ? listen_fd_ : -1, POLLIN, 0});
      watched.push_back({stop_fd, POLLIN, 0});
      for (const auto& c : connections_) watched.push_back({c->fd, EventsOf(*c), 0});
      const std::size_t polled = connections_.size();

      int ready = poll(watched.data(), watched.size(), WaitMs(now));
      if (ready < 0 && errno != EINTR) break;
      for (std::size_t i = 0; i < polled && ready > 0; ++i) {
        const short events = watched[2 + i].revents;
        Connection& c = *connections_[i];
        if (events & (POLLIN | POLLHUP | POLLERR) && Reading(c)) OnReadable(c);
        if (events & (POLLOUT | POLLHUP | POLLERR) && Writing(c)) OnWritable(c);
      }
      RemoveFinished();
      if (ready > 0 && watched[0].revents) Accept();
      const auto later = Clock::now();
      for (auto& c : connections_) OnTime(*c, later);
      RemoveFinished();
      if (later >= next_forget_) ForgetQuietAddresses(later);
      if (ready > 0 && watched[1].revents) break;
    }
    for (auto& c : connections_) Finish(*c, "stopped");
    connections_.clear();
  }

 private:
  void RemoveFinished() {
    std::erase_if(connections_, [](const auto& c) { return c->phase == Phase::kDone; });
  }

  static bool Reading(const Connection& c) {
    return c.phase == Phase::kRequest || c.phase == Phase::kAwaitUpdate ||
           c.phase == Phase::kDraining;
  }
  static bool Writing(const Connection& c) {
    return c.phase == Phase::kAnswering || c.phase == Phase::kSending;
  }
  static short EventsOf(const Connection& c) {
    return Reading(c) ? POLLIN : Writing(c) ? POLLOUT : 0;
  }

  int WaitMs(Clock::time_point now) const {
    std::optional<Clock::time_point> next = accept_paused_until_;
    auto consider = [&](Clock::time_point t) {
      if (!next || t < *next) next = t;
    };
    if (!address_lines_.empty()) consider(next_forget_);
    for (const auto& c : connections_) {
      consider(c->deadline);
      if (c->settle_at) consider(*c->settle_at);
    }
    if (!next) return -1;
    auto wait = std::chrono::ceil<milliseconds>(*next - now).count();
    return static_cast<int>(std::clamp<long long>(wait, 0, 60'000));
  }

  void Accept() {
    for (;;) {
      sockaddr_storage address{};
      socklen_t length = sizeof address;
      int fd = accept(listen_fd_, reinterpret_cast<sockaddr*>(&address), &length);
      if (fd < 0) {
        if (errno == EINTR || errno == ECONNABORTED) continue;
        if (errno != EAGAIN && errno != EWOULDBLOCK)  // out of descriptors: wait a little
          accept_paused_until_ = Clock::now() + milliseconds(kAcceptPauseMs);
        return;
      }
      accept_paused_until_.reset();
      MakeNonBlocking(fd);
      auto c = std::make_unique<Connection>();
      c->fd = fd;
      c->peer = AddressText(reinterpret_cast<sockaddr*>(&address));
      c->address = HostText(reinterpret_cast<sockaddr*>(&address));
      c->deadline = Clock::now() + milliseconds(options_.request_ms);
      int& from_address = per_address_[c->address];
      if (static_cast<int>(connections_.size()) >= options_.max_connections ||
          from_address >= options_.max_per_address) {
        if (from_address == 0) per_address_.erase(c->address);
        Finish(*c, "busy");
        continue;
      }
      ++from_address;
      c->counted = true;
      connections_.push_back(std::move(c));
    }
  }

  // Reads what the client sent into `into`, at most up to the request limit.
  // False when the connection ended (then the caller decides the outcome).
  bool ReadInto(Connection& c, std::string& into, bool& closed) {
    char bytes[kMaxRequestBytes + 1];
    const std::size_t room = kMaxRequestBytes + 1 - std::min(into.size(), kMaxRequestBytes);
    ssize_t got = recv(c.fd, bytes, room, 0);
    if (got < 0) {
      closed = !(errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR);
      return !closed;
    }
    closed = got == 0;
    into.append(bytes, static_cast<std::size_t>(got));
    return !closed;
  }

  void OnReadable(Connection& c) {
    bool closed = false;
    if (c.phase == Phase::kDraining) {
      char discard[4096];
      ssize_t got = recv(c.fd, discard, sizeof discard, 0);
      if (got == 0 || (got < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR))
        Finish(c, "downloaded");
      return;
    }
    if (c.phase == Phase::kRequest) {
      if (!ReadInto(c, c.request, closed)) {
        if (closed) Finish(c, "closed-before-request");
        return;
      }
      switch (CheckVersionRequest(c.request)) {
        case RequestState::kMalformed: Finish(c, "malformed"); return;
        case RequestState::kIncomplete: c.settle_at.reset(); return;
        case RequestState::kComplete:
          // The request has no end mark: answer once no more bytes follow.
          c.settle_at = Clock::now() + milliseconds(options_.settle_ms);
          return;
      }
    }
    // Waiting for the update request.
    if (!ReadInto(c, c.update, closed)) {
      if (closed) Finish(c, "answered");
      return;
    }
    switch (CheckUpdateRequest(c.update)) {
      case RequestState::kMalformed: Finish(c, "malformed"); return;
      case RequestState::kIncomplete: return;
      case RequestState::kComplete:
        --waiting_;
        c.phase = Phase::kSending;
        c.deadline = Clock::now() + milliseconds(options_.stall_ms);
        OnWritable(c);
        return;
    }
  }

  // Sends what the socket takes now; false when the connection failed.
  bool SendSome(Connection& c, const char* data, std::size_t size, std::size_t& sent) {
    ssize_t n = send(c.fd, data, size, 0);
    if (n < 0) {
      sent = 0;
      return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR;
    }
    sent = static_cast<std::size_t>(n);
    c.bytes_sent += n;
    c.deadline = Clock::now() + milliseconds(options_.stall_ms);
    return true;
  }

  void OnWritable(Connection& c) {
    std::size_t sent = 0;
    if (c.phase == Phase::kAnswering) {
      const std::string& reply = options_.version;
      if (!SendSome(c, reply.data() + c.reply_sent, reply.size() - c.reply_sent, sent)) {
        Finish(c, "aborted");
        return;
      }
      c.reply_sent += sent;
      if (c.reply_sent == reply.size()) StartWaiting(c);
      return;
    }
    const std::int64_t total = 8 + file_size_;
    for (int turn = 0; turn < kChunksPerTurn && c.stream_sent < total; ++turn) {
      // The chunk: what is left of the header, then the file from the disk.
      std::size_t size = 0;
      for (std::int64_t at = c.stream_sent; at < 8; ++at) chunk_[size++] = header_[at];
      const std::size_t header_part = size;
      const std::int64_t offset = std::max<std::int64_t>(c.stream_sent - 8, 0);
      const auto want = static_cast<std::size_t>(
          std::min<std::int64_t>(file_size_ - offset, chunk_.size() - size));
      if (want > 0) {
        ssize_t got = pread(file_fd_, chunk_.data() + size, want, offset);
        if (FileChanged()) {
          Finish(c, "file-changed");
          return;
        }
        if (got <= 0) {
          Finish(c, "file-unreadable");
          return;
        }
        size += static_cast<std::size_t>(got);
        // The file's last bytes go out only when all that is sent with them
        // is the file as it was at the start: a rewrite in place that
        // FileChanged misses (the same size, its time put back) ends the
        // download short, so the client never takes mixed bytes for the update.
        if (offset + got == file_size_ && ContinueHash(c.sent_hash, chunk_.data() + header_part,
                                                       size - header_part) != file_hash_) {
          Finish(c, "file-changed");
          return;
        }
      }
      if (!SendSome(c, chunk_.data(), size, sent)) {
        Finish(c, "aborted");
        return;
      }
      if (sent > header_part)
        c.sent_hash = ContinueHash(c.sent_hash, chunk_.data() + header_part, sent - header_part);
      c.stream_sent += static_cast<std::int64_t>(sent);
      if (sent < size) break;  // the socket is full
    }
    if (c.stream_sent == total) {
      // Wait for the client to close first, so that nothing it might still
      // send resets the connection before it has read the last bytes.
      shutdown(c.fd, SHUT_WR);
      c.phase = Phase::kDraining;
      c.deadline = Clock::now() + milliseconds(kDrainMs);
    }
  }

  // Whether the opened file was written since the start (`cp` over it
  // rewrites it in place): the rest of a download would come from another
  // file under the first one's size. A write changes the time before its
  // bytes can be read, so this check after a read covers what was read. A
  // file renamed over the path leaves the opened one as it was.
  bool FileChanged() const {
    struct stat now {};
    return fstat(file_fd_, &now) != 0 || now.st_size != file_size_ ||
           now.st_mtim.tv_sec != file_mtime_.tv_sec || now.st_mtim.tv_nsec != file_mtime_.tv_nsec;
  }

  // The client has its reply; its user now decides. Clients that sit idle
  // here must not fill the server: past the cap, which leaves at least half
  // of the places to clients being answered or served, the one that has
  // waited longest makes room.
  void StartWaiting(Connection& c) {
    c.phase = Phase::kAwaitUpdate;
    c.deadline = Clock::now() + milliseconds(options_.answer_ms);
    c.waiting_turn = ++waiting_turns_;
    const int cap = std::min(options_.max_waiting, std::max(1, options_.max_connections / 2));
    if (++waiting_ <= cap) return;
    Connection* oldest = nullptr;
    for (auto& other : connections_)
      if (other->phase == Phase::kAwaitUpdate &&
          (!oldest || other->waiting_turn < oldest->waiting_turn))
        oldest = other.get();
    if (oldest) Finish(*oldest, "evicted");
  }

  void OnTime(Connection& c, Clock::time_point now) {
    if (c.phase == Phase::kDone) return;
    if (c.phase == Phase::kRequest && c.settle_at && now >= *c.settle_at) {
      c.settle_at.reset();
      c.phase = Phase::kAnswering;
      OnWritable(c);
      return;
    }
    if (now >= c.deadline) Finish(c, c.phase == Phase::kDraining ? "downloaded" : "timeout");
  }

  // One client address gets a few lines at once and then one now and then;
  // the lines held back are counted with its next line, or once it is quiet.
  void LogConnection(const Connection& c, const char* outcome) {
    long held_back = 0;
    if (!address_lines_.Allow(c.address, Clock::now(), held_back)) return;
    if (held_back > 0) LogHeldBack(c.address, held_back);
    log_.Add("peer=" + c.peer + " request=\"" + Escaped(c.request) + "\" update=\"" +
             Escaped(c.update) + "\" sent=" + std::to_string(c.bytes_sent) + " outcome=" + outcome);
  }
  void LogHeldBack(const std::string& address, long count) {
    log_.Add("address=" + address + " lines-not-logged=" + std::to_string(count));
  }
  void ForgetQuietAddresses(Clock::time_point now) {
    for (const auto& [address, count] : address_lines_.Forget(now)) LogHeldBack(address, count);
    next_forget_ = now + milliseconds(kForgetMs);
  }

  void Finish(Connection& c, const char* outcome) {
    LogConnection(c, outcome);
    close(c.fd);
    c.fd = -1;
    if (c.phase == Phase::kAwaitUpdate) --waiting_;
    if (c.counted) {
      auto from_address = per_address_.find(c.address);
      if (--from_address->second == 0) per_address_.erase(from_address);
    }
    c.phase = Phase::kDone;
  }

  const Options& options_;
  int listen_fd_;
  int file_fd_;
  std::int64_t file_size_;
  timespec file_mtime_;
  std::uint64_t file_hash_;  // of the file as it was at the start
  LogQueue& log_;
  AddressLines address_lines_{options_.log_burst};
  Clock::time_point next_forget_ = Clock::now() + milliseconds(kForgetMs);
  char header_[8];
  std::vector<char> chunk_;  // shared by every download: one at a time is sent
  std::vector<std::unique_ptr<Connection>> connections_;
  std::map<std::string, int> per_address_;  // open connections of each client address
  int waiting_ = 0;                         // connections in kAwaitUpdate
  std::uint64_t waiting_turns_ = 0;
  std::optional<Clock::time_point> accept_paused_until_;
};

}  // namespace

namespace {

// The hash of the whole file; nullopt when it cannot be read to its size.
std::optional<std::uint64_t> HashOfFile(int fd, std::int64_t size) {
  std::vector<char> buffer(kChunkBytes);
  std::uint64_t hash = kHashStart;
  for (std::int64_t at = 0; at < size;) {
    const ssize_t got =
        pread(fd, buffer.data(),
              static_cast<std::size_t>(std::min<std::int64_t>(kChunkBytes, size - at)), at);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return std::nullopt;
    hash = ContinueHash(hash, buffer.data(), static_cast<std::size_t>(got));
    at += got;
  }
  return hash;
}

}  // namespace

int Serve(const Options& options, int stop_fd, std::FILE* log) {
  if (options.version.empty() || options.version.size() >= 1000 ||
      options.version.find('\0') != std::string::npos) {
    std::fprintf(stderr, "the version text must be 1 to 999 bytes, without a zero byte\n");
    return 1;
  }
  int file_fd = open(options.zip.c_str(), O_RDONLY | O_CLOEXEC);
  struct stat info {};
  std::optional<std::uint64_t> file_hash;
  if (file_fd >= 0 && fstat(file_fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size > 0)
    file_hash = HashOfFile(file_fd, info.st_size);
  if (!file_hash) {
    std::fprintf(stderr, "cannot read a non-empty file %s\n", options.zip.c_str());
    if (file_fd >= 0) close(file_fd);
    return 1;
  }
  // What the caller wrote to `log` goes first; from here on the queue writes.
  LogQueue queue(std::fflush(log) == 0 ? fileno(log) : -1);
  if (!queue.ok()) {
    std::fprintf(stderr, "cannot write the log\n");
    close(file_fd);
    return 1;
  }
  std::string bound;
  int listen_fd = Listen(options.listen, bound);
  if (listen_fd < 0) {
    std::fprintf(stderr, "cannot listen on %s: %s\n", options.listen.c_str(), std::strerror(errno));
    close(file_fd);
    return 1;
  }
  queue.Add("listening on " + bound);
  {
    Server server(options, listen_fd, file_fd, info, *file_hash, queue);
    server.Run(stop_fd);
  }
  queue.Add("stopped");
  queue.Close(kLogCloseMs);
  close(listen_fd);
  close(file_fd);
  return 0;
}

}  // namespace torva::update_server
