#include "desktop/fltk/fltk_desktop.h"

#include <FL/Fl.H>
#include <FL/Fl_Window.H>
#include <FL/x.H>

#include <algorithm>
#include <chrono>

#include "desktop/fltk/widgets.h"
#include "platform/interrupts.h"

namespace torva {

bool ConnectToDisplay() { return fltk::EnsureDisplay(); }

FltkDesktop::FltkDesktop() {
  Fl::scheme("gtk+");
  // WM_CLASS, which the desktop entry names (StartupWMClass) so that the
  // windows are matched with the menu's entry and its icon.
  Fl_Window::default_xclass("TORVAmeter");
  // Once the program catches interrupts, the first one wakes the event loop;
  // the pipe stays readable, so it is watched no longer.
  if (InterruptFd() >= 0)
    Fl::add_fd(InterruptFd(), FL_READ, [](int fd, void*) { Fl::remove_fd(fd, FL_READ); });
}

FltkDesktop::~FltkDesktop() {
  windows_.clear();
  main_.reset();
}

void FltkDesktop::Push(const Event& event) {
  // One pending repaint per window is enough.
  if (event.type == EventType::kRepaint &&
      std::any_of(events_.begin(), events_.end(), [&](const Event& e) {
        return e.type == EventType::kRepaint && e.window == event.window;
      }))
    return;
  events_.push_back(event);
}

bool FltkDesktop::InterruptPending() const {
  return InterruptSignal() != 0 && !interrupt_delivered_;
}

Event FltkDesktop::WaitEvent() {
  while (events_.empty() && InterruptSignal() == 0) Fl::wait();
  // Those who wait for a click (the main loop, a result window) are told
  // each time: the program is to end.
  if (InterruptSignal() != 0) return Event{EventType::kCloseWindow, kMainWindow};
  Event event = events_.front();
  events_.pop_front();
  return event;
}

void FltkDesktop::WaitForActivity(int fd, int timeout_ms) {
  using Clock = std::chrono::steady_clock;
  if (!events_.empty() || InterruptPending()) return;
  bool readable = false;
  if (fd >= 0) {
    Fl::add_fd(
        fd, FL_READ, [](int, void* flag) { *static_cast<bool*>(flag) = true; }, &readable);
  }
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeout_ms);
  while (events_.empty() && !readable && !InterruptPending()) {
    double left = 1e20;  // FLTK's "forever" (Fl::wait() would return at once without a window)
    if (timeout_ms >= 0) {
      left = std::chrono::duration<double>(deadline - Clock::now()).count();
      if (left <= 0) break;
    }
    Fl::wait(left);  // returns once something was handled or the time is up
  }
  if (fd >= 0) Fl::remove_fd(fd, FL_READ);
}

Event FltkDesktop::TakeEvent() {
  Fl::check();
  if (InterruptPending()) {
    interrupt_delivered_ = true;
    return Event{EventType::kCloseWindow, kMainWindow};
  }
  if (events_.empty()) return {};
  Event event = events_.front();
  events_.pop_front();
  return event;
}

}  // namespace torva
