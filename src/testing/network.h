// For tests: network situations that are hard to come by on demand.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <stdexcept>
#include <vector>

namespace torva {

// A listener that never accepts, its backlog filled by connections of its
// own: the system then drops further connection requests without an answer,
// as a server overwhelmed by clients does, and a blocking connect() would
// wait the system's own time-out of about two minutes.
class FullBacklog {
 public:
  FullBacklog() {
    listener_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in where{};
    where.sin_family = AF_INET;
    where.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof where;
    if (bind(listener_, reinterpret_cast<sockaddr*>(&where), sizeof where) != 0 ||
        listen(listener_, 0) != 0 ||
        getsockname(listener_, reinterpret_cast<sockaddr*>(&where), &length) != 0)
      throw std::runtime_error("cannot listen");
    port_ = ntohs(where.sin_port);
    for (int i = 0; i < 4; ++i) {
      int fd = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
      (void)!connect(fd, reinterpret_cast<sockaddr*>(&where), sizeof where);
      fillers_.push_back(fd);
    }
  }
  ~FullBacklog() {
    for (int fd : fillers_) close(fd);
    close(listener_);
  }
  int port() const { return port_; }

 private:
  int listener_ = -1;
  int port_ = 0;
  std::vector<int> fillers_;
};

}  // namespace torva
