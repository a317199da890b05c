#include "icon.h"

#include <algorithm>
#include <cstddef>

namespace torva {

Picture IconFromLogo(const Picture& logo, int size) {
  if (size < 16 || size > 1024 || logo.width <= 0 || logo.height <= 0 ||
      logo.rgb.size() != static_cast<std::size_t>(logo.width) * logo.height * 3)
    return Picture{};

  // The longer side fills the square but for a margin of a sixteenth each side.
  const int room = size - 2 * std::max(1, size / 16);
  int width = room, height = room;
  if (logo.width >= logo.height)
    height = std::max(1, static_cast<int>(static_cast<long long>(room) * logo.height / logo.width));
  else
    width = std::max(1, static_cast<int>(static_cast<long long>(room) * logo.width / logo.height));
  const Picture scaled = ScalePicture(logo, width, height);
  if (scaled.width != width || scaled.height != height) return Picture{};

  Picture icon = BlankPicture(size, size);
  if (icon.width != size) return Picture{};
  // The background is the logo's top-left pixel.
  for (std::size_t i = 0; i < icon.rgb.size(); i += 3)
    std::copy_n(logo.rgb.begin(), 3, icon.rgb.begin() + i);
  const int left = (size - width) / 2, top = (size - height) / 2;
  for (int y = 0; y < height; ++y) {
    std::copy_n(scaled.rgb.begin() + static_cast<std::ptrdiff_t>(y) * width * 3, width * 3,
                icon.rgb.begin() + (static_cast<std::ptrdiff_t>(top + y) * size + left) * 3);
  }
  return icon;
}

}  // namespace torva
