#include "desktop/fltk/fltk_desktop.h"

#include <FL/Fl.H>
#include <FL/Fl_Window.H>
#include <FL/x.H>

#include <algorithm>
#include <chrono>

#include "desktop/fltk/widgets.h"

namespace torva {

bool ConnectToDisplay() { return fltk::EnsureDisplay(); }

FltkDesktop::FltkDesktop() {
  Fl::scheme("gtk+");
  // WM_CLASS, which the desktop entry names (StartupWMClass) so that the
  // windows are matched with the menu's entry and its icon.
  Fl_Window::default_xclass("TORVAmeter");
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

Event FltkDesktop::WaitEvent() {
  while (events_.empty()) Fl::wait();
  Event event = events_.front();
  events_.pop_front();
  return event;
}

void FltkDesktop::WaitForActivity(int fd, int timeout_ms) {
  using Clock = std::chrono::steady_clock;
  if (!events_.empty()) return;
  bool readable = false;
  if (fd >= 0) {
    Fl::add_fd(
        fd, FL_READ, [](int, void* flag) { *static_cast<bool*>(flag) = true; }, &readable);
  }
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeout_ms);
  while (events_.empty() && !readable) {
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
  if (events_.empty()) return {};
  Event event = events_.front();
  events_.pop_front();
  return event;
}

}  // namespace torva
