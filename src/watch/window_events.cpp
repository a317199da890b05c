#include "watch/window_events.h"

#include <utility>

namespace torva {

RunAction WindowEvents::HandleOne() {
  const Event event = desktop_.TakeEvent();
  return event.type == EventType::kNone ? RunAction::kGoOn : on_event_(event);
}

RunEnd WatchRun(ExternalProcess& process, Desktop& desktop, EventHandler on_event,
                const LineHandler& on_line, const WatchOptions& options) {
  WindowEvents events(desktop, std::move(on_event));
  return WatchRun(process, events, on_line, options);
}

}  // namespace torva
