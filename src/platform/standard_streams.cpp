#include "platform/standard_streams.h"

#include <fcntl.h>
#include <unistd.h>

namespace torva {
namespace {

bool Closed(int fd) { return fcntl(fd, F_GETFD) == -1; }

void Reserve(int fd) {
  const int null = open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY);
  if (null >= 0 && null != fd) {
    dup2(null, fd);
    close(null);
  }
}

}  // namespace

ClosedStreams ReserveStandardStreams() {
  ClosedStreams closed{Closed(0), Closed(1), Closed(2)};
  // In order: open() takes the lowest free number.
  for (int fd = 0; fd <= 2; ++fd) {
    if (Closed(fd)) Reserve(fd);
  }
  return closed;
}

bool StandardInputIsTerminal() { return isatty(0) == 1; }

}  // namespace torva
