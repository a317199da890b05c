// Greys out the main window's buttons, all but `keep`, for as long as it
// lives, so that a long command gives them back on every way out.
#pragma once

#include "desktop/desktop.h"

namespace torva {

class ButtonsDisabled {
 public:
  ButtonsDisabled(Desktop& desktop, int keep) : desktop_(desktop), keep_(keep) {
    desktop_.DisableButtons(keep_);
  }
  ~ButtonsDisabled() { desktop_.EnableButtons(keep_); }
  ButtonsDisabled(const ButtonsDisabled&) = delete;
  ButtonsDisabled& operator=(const ButtonsDisabled&) = delete;

 private:
  Desktop& desktop_;
  int keep_;
};

}  // namespace torva
