// The size of the estimation's preview window and of the picture in it.
#pragma once

#include "desktop/desktop.h"

namespace torva {

struct PreviewSize {
  int window_width = 0, window_height = 0;
  int picture_width = 0, picture_height = 0;
  int caption_y = 0;  // top of the "Current SL" text in the picture
};

// The project's aspect at 640 pixels high; a preview that would not fit on
// `screen` is shrunk to fit, keeping the aspect.
PreviewSize PreviewFor(int project_width, int project_height, Rect screen);

}  // namespace torva
