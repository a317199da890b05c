// A secondary window closed on every way out of the code that opened it.
#pragma once

#include <optional>

#include "desktop/desktop.h"

namespace torva {

// The room left between the frames of a secondary window and the window it is
// placed beside.
inline constexpr int kWindowGap = 7;

class OwnedWindow {
 public:
  // No window at all without a layout, or when it cannot be opened.
  OwnedWindow(Desktop& desktop, const std::optional<WindowLayout>& layout);
  ~OwnedWindow() { Close(); }
  OwnedWindow(const OwnedWindow&) = delete;
  OwnedWindow& operator=(const OwnedWindow&) = delete;

  std::optional<WindowId> id() const { return window_; }
  bool Is(WindowId window) const { return window_ && *window_ == window; }
  // Nothing happens once the window is closed, or when it never opened.
  void Show(int x, int y, const Picture& picture);
  // Its pictures go before it.
  void Close();
  // Leaves the window open for good: whoever gets its close request closes it.
  void Release() { window_.reset(); }

 private:
  Desktop& desktop_;
  std::optional<WindowId> window_;
};

}  // namespace torva
