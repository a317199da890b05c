// Pictures shown by the windows: decoded from PNG or JPEG, scaled, and
// captioned without any display, so that both desktops share this code.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace torva {

struct Picture {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> rgb;  // width * height * 3 bytes, row by row
  std::string source;             // the file it was loaded from, if any
  std::string caption;            // the text drawn into it, if any
};

struct Colour {
  std::uint8_t r = 0, g = 0, b = 0;
};

std::optional<Picture> DecodePng(std::span<const std::uint8_t> bytes);
std::optional<Picture> LoadJpeg(const std::string& path);
// A blank (black) picture.
Picture BlankPicture(int width, int height);
Picture ScalePicture(const Picture& picture, int width, int height);
// Draws one line of text with its top-left corner at (x, y), on a filled
// background box, and records it as the picture's caption.
void DrawCaption(Picture& picture, const std::string& text, int x, int y,
                 Colour foreground, Colour background);

}  // namespace torva
