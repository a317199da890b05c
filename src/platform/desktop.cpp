#include "platform/desktop.h"

#include <poll.h>

namespace torva {

void Desktop::WaitForActivity(int fd, int timeout_ms) {
  pollfd watched{fd, POLLIN, 0};
  ::poll(&watched, fd >= 0 ? 1 : 0, timeout_ms);
}

}  // namespace torva
