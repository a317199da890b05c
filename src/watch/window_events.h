// A watched run in the program: the window stays alive while a program runs,
// its events handed to the command that started it.
#pragma once

#include <functional>

#include "desktop/desktop.h"
#include "renderer/process.h"

namespace torva {

using EventHandler = std::function<RunAction(const Event&)>;

// The window's events for a watched run, each handed to `on_event`.
class WindowEvents final : public RunEvents {
 public:
  WindowEvents(Desktop& desktop, EventHandler on_event)
      : desktop_(desktop), on_event_(std::move(on_event)) {}
  RunAction HandleOne() override;
  void Wait(int fd, int timeout_ms) override { desktop_.WaitForActivity(fd, timeout_ms); }
  bool Paced() const override { return desktop_.PacedPanel(); }

 private:
  Desktop& desktop_;
  EventHandler on_event_;
};

// WatchRun over the window's events.
RunEnd WatchRun(ExternalProcess& process, Desktop& desktop, EventHandler on_event,
                const LineHandler& on_line, const WatchOptions& options = {});

}  // namespace torva
