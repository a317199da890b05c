#include "estimate/preview_size.h"

#include <algorithm>
#include <cmath>

namespace torva {

namespace {

constexpr int kHeight = 640;
constexpr int kCaptionFromBottom = kHeight - 616;

// Nearest whole pixel, an exact half to the even neighbour.
int Pixels(double value) { return static_cast<int>(std::nearbyint(value)); }

}  // namespace

PreviewSize PreviewFor(int project_width, int project_height, Rect screen) {
  const float scale = static_cast<float>(project_height) / kHeight;  // PreviewScale
  const float width = static_cast<float>(project_width) / scale;
  PreviewSize size{Pixels(width), kHeight, Pixels(width - 1), kHeight - 1, 616};

  const double fit = std::min(static_cast<double>(screen.width) / size.window_width,
                              static_cast<double>(screen.height) / size.window_height);
  if (screen.width > 0 && screen.height > 0 && fit < 1) {
    size.window_width = std::max(2, Pixels(size.window_width * fit));
    size.window_height = std::max(2, Pixels(size.window_height * fit));
    size.picture_width = size.window_width - 1;
    size.picture_height = size.window_height - 1;
    size.caption_y = std::max(0, size.window_height - kCaptionFromBottom);
  }
  return size;
}

}  // namespace torva
