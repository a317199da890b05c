#include "desktop/desktop.h"

#include <poll.h>

#include <algorithm>

namespace torva {

namespace {

constexpr int kEventLookMs = 1000;

}  // namespace

void Desktop::WaitForActivity(int fd, int timeout_ms) {
  WaitForFd(fd, timeout_ms < 0 ? kEventLookMs : std::min(timeout_ms, kEventLookMs));
}

void Desktop::WaitForFd(int fd, int timeout_ms) {
  pollfd watched{fd, POLLIN, 0};
  ::poll(&watched, fd >= 0 ? 1 : 0, timeout_ms);
}

Rect WindowRoom(Desktop& desktop) {
  const Rect area = desktop.ScreenArea();
  const Margins m = desktop.WindowMargins();
  return {area.x + m.left, area.y + m.top, area.width - m.left - m.right,
          area.height - m.top - m.bottom};
}

}  // namespace torva
