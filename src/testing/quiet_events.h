// For tests of a watched run that has nothing to attend to but the program:
// no events, and waits that only wait.
#pragma once

#include <poll.h>

#include "renderer/process.h"

namespace torva {

class QuietEvents final : public RunEvents {
 public:
  RunAction HandleOne() override { return RunAction::kGoOn; }
  void Wait(int fd, int timeout_ms) override {
    pollfd watched{fd, POLLIN, 0};
    poll(&watched, fd < 0 ? 0 : 1, timeout_ms);
  }
  bool Paced() const override { return false; }
};

}  // namespace torva
