#include "desktop/owned_window.h"

namespace torva {

OwnedWindow::OwnedWindow(Desktop& desktop, const std::optional<WindowLayout>& layout)
    : desktop_(desktop) {
  if (layout) window_ = desktop.OpenWindow(*layout);
}

void OwnedWindow::Show(int x, int y, const Picture& picture) {
  if (window_) desktop_.ShowPicture(*window_, x, y, picture);
}

void OwnedWindow::Close() {
  if (!window_) return;
  desktop_.RemovePictures(*window_);
  desktop_.CloseWindow(*window_);
  window_.reset();
}

}  // namespace torva
